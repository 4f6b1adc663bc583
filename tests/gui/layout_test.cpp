// Every text of the main window, its dialogs and the production window fits
// the widget that shows it, in both languages, for both families. CTest runs
// this program at scale 1 and at scale 2 (QT_SCALE_FACTOR), on a screen 1600
// pixels wide; each combination is drawn once and saved to look at.
#include "dialogs/about.h"
#include "dialogs/addcard.h"
#include "dialogs/editcard.h"
#include "dialogs/gethexview.h"
#include "dialogs/hexview.h"
#include "dialogs/options.h"
#include "dialogs/serialfield.h"
#include "gui/clipping.h"
#include "gui/windowrig.h"
#include "gui/wording.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/production/productionwindow.h"
#include "workflows/filerows/fileview.h"
#include "workflows/session/readback.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>

#include <functional>
#include <memory>

using namespace korvex;
using namespace korvex::testing;

namespace {

QString Scale() {
    return qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"));
}

// Controls whose text is data: the card type's description, the versions,
// the station's name and the serial number formats as the file names them.
const QStringList kData = QStringLiteral("lblDescription lblFirmwareVersion lblSoftwareVersion "
                                         "lblQtVersion lblTitle edtStation cmbSerialFormat")
                              .split(QLatin1Char(' '));
// Texts every language shows as they are: the log panel's captions, the
// read-back window's memories, the port items and the languages' names, the
// title, the loader's states and the driver's words.
const QStringList kLiteral =
    QStringLiteral("Start log|Stop log|Save log|Clear log|Set Delay|Physic|Delay|Atmel - "
                   "Processor|Atmel - Internal eeprom|Simulator|Com &|English|Korvex - "
                   "OffLine|Beta II|Default|Missing")
        .split(QLatin1Char('|'));
// English words German says as they are; the names of the processor family,
// the oscillators and the database.
const QStringList kLoanwords =
    QStringLiteral("Pic Watchdog Timer Fuse Int OK Hex LP HS XT RC PostgreSQL")
        .split(QLatin1Char(' '));

// One form as a user meets it: made (or brought up), then shown.
struct TForm {
    const char* name;
    std::function<QWidget*(TWindowRig&)> show;
};

QWidget* MainWindow(TWindowRig& rig, const char* card, const char* tab) {
    rig.work().ChooseCardType(card);
    // The samples of the family: each name shows whole.
    const bool avr = rig.Shot().layout.avrKind;
    rig.work().SetFileField(TFileRow::frProgram,
                            rig.Sample(avr ? "sampleavr_flash.hex" : "sample84.hex"));
    rig.work().SetFileField(TFileRow::frEeprom,
                            rig.Sample(avr ? "sample24c64.hex" : "sample24c16.hex"));
    if (avr) {
        rig.work().SetFileField(TFileRow::frIntEeprom, rig.Sample("sampleavr_eeprom.hex"));
    }
    rig.Window().Render();
    auto* pages = rig.Find<QTabWidget>("pgcMain");
    pages->setCurrentWidget(rig.Find(tab));
    return &rig.Window();
}

// The log panel opened with the window at the screen's right edge.
QWidget* WithLog(TWindowRig& rig) {
    gui::Tfrmmain& window = rig.Window();
    const QRect screen = window.screen()->availableGeometry();
    window.move(screen.right() - window.frameGeometry().width(), screen.top());
    window.ToggleLogPanel();
    return &window;
}

// The main window after an auto program whose verify failed: its red result
// line, the longest, under the status panel.
QWidget* MainResult(TWindowRig& rig) {
    rig.work().ChooseCardType(kPicOnlyCard);
    rig.work().SetFileField(TFileRow::frProgram, rig.Sample("sample84.hex"));
    // A word the sample does not leave blank.
    rig.device.Card().StickCell(sim::TSimMemory::Program, 4);
    rig.Action("AutoProgram1")->trigger();
    rig.Window().Render();
    return &rig.Window();
}

// The production window after a card that failed, its longest text.
QWidget* Production(TWindowRig& rig) {
    rig.work().ChooseCardType(kPicOnlyCard);
    rig.work().SetFileField(TFileRow::frProgram, rig.Sample("sample84.hex"));
    rig.Action("Production1")->trigger();
    auto* window = rig.Window().findChild<gui::TfrmProduction*>();
    window->findChild<QSpinBox*>(QStringLiteral("spnCount"))->setValue(1);
    for (int block = 1; block <= 1 + TPOptionReader::kDefaultStepRetries; ++block) {
        rig.device.AddFault({sim::TSimFaultKind::BadSum, 'B', block});
    }
    window->findChild<QPushButton*>(QStringLiteral("btnProductionRun"))->click();
    return window;
}

} // namespace

class TLayoutTest final : public QObject {
    Q_OBJECT

private slots:
    void nothingIsClipped_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QStringLiteral("English");
        QTest::newRow("Deutsch") << QStringLiteral("Deutsch");
    }

    void nothingIsClipped() {
        QFETCH(QString, language);
        TWindowRig rig(kPicOnlyCard);
        rig.Start();
        rig.work().ChooseLanguage(language.toStdString());
        rig.work().SetFileField(TFileRow::frProgram, rig.Sample("sample84.hex"));
        TScriptedFiles files;
        std::unique_ptr<QWidget> dialog;
        TPReadBack readBack(false, false, "3FFF", "FF", std::string(512, 'F'));
        const TPFileView view(rig.Sample("sample84.hex"), TViewKind::vkProgram, false);
        const auto keep = [&](QWidget* made) {
            dialog.reset(made);
            return made;
        };
        const TForm forms[] = {
            {"main-pic", [](auto& r) { return MainWindow(r, kPicCard, "tbsSimple"); }},
            {"main-pic-advanced", [](auto& r) { return MainWindow(r, kPicCard, "tbsAdvanced"); }},
            {"main-avr", [](auto& r) { return MainWindow(r, kAvr9Card, "tbsSimple"); }},
            {"main-avr-lock", [](auto& r) { return MainWindow(r, kAvr9Card, "tbsLock"); }},
            {"main-avr-fuses", [](auto& r) { return MainWindow(r, kAvr9Card, "tbsFuses"); }},
            {"main-log", [](auto& r) { return WithLog(r); }},
            {"main-result", [](auto& r) { return MainResult(r); }},
            {"options", [&](auto& r) { return keep(new gui::TfrmOptions(r.work())); }},
            {"addcard", [&](auto& r) { return keep(new gui::TfrmAddCard(r.work(), r.prompts)); }},
            {"editcard",
             [&](auto& r) { return keep(new gui::TfrmEditCardType(r.work(), r.prompts, files)); }},
            {"serialfield",
             [&](auto& r) { return keep(new gui::TfrmSerialField(r.work(), files, {}, true)); }},
            {"about", [&](auto& r) { return keep(new gui::TfrmAbout(r.work(), 105)); }},
            {"hexview",
             [&](auto& r) {
                 return keep(new gui::TfrmHexView(view, gui::HexViewWords(r.work())));
             }},
            {"readback",
             [&](auto& r) {
                 return keep(new gui::TfrmGetHexView(readBack, files, r.prompts,
                                                     gui::HexViewWords(r.work())));
             }},
            {"production", [](auto& r) { return Production(r); }},
        };
        for (const TForm& form : forms) {
            QWidget* shown = form.show(rig);
            shown->show();
            QVERIFY(QTest::qWaitForWindowExposed(shown));
            QTest::qWait(20);
            SaveScreenshot(*shown, QStringLiteral("clip-x%1-%2-%3")
                                       .arg(Scale(), language.toLower(), QLatin1String(form.name)));
            if (language == QLatin1String("Deutsch")) {
                const QStringList english =
                    EnglishWords(ShownTexts(*shown, kData), kLiteral, kLoanwords);
                QVERIFY2(english.isEmpty(),
                         qPrintable(QLatin1String(form.name) + QStringLiteral(": ") +
                                    english.join(QStringLiteral(" | "))));
            }
            const QStringList clipped = ClippedTexts(*shown);
            QVERIFY2(clipped.isEmpty(), qPrintable(QLatin1String(form.name) + QStringLiteral(": ") +
                                                   clipped.join(QStringLiteral(" | "))));
            // Kept on the screen, whatever it grew to.
            const QRect screen = shown->screen()->availableGeometry();
            QVERIFY2(screen.contains(shown->frameGeometry()), form.name);
            if (shown != &rig.Window()) {
                shown->hide();
            }
        }
        // Every caption the status panel can show fits it.
        auto* status = rig.Find<QLabel>("pnlWriterStatus");
        for (const std::string& caption : rig.Shot().statusCaptions) {
            const int room = status->contentsRect().width() - 2 * status->margin();
            QVERIFY2(status->fontMetrics().horizontalAdvance(gui::Q(caption)) <= room,
                     caption.c_str());
        }
        // Each item of a menu has its own access letter.
        for (QMenu* menu : rig.Window().findChildren<QMenu*>()) {
            const QStringList shared = SharedAccessLetters(*menu);
            QVERIFY2(shared.isEmpty(), qPrintable(shared.join(QStringLiteral(" | "))));
        }
    }
};

KORVEX_GUI_TEST_MAIN(TLayoutTest)
#include "layout_test.moc"
