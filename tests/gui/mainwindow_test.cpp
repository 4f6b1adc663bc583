// The main window over the in-process simulated programmer: its controls
// reach their intents and it draws what the workflows report. The rules
// behind the intents are the workflows' and are tested there.
#include "gui/windowrig.h"
#include "mainwindow/filefield.h"
#include "sim/simfaults.h"
#include "workflows/entries.h"

#include <QActionGroup>
#include <QButtonGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>

#include <map>

using namespace korvex;
using namespace korvex::testing;

namespace {

// What a command through the window may take on a busy machine under the
// sanitizers; Qt Test's five seconds were not always enough.
constexpr int kPatienceMs = 15'000;

QString Entry(TWindowRig& rig, int entry) {
    return gui::Q(rig.work().Text(entry));
}

bool TabShown(TWindowRig& rig, const char* name) {
    auto* pages = rig.Find<QTabWidget>("pgcMain");
    return pages->isTabVisible(pages->indexOf(rig.Find(name)));
}

// The text a control of the window shows, whatever kind of control it is.
QString ShownText(TWindowRig& rig, const std::string& control) {
    // A tip, or one of every file row's (its first row's stands for all).
    static const std::map<std::string, std::string> kRowTips{
        {"rows/hint", "flePicfile"}, {"rows/open", "BitBtn1"}, {"rows/view", "btnViewPic"}};
    if (const auto row = kRowTips.find(control); row != kRowTips.end()) {
        return rig.Find<QWidget>(row->second.c_str())->toolTip();
    }
    if (control.ends_with("/tip")) {
        return rig.Find<QWidget>(control.substr(0, control.size() - 4).c_str())->toolTip();
    }
    QObject* target = rig.Window().findChild<QObject*>(gui::Q(control));
    auto* pages = rig.Find<QTabWidget>("pgcMain");
    if (auto* page = qobject_cast<QWidget*>(target); page && pages->indexOf(page) >= 0) {
        return pages->tabText(pages->indexOf(page));
    }
    if (auto* menu = qobject_cast<QMenu*>(target)) {
        return menu->title();
    }
    if (auto* action = qobject_cast<QAction*>(target)) {
        return action->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(target)) {
        return group->title();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(target)) {
        return label->text();
    }
    return QStringLiteral("<no control %1>").arg(gui::Q(control));
}

// Every caption the workflows give for the language and family is the one
// its control shows.
void CheckEveryCaption(TWindowRig& rig) {
    const TMainSnapshot shot = rig.Shot();
    QVERIFY(shot.captions.size() > 40);
    std::map<std::string, std::string> last; // a control named twice shows the later text
    for (const auto& [control, text] : shot.captions) {
        last[control] = text;
    }
    for (const auto& [control, text] : last) {
        QCOMPARE(ShownText(rig, control), gui::Q(text));
    }
}

// The file fields a Tab from the first one reaches, in order.
QStringList FieldsInTabOrder(TWindowRig& rig) {
    QStringList fields;
    QWidget* first = rig.Find("flePicfile");
    QWidget* at = first;
    do {
        if (at->objectName().startsWith(QStringLiteral("fle")) && at->isVisibleTo(&rig.Window())) {
            fields << at->objectName();
        }
        at = at->nextInFocusChain();
    } while (at != first);
    return fields;
}

QString FieldPath(TWindowRig& rig, const char* name) {
    return rig.Find<gui::TFileField>(name)->Path();
}

void ChooseCard(TWindowRig& rig, const char* name) {
    auto* box = rig.Find<QComboBox>("cmpCardType");
    const int index = box->findText(QString::fromLatin1(name));
    QVERIFY(index >= 0);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

} // namespace

class TMainWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void drawsEachFamilyAndTheLogPanel() {
        TWindowRig rig;
        rig.Start();
        gui::Tfrmmain& window = rig.Window();
        QCOMPARE(window.windowTitle(), QStringLiteral("Korvex - COM1"));
        auto* status = rig.Find<QLabel>("pnlWriterStatus");
        QCOMPARE(status->text(), Entry(rig, entries::kCardReady));
        QCOMPARE(status->palette().color(QPalette::Window), QColor(0, 255, 0));
        // A PIC card: no internal EEPROM row, the EEPROM row second; Tab
        // walks the rows as they stand.
        QVERIFY(TabShown(rig, "tbsAdvanced"));
        QVERIFY(!TabShown(rig, "tbsLock"));
        QVERIFY(!TabShown(rig, "tbsFuses"));
        QVERIFY(rig.Find("fleIntEe")->isHidden());
        QCOMPARE(FieldsInTabOrder(rig), QStringList({"flePicfile", "fleEeprom"}));
        QVERIFY(!rig.Action("LoadIntEepromFile1")->isVisible());
        QVERIFY(rig.Find("fleLoader")->isHidden());
        SaveScreenshot(window, QStringLiteral("main-pic"));
        auto* pages = rig.Find<QTabWidget>("pgcMain");
        pages->setCurrentWidget(rig.Find("tbsAdvanced"));
        SaveScreenshot(window, QStringLiteral("main-pic-advanced"));
        pages->setCurrentWidget(rig.Find("tbsSimple"));

        ChooseCard(rig, kAvr9Card);
        QCOMPARE(rig.Shot().cardText, std::string(kAvr9Card));
        QVERIFY(!rig.Find("fleIntEe")->isHidden());
        QCOMPARE(FieldsInTabOrder(rig), QStringList({"flePicfile", "fleIntEe", "fleEeprom"}));
        QVERIFY(rig.Find("fleIntEe")->y() < rig.Find("fleEeprom")->y());
        QVERIFY(!TabShown(rig, "tbsAdvanced"));
        QVERIFY(TabShown(rig, "tbsLock"));
        QVERIFY(TabShown(rig, "tbsFuses"));
        QVERIFY(rig.Action("LoadIntEepromFile1")->isVisible());
        QCOMPARE(rig.Action("ReadPic1")->text(), Entry(rig, entries::kAvrReadMenu));
        SaveScreenshot(window, QStringLiteral("main-avr"));
        pages->setCurrentWidget(rig.Find("tbsLock"));
        SaveScreenshot(window, QStringLiteral("main-avr-lock"));
        pages->setCurrentWidget(rig.Find("tbsSimple"));

        ChooseCard(rig, kAvrCard); // kind 8: no Fuses tab
        QVERIFY(!TabShown(rig, "tbsFuses"));
        ChooseCard(rig, kPicCard);
        QCOMPARE(FieldsInTabOrder(rig), QStringList({"flePicfile", "fleEeprom"}));
        QCOMPARE(rig.Action("ReadPic1")->text(), Entry(rig, entries::kPicReadMenu));

        // Closed, the log panel is out of sight and out of the Tab chain.
        QVERIFY(!rig.Find("Memo1")->isVisible());
        const int narrow = window.width();
        QLabel* picture = rig.Find<QLabel>("Image1");
        QTest::mouseDClick(picture, Qt::LeftButton);
        QVERIFY(window.width() > narrow);
        QVERIFY(rig.Find("Memo1")->isVisible());
        rig.Find<QPushButton>("btnStartLog")->click();
        QCOMPARE(rig.Find<QPushButton>("btnStartLog")->text(), QStringLiteral("Stop log"));
        rig.Action("GetFirmwareVersion1")->trigger();
        QTRY_VERIFY(!rig.Find<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
        SaveScreenshot(window, QStringLiteral("main-log"));
        QTest::mouseDClick(picture, Qt::LeftButton);
        QCOMPARE(window.width(), narrow);
        QVERIFY(!rig.Find("Memo1")->isVisible());
    }

    void menusAndShortcutsReachTheirIntents() {
        TWindowRig rig;
        rig.Start();
        TModalWatcher watcher;

        rig.Action("GetFirmwareVersion1")->trigger();
        QCOMPARE(rig.prompts.plain.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(rig.prompts.plain[0])
                    .contains(QString::number(rig.device.FirmwareVersion())));

        rig.Action("N115200baud1")->trigger();
        QCOMPARE(rig.Shot().speed, TBaudRate::br115200);
        QVERIFY(rig.Action("N115200baud1")->isChecked());
        QVERIFY(!rig.Action("N9600baud1")->isChecked());
        rig.Action("N9600baud1")->trigger();

        rig.Action("Com32")->trigger();
        QCOMPARE(rig.Window().windowTitle(), QStringLiteral("Korvex - COM3"));
        QVERIFY(rig.Action("Com32")->isChecked());
        rig.Action("Offline2")->trigger();
        QCOMPARE(rig.Window().windowTitle(), QStringLiteral("Korvex - OffLine"));
        QCOMPARE(rig.Find<QLabel>("pnlWriterStatus")->palette().color(QPalette::Window),
                 QColor(255, 0, 0));
        QVERIFY(rig.Action("Offline2")->isChecked());
        rig.Action("Com12")->trigger();
        QTRY_COMPARE(rig.Shot().cardState, TPCardState::csCardReady);

        // Ctrl+O asks for the program file; F3 runs Auto program.
        rig.files.names.push_back(rig.Sample("sample84.hex"));
        QTest::keyClick(&rig.Window(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(rig.files.titles.back(), QStringLiteral("Open - pic"));
        QCOMPARE(FieldPath(rig, "flePicfile"), QString::fromStdString(rig.Sample("sample84.hex")));
        // The name in sight, the whole path in the tooltip.
        QCOMPARE(rig.Find<QLineEdit>("flePicfile")->text(), QStringLiteral("sample84.hex"));
        QCOMPARE(rig.Find("flePicfile")->toolTip(), FieldPath(rig, "flePicfile"));
        rig.files.names.push_back(rig.Sample("sample24c16.hex"));
        rig.Action("LoadEepromfile1")->trigger();
        QCOMPARE(rig.files.titles.back(), QStringLiteral("Open - eeprom"));
        rig.prompts.Clear();
        const std::string blank = rig.device.Card().Text(sim::TSimMemory::Eeprom);
        QTest::keyClick(&rig.Window(), Qt::Key_F3);
        QVERIFY(rig.device.Card().Text(sim::TSimMemory::Eeprom) != blank);
        QVERIFY(!rig.prompts.Entries().empty());
        QCOMPARE(rig.prompts.messages.back().kind, TMessageKind::mkInformation);

        // The dialogs of the Setup and Help menus open; the delete asks first.
        for (const char* name : {"Options1", "AddCardType1", "EditCardType1", "About1"}) {
            rig.Action(name)->trigger();
        }
        QCOMPARE(watcher.seen, (std::vector<QString>{
                                   QStringLiteral("frmOptions"), QStringLiteral("frmAddCard"),
                                   QStringLiteral("frmEditCardType"), QStringLiteral("frmAbout")}));
        rig.prompts.answers.push_back(false);
        rig.Action("DeleteCardType1")->trigger();
        QCOMPARE(rig.prompts.asked.size(), std::size_t{1});
        QVERIFY(std::filesystem::exists(rig.folder / "cards" / (std::string(kPicCard) + ".ini")));

        rig.Action("BugReport1")->trigger();
        QCOMPARE(rig.opened.size(), std::size_t{1});

        // Shortcuts reach the active window only.
        rig.Window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.Window()));
        QTest::keyClick(&rig.Window(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!rig.Window().isVisible());
    }

    // Each menu item and pop-up item does what its command does when the
    // workflows are asked for it directly: the same frames to the card, the
    // same boxes and questions, the same windows.
    void everyCommandEntryReachesItsCommand_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("command");
        using C = TCardCommand;
        const std::pair<const char*, C> menu[] = {
            {"ReadPic1", C::ccReadPic},           {"WritePic1", C::ccWritePic},
            {"VerifyPic1", C::ccVerifyPic},       {"ErasePic1", C::ccErasePic},
            {"ReadEeprom1", C::ccReadEeprom},     {"WriteEeprom1", C::ccWriteEeprom},
            {"VerifyEeprom1", C::ccVerifyEeprom}, {"EreaseEeprom1", C::ccEraseEeprom},
            {"AutoProgram1", C::ccAutoProgram},   {"GetFirmwareVersion1", C::ccFirmwareVersion},
        };
        for (const auto& [item, command] : menu) {
            QTest::newRow(item) << QString() << QString::fromLatin1(item)
                                << static_cast<int>(command);
        }
        const std::tuple<const char*, const char*, C> popUps[] = {
            {"btnRead", "Pic1", C::ccReadPic},        {"btnRead", "Eeprom1", C::ccReadEeprom},
            {"btnVerify", "Pic1", C::ccVerifyPic},    {"btnVerify", "Eeprom1", C::ccVerifyEeprom},
            {"btnErase", "Pic1", C::ccErasePic},      {"btnErase", "Eeprom1", C::ccEraseEeprom},
            {"btnWrite", "MenuItem1", C::ccWritePic}, {"btnWrite", "MenuItem2", C::ccWriteEeprom},
            {"btnWrite", "Auto1", C::ccAutoProgram},
        };
        for (const auto& [button, item, command] : popUps) {
            QTest::newRow((std::string(button) + "/" + item).c_str())
                << QString::fromLatin1(button) << QString::fromLatin1(item)
                << static_cast<int>(command);
        }
    }

    void everyCommandEntryReachesItsCommand() {
        QFETCH(QString, button);
        QFETCH(QString, item);
        QFETCH(int, command);
        struct TSeen {
            std::vector<std::string> frames;
            std::vector<int> entries;
            std::vector<int> asked;
            std::vector<std::string> plain;
            std::vector<QString> windows;
        };
        const auto run = [&](bool throughTheWindow) -> std::optional<TSeen> {
            TWindowRig rig;
            rig.Start();
            rig.work().SetFileField(TFileRow::frProgram, rig.Sample("sample84.hex"));
            rig.work().SetFileField(TFileRow::frEeprom, rig.Sample("sample24c16.hex"));
            rig.prompts.Clear();
            rig.device.ClearFrames();
            TModalWatcher watcher;
            if (!throughTheWindow) {
                rig.work().RunCommand(static_cast<TCardCommand>(command));
            } else if (button.isEmpty()) {
                rig.Action(item.toLatin1().constData())->trigger();
            } else {
                watcher.menuItems.push_back(item);
                rig.Find<QPushButton>(button.toLatin1().constData())->click();
                // Done once a command's frame went out and nothing runs: a poll
                // can come before the item's command has even started.
                const auto& frames = rig.device.Frames();
                if (!QTest::qWaitFor(
                        [&] {
                            return !watcher.seen.empty() && !rig.work().Busy() &&
                                   std::any_of(frames.begin(), frames.end(),
                                               [](const auto& f) { return f.command != 'P'; });
                        },
                        kPatienceMs)) {
                    return std::nullopt;
                }
                watcher.seen.erase(watcher.seen.begin()); // the pop-up itself
            }
            TSeen seen;
            for (const std::string& frame : ShortFrames(rig.device)) {
                if (frame.front() != 'P') {
                    seen.frames.push_back(frame);
                }
            }
            seen.entries = rig.prompts.Entries();
            seen.asked = rig.prompts.asked;
            seen.plain = rig.prompts.plain;
            seen.windows = watcher.seen;
            return seen;
        };
        const std::optional<TSeen> direct = run(false);
        const std::optional<TSeen> window = run(true);
        QVERIFY(direct && window);
        QVERIFY(!direct->frames.empty());
        QCOMPARE(window->frames, direct->frames);
        QCOMPARE(window->entries, direct->entries);
        QCOMPARE(window->asked, direct->asked);
        QCOMPARE(window->plain, direct->plain);
        QCOMPARE(window->windows, direct->windows);
    }

    void bigButtonsOpenTheirPopUpsAndItemsRunTheCommands() {
        TWindowRig rig;
        rig.Start();
        TModalWatcher watcher;
        QCOMPARE(rig.work().SetFileField(TFileRow::frProgram, rig.Sample("sample84.hex")),
                 TIntentResult::irDone);
        rig.prompts.Clear();

        watcher.menuItems.push_back(QStringLiteral("MenuItem1"));
        rig.Find<QPushButton>("btnWrite")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.prompts.messages.empty(), kPatienceMs);
        QCOMPARE(rig.prompts.messages.back().entry, 130);
        QCOMPARE(watcher.seen.front(), QStringLiteral("popWrite"));

        rig.prompts.Clear();
        watcher.menuItems.push_back(QStringLiteral("Pic1"));
        rig.Find<QPushButton>("btnVerify")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.prompts.messages.empty(), kPatienceMs);
        QCOMPARE(rig.prompts.messages.back().entry, 99);

        // Read Pic ends in the read-back window.
        watcher.seen.clear();
        watcher.onDialog = [](QWidget& dialog) {
            SaveScreenshot(dialog, QStringLiteral("dialog-readback-from-window"));
        };
        watcher.menuItems.push_back(QStringLiteral("Pic1"));
        rig.Find<QPushButton>("btnRead")->click();
        QTRY_COMPARE_WITH_TIMEOUT(watcher.seen.size(), std::size_t{2}, kPatienceMs);
        QCOMPARE(watcher.seen[1], QStringLiteral("frmGetHexView"));
    }

    void aCommandMovesTheGaugeAndShowsItsStepsWithItsEntryPointsOff() {
        // Wire time on the faster line: long enough to watch, a second, not eight.
        TWindowRig rig(kPicCard, true, TBaudRate::br115200);
        rig.Start();
        QCOMPARE(rig.work().SetFileField(TFileRow::frProgram, rig.Sample("sample84.hex")),
                 TIntentResult::irDone);
        QSignalSpy gauge(rig.Window().findChild<gui::TGauge*>(), &gui::TGauge::ValueChanged);
        std::vector<bool> buttonEnabled;
        std::vector<QString> captions;
        QTimer look;
        look.setInterval(20);
        QObject::connect(&look, &QTimer::timeout, [&] {
            buttonEnabled.push_back(rig.Find("btnWrite")->isEnabled());
            captions.push_back(rig.Find<QLabel>("pnlWriterStatus")->text());
        });
        look.start();
        const std::string before = rig.device.Card().Text(sim::TSimMemory::Program);
        rig.device.ClearFrames();
        rig.Action("WritePic1")->trigger();
        look.stop();
        // The window ran all along, its poll timer too, but no poll frame
        // came between the command's own.
        for (const std::string& frame : ShortFrames(rig.device)) {
            QVERIFY2(frame.front() != 'P', frame.c_str());
        }
        QVERIFY(rig.device.Card().Text(sim::TSimMemory::Program) != before);
        QVERIFY(!buttonEnabled.empty());
        QVERIFY(std::find(buttonEnabled.begin(), buttonEnabled.end(), true) == buttonEnabled.end());
        QVERIFY(std::find(captions.begin(), captions.end(), Entry(rig, entries::kVerifyingPic)) !=
                captions.end());
        int highest = 0;
        for (const auto& value : gauge) {
            highest = std::max(highest, value.at(0).toInt());
        }
        QCOMPARE(highest, 100);
        // Full with the result, until the next command starts.
        QCOMPARE(gauge.last().at(0).toInt(), 100);
        QVERIFY(rig.Find("btnWrite")->isEnabled());
        QCOMPARE(rig.Find<QLabel>("pnlWriterStatus")->text(), Entry(rig, entries::kCardReady));
    }

    void aBareFirstStartIsReadyAndAResultLastsAtOneHeight_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QStringLiteral("English");
        QTest::newRow("Deutsch") << QStringLiteral("Deutsch");
    }

    // A bare first start is ready to try on the simulator; a command's
    // result stays under the status panel in its colour, and the window
    // keeps its height through the command, its remarks and its result.
    void aBareFirstStartIsReadyAndAResultLastsAtOneHeight() {
        QFETCH(QString, language);
        TWindowRig rig;
        TStartChoices bare;
        bare.sampleOnFirstStart = true;
        rig.app.Start(bare);
        rig.Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.Window()));
        QTRY_COMPARE(rig.Find<QLabel>("pnlWriterStatus")->text(), Entry(rig, entries::kCardReady));
        QCOMPARE(rig.Window().windowTitle(), QStringLiteral("Korvex - Simulator"));
        QVERIFY(rig.Find<QLabel>("lblPortHint")->isVisible());
        rig.work().ChooseLanguage(language.toStdString());
        rig.Window().Render();
        SaveScreenshot(rig.Window(), QStringLiteral("main-first-start-") + language.toLower());

        const int height = rig.Window().height();
        std::vector<int> heights;
        QTimer look;
        look.setInterval(5);
        QObject::connect(&look, &QTimer::timeout,
                         [&] { heights.push_back(rig.Window().height()); });
        look.start();
        auto* result = rig.Find<QLabel>("lblResult");
        const auto autoProgram = [&](bool good) {
            if (good) {
                // An answer spoiled: the step is tried again, a remark.
                rig.device.AddFault(sim::ParseSimFault("badsum@D1"));
            } else {
                // A word the sample program does not leave blank.
                rig.device.Card().StickCell(sim::TSimMemory::Program, 4);
            }
            rig.Action("AutoProgram1")->trigger();
            QApplication::processEvents();
            QVERIFY(result->isVisible());
            QCOMPARE(rig.Find<QLabel>("lblNotes")->isVisible(), good);
            QCOMPARE(result->palette().color(QPalette::WindowText),
                     good ? QColor(0, 120, 0) : QColor(170, 0, 0));
            QCOMPARE(rig.Window().findChild<gui::TGauge*>()->Value(), good ? 100 : 0);
            SaveScreenshot(rig.Window(), QStringLiteral("main-result-%1-%2")
                                             .arg(good ? "good" : "failed", language.toLower()));
        };
        autoProgram(true);
        QVERIFY2(result->text().startsWith(Entry(rig, entries::kAutoFinished)),
                 qPrintable(result->text()));
        autoProgram(false);
        look.stop();
        QVERIFY(!heights.empty());
        for (const int seen : heights) {
            QCOMPARE(seen, height);
        }
        QCOMPARE(rig.Window().height(), height);
        // Only the change of language is stored.
        rig.Window().close();
        QCOMPARE(std::filesystem::exists(rig.dir / "settings" / "settings.ini"),
                 language == QLatin1String("Deutsch"));
    }

    void statusFollowsTheCardState() {
        TWindowRig rig;
        rig.Start();
        auto* status = rig.Find<QLabel>("pnlWriterStatus");
        rig.device.SetPresent(false);
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), Entry(rig, entries::kCardNotReady), 3000);
        QCOMPARE(status->palette().color(QPalette::Window), QColor(255, 255, 0));
        rig.device.SetPresent(true);
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), Entry(rig, entries::kCardReady), 3000);
    }

    void closingDuringAWriteStopsItReleasesTheProgrammerAndCloses() {
        TWindowRig rig(kPicCard, true);
        rig.Start();
        QCOMPARE(rig.work().SetFileField(TFileRow::frProgram, rig.Sample("sample84.hex")),
                 TIntentResult::irDone);
        rig.prompts.Clear();
        rig.device.ClearFrames();
        bool goneAtOnce = false;
        QTimer::singleShot(300, &rig.Window(), [&] {
            QVERIFY(rig.work().Busy());
            rig.Window().close();
            // Gone at once; the write is asked to stop, and the close ends later.
            goneAtOnce = !rig.Window().isVisible();
        });
        rig.Action("WritePic1")->trigger();
        QVERIFY(goneAtOnce);
        QTRY_VERIFY(!rig.Shot().connected);
        QVERIFY(rig.prompts.messages.empty());
        QCOMPARE(rig.device.Mode(), 0);
        const auto frames = ShortFrames(rig.device);
        QVERIFY(!frames.empty());
        QCOMPARE(QString::fromStdString(frames.back()).left(2), QStringLiteral("A0"));
        // The settings were saved on the way out.
        QVERIFY(std::filesystem::exists(rig.dir / "settings"));
    }

    // With a programmer that does not answer, closing takes the window away
    // at once and has let go of the line within a second, whether it was idle
    // or in the middle of a write. Fault: a close that waited, hidden, for a
    // write to stop never ended the program: it says so now (Closed).
    void closingNeverWaitsOnASilentProgrammer_data() {
        QTest::addColumn<bool>("writing");
        QTest::newRow("idle") << false;
        QTest::newRow("writing") << true;
    }

    void closingNeverWaitsOnASilentProgrammer() {
        QFETCH(bool, writing);
        TWindowRig rig(kPicCard, true, TBaudRate::br115200);
        rig.Start();
        QSignalSpy closed(&rig.Window(), &gui::Tfrmmain::Closed);
        rig.work().SetFileField(TFileRow::frProgram, rig.Sample("sample84.hex"));
        QElapsedTimer clock;
        qint64 closedIn = -1;
        const auto close = [&] {
            clock.start();
            rig.Window().close();
            closedIn = rig.Window().isVisible() ? -1 : clock.elapsed();
        };
        const auto silence = [&] { rig.device.SetListeningBaud(BaudOf(TBaudRate::br19200)); };
        if (writing) {
            QTimer::singleShot(300, &rig.Window(), [&] {
                silence();
                close();
            });
            rig.Action("WritePic1")->trigger();
        } else {
            silence();
            QTRY_COMPARE(rig.Shot().cardState, TPCardState::csNotConnected);
            close();
        }
        QVERIFY2(closedIn >= 0 && closedIn < 100, qPrintable(QString::number(closedIn)));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.Shot().connected, 1000 - static_cast<int>(clock.elapsed()));
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(rig.prompts.messages.empty());
    }

    // Why the port did not open is shown under the status panel, in the
    // words the command-line tool uses.
    void aPortThatDoesNotOpenSaysWhy() {
        TempDir dir;
        TRecordingPrompts prompts;
        TScriptedFiles files;
        gui::TAppParts parts;
        parts.settingsFolder = dir / "settings";
        parts.prompts = &prompts;
        parts.files = &files;
        parts.portOverride = (dir / "no-such-tty").string();
        gui::TKorvexApp app(TPDataFolders(CopyProgramFolder(dir), dir / "user"), parts);
        app.Start({1, TBaudRate::br19200, std::string(kPicCard)});
        app.Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.Window()));
        auto* problem = app.Window().findChild<QLabel*>(QStringLiteral("lblPortProblem"));
        QVERIFY(problem->isVisible());
        QVERIFY2(problem->text().startsWith(QStringLiteral("cannot open COM1 (") +
                                            gui::Q((dir / "no-such-tty").string()) +
                                            QStringLiteral("): No such serial device")),
                 qPrintable(problem->text()));
        SaveScreenshot(app.Window(), QStringLiteral("main-port-problem"));
    }

    void languageMenuSwitchesEveryCaptionAndBack() {
        TWindowRig rig;
        rig.Start();
        CheckEveryCaption(rig);
        const QString englishRead = rig.Find<QPushButton>("btnRead")->text();
        QAction* deutsch = rig.Action("Deutsch");
        QVERIFY(deutsch != nullptr);
        deutsch->trigger();
        QVERIFY(deutsch->isChecked());
        QCOMPARE(rig.Shot().language, std::string("Deutsch"));
        CheckEveryCaption(rig);
        QVERIFY(rig.Find<QPushButton>("btnRead")->text() != englishRead);
        SaveScreenshot(rig.Window(), QStringLiteral("main-deutsch"));
        ChooseCard(rig, kAvr9Card);
        CheckEveryCaption(rig);
        rig.Action("English")->trigger();
        CheckEveryCaption(rig);
        ChooseCard(rig, kPicCard);
        CheckEveryCaption(rig);
        QCOMPARE(rig.Find<QPushButton>("btnRead")->text(), englishRead);
    }

    void filesComeFromTypingDropsAndDialogs() {
        TWindowRig rig;
        rig.Start();
        auto* field = rig.Find<QLineEdit>("flePicfile");
        auto* status = rig.Find<QLabel>("edtPicStatus");
        QCOMPARE(status->text(), Entry(rig, entries::kNoFile));
        QVERIFY(!rig.Find("btnViewPic")->isEnabled());
        field->setFocus();
        field->clear();
        QTest::keyClicks(field, QString::fromStdString(rig.Sample("sample84.hex")));
        QCOMPARE(status->text(), Entry(rig, entries::kFileFound));
        QCOMPARE(status->palette().color(QPalette::Window), QColor(0, 255, 0));
        QVERIFY(rig.Find("btnViewPic")->isEnabled());

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(rig.Sample("sample24c16.hex")))});
        auto* eeprom = rig.Find<QLineEdit>("fleEeprom");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(eeprom, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(eeprom, &drop);
        QCOMPARE(FieldPath(rig, "fleEeprom"),
                 QString::fromStdString(rig.Sample("sample24c16.hex")));
        QCOMPARE(rig.Find<QLabel>("edtEestatus")->text(), Entry(rig, entries::kFileFound));

        // The loader's button asks first; No opens no dialog.
        rig.prompts.answers.push_back(false);
        const std::size_t dialogs = rig.files.titles.size();
        rig.Find<QToolButton>("btnOpenLoader")->click();
        QCOMPARE(rig.files.titles.size(), dialogs);

        TModalWatcher watcher;
        watcher.onDialog = [](QWidget& dialog) {
            SaveScreenshot(dialog, QStringLiteral("dialog-hexview-from-window"));
        };
        rig.Find<QToolButton>("btnViewPic")->click();
        QCOMPARE(watcher.seen, std::vector<QString>{QStringLiteral("frmHexView")});
    }

    // What the workflows refuse or find failed reaches the user through the
    // window, and the card is left alone: a card type with no file of its
    // own, a field typed over with a file that is not there, options that
    // leave Write Pic nothing to do, an erase the programmer did not confirm.
    void refusalsAndFailuresOfTheCommandsAreShown() {
        TWindowRig rig;
        rig.Start();
        rig.work().SetFileField(TFileRow::frProgram, rig.Sample("sample84.hex"));
        const auto writePic = [&](int expected, TMessageKind kind) {
            rig.prompts.Clear();
            rig.device.ClearFrames();
            rig.Action("WritePic1")->trigger();
            QCOMPARE(rig.prompts.Entries(), std::vector<int>{expected});
            QCOMPARE(rig.prompts.messages[0].kind, kind);
            QCOMPARE(rig.device.Frames().empty() || rig.device.Frames().back().command == 'P',
                     true);
            QVERIFY(rig.device.Card().ProgramBlank());
        };
        ChooseCard(rig, kAvrCard);
        writePic(entries::kNoProgramImage, TMessageKind::mkError);

        ChooseCard(rig, kPicCard);
        auto* field = rig.Find<QLineEdit>("flePicfile");
        const auto type = [&](const std::string& text) {
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Delete);
            QTest::keyClicks(field, QString::fromStdString(text));
        };
        type(rig.Sample("sample84.hex"));
        type("/nowhere/x.hex");
        QCOMPARE(rig.Find<QLabel>("edtPicStatus")->text(), Entry(rig, entries::kNoFile));
        QCOMPARE(rig.Find("edtPicStatus")->toolTip(), Entry(rig, entries::kNoSuchFile));
        writePic(entries::kRowUnusable, TMessageKind::mkError);

        type(rig.Sample("sample84.hex"));
        TOptionBoxes boxes;
        boxes.chkwwPic = false;
        boxes.chkwvPic = false;
        QCOMPARE(rig.work().AcceptOptions(boxes), TIntentResult::irDone);
        writePic(entries::kWritePicNothingToDo, TMessageKind::mkError);

        // Refused every time it is sent, on every try of the step.
        for (int i = 1; i <= 6 * (1 + TPOptionReader::kDefaultStepRetries); ++i) {
            rig.device.AddFault(sim::ParseSimFault("nack@H" + std::to_string(i)));
        }
        rig.prompts.Clear();
        rig.Action("ErasePic1")->trigger();
        QCOMPARE(rig.prompts.Entries(), std::vector<int>{entries::kEraseNotConfirmed});
        QCOMPARE(rig.prompts.messages[0].kind, TMessageKind::mkError);
        // Each step tried again was a remark under the status panel.
        auto* notes = rig.Find<QLabel>("lblNotes");
        QVERIFY(notes->isVisible());
        QVERIFY2(notes->text().contains(QStringLiteral("trying the step again")),
                 qPrintable(notes->text()));
    }

    void anErrorInAHandlerIsShownAndTheWindowGoesOn() {
        TWindowRig rig;
        rig.Start();
        rig.Find<QLineEdit>("Edit3")->setText(QStringLiteral("abc"));
        rig.Find<QPushButton>("btnSet")->click();
        QCOMPARE(rig.prompts.messages.size(), std::size_t{1});
        QCOMPARE(rig.prompts.messages[0].kind, TMessageKind::mkError);
        QVERIFY(
            QString::fromStdString(rig.prompts.messages[0].text).contains(QStringLiteral("abc")));
        // A log that cannot be saved says why.
        rig.files.names.push_back(rig.dir / "no-such-folder" / "log.txt");
        rig.Find<QPushButton>("btnSave")->click();
        QCOMPARE(rig.prompts.messages.size(), std::size_t{2});
        QVERIFY(QString::fromStdString(rig.prompts.messages[1].text)
                    .contains(QStringLiteral("log.txt")));
        QVERIFY(rig.Window().isVisible());
    }

    // The built-in programmer holds a card of the card type shown: after a
    // change to an AVR card type its card answers as that processor.
    void theBuiltInProgrammerFollowsTheCardTypeShown() {
        TempDir dir;
        TRecordingPrompts prompts;
        TRecordedPrompts linkPrompts;
        TScriptedFiles files;
        gui::TAppParts parts;
        parts.settingsFolder = dir / "settings";
        parts.prompts = &prompts;
        parts.linkPrompts = &linkPrompts;
        parts.files = &files;
        parts.portOverride = std::string(TPortMap::kSimulator);
        gui::TKorvexApp app(TPDataFolders(CopyProgramFolder(dir), dir / "user"), parts);
        TStartChoices choices;
        choices.comPort = 1;
        choices.speed = TBaudRate::br19200;
        choices.cardName = kPicCard;
        app.Start(choices);
        QCOMPARE(app.Work().ChooseCardType(kAvrCard), TIntentResult::irDone);
        QTest::qWait(50);
        app.Work().PollNow();
        QCOMPARE(app.Work().Snapshot().cardState, TPCardState::csCardReady);
        prompts.Clear();
        // A card of the PIC card type shown before would not identify as
        // the AVR's processor (entry 117).
        QCOMPARE(app.Work().RunCommand(TCardCommand::ccErasePic), TOutcome::ocSucceeded);
        QCOMPARE(prompts.Entries(), std::vector<int>{});
    }

    void portMenuListsTheDevicesAndRemembersTheOneChosen() {
        TWindowRig rig;
        rig.Start();
        QMenu* ports = rig.Find<QMenu>("Port1");
        emit ports->aboutToShow();
        QStringList texts;
        QAction* device = nullptr;
        for (QAction* item : ports->actions()) {
            texts << item->text();
            if (item->data().toString() == QStringLiteral("/dev/ttyUSB7")) {
                device = item;
            }
        }
        QVERIFY(texts.contains(QStringLiteral("Simulator")));
        QVERIFY(device != nullptr);
        device->trigger();
        QCOMPARE(rig.app.Ports().PathOf(1), std::string("/dev/ttyUSB7"));
        QCOMPARE(rig.Shot().comPort, 1);
        QVERIFY(rig.Action("Com12")->text().contains(QStringLiteral("/dev/ttyUSB7")));
        // One choice among many: the item that opens the device, alone.
        QStringList ticked;
        for (QAction* item : ports->actions()) {
            if (item->isChecked()) {
                ticked << item->objectName();
            }
            QVERIFY(item->isSeparator() || item->actionGroup() == nullptr ||
                    item->actionGroup()->isExclusive());
        }
        QCOMPARE(ticked, QStringList{QStringLiteral("Com12")});
        // Remembered for the next start.
        const TPortMap stored = TPortMap::Load(TPSettingsStore(rig.dir / "settings"));
        QCOMPARE(stored.PathOf(1), std::string("/dev/ttyUSB7"));
    }
};

KORVEX_GUI_TEST_MAIN(TMainWindowTest)
#include "mainwindow_test.moc"
