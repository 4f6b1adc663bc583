#include "dialogs/about.h"
#include "dialogs/addcard.h"
#include "dialogs/editcard.h"
#include "dialogs/filechooser.h"
#include "dialogs/gethexview.h"
#include "dialogs/hexview.h"
#include "dialogs/messageboxes.h"
#include "dialogs/options.h"
#include "dialogs/serialfield.h"
#include "dialogs/widgettools.h"
#include "gui/guitest.h"
#include "workflows/entries.h"
#include "workflows/filerows/fileview.h"
#include "workflows/session/readback.h"
#include "workflows/workflowrig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <deque>

using namespace korvex;
using namespace korvex::gui;
using namespace korvex::testing;

namespace {

// The save dialog, answered from a script: a path, or nullopt for Cancel.
class TScriptedFiles final : public TFileChooser {
public:
    std::optional<std::filesystem::path> OpenFile(QWidget*, const QString&, std::string_view,
                                                  const QString&) override {
        return Next();
    }
    std::optional<std::filesystem::path> SaveFile(QWidget*, const QString&, std::string_view,
                                                  const QString&) override {
        return Next();
    }

    std::deque<std::optional<std::filesystem::path>> names;

private:
    std::optional<std::filesystem::path> Next() {
        if (names.empty()) {
            return std::nullopt;
        }
        auto name = names.front();
        names.pop_front();
        return name;
    }
};

template <typename Widget>
Widget* Child(QWidget& form, const char* name) {
    auto* child = form.findChild<Widget*>(QLatin1String(name));
    if (child == nullptr) {
        qFatal("no control %s", name);
    }
    return child;
}

void Shoot(QWidget& form, const char* name) {
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    SaveScreenshot(form, QStringLiteral("dialog-") + QLatin1String(name));
}

void Fill(QWidget& form, const char* name, const char* description, const QString& processor) {
    Child<QLineEdit>(form, "edtName")->setText(QLatin1String(name));
    Child<QLineEdit>(form, "mmoDescription")->setText(QLatin1String(description));
    Child<QComboBox>(form, "cmbPic")->setEditText(processor);
}

void Click(QWidget& form, const char* button) {
    Child<QPushButton>(form, button)->click();
}

// The words of the read-back window, the file's name alone after a save.
THexViewWords SavedAsName() {
    THexViewWords words;
    words.saved = "%1";
    return words;
}

std::string Counting(int bytes) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < bytes; ++i) {
        data.push_back(static_cast<std::uint8_t>(i));
    }
    return BytesText(data);
}

} // namespace

class TDialogsTest : public QObject {
    Q_OBJECT

private slots:
    // --- card types

    void addCardCreatesTheFileAndCloses() {
        TWorkflowRig rig;
        rig.Start();
        TfrmAddCard dialog(rig.flows, rig.prompts);
        QTimer::singleShot(0, &dialog, [&] {
            Fill(dialog, "New card", "A test card", QStringLiteral("PIC 16F877"));
            Shoot(dialog, "addcard");
            Click(dialog, "btnCreate");
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        const std::string file = ReadText(rig.CardFile("New card"));
        QVERIFY(file.find("PicName=PIC 16F877") != std::string::npos);
        QVERIFY(file.find("EepromName=None") != std::string::npos);
        QVERIFY(rig.prompts.messages.empty());
    }

    void addCardWithAnEmptyFieldWritesNothing() {
        TWorkflowRig rig;
        rig.Start();
        TfrmAddCard dialog(rig.flows, rig.prompts);
        dialog.show();
        Fill(dialog, "New card", "", QStringLiteral("PIC 16F877"));
        Click(dialog, "btnCreate");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QVERIFY(!std::filesystem::exists(rig.CardFile("New card")));
        QVERIFY(rig.prompts.messages.empty());
    }

    void addCardWithAnUnusableNameExplainsAndStaysOpen() {
        TWorkflowRig rig;
        rig.Start();
        TfrmAddCard dialog(rig.flows, rig.prompts);
        dialog.show();
        Fill(dialog, "../outside", "A test card", QStringLiteral("PIC 16F877"));
        Click(dialog, "btnCreate");
        QVERIFY(dialog.isVisible());
        QCOMPARE(rig.prompts.messages.size(), std::size_t(1));
        QCOMPARE(rig.prompts.messages[0].kind, TMessageKind::mkError);
        QVERIFY(!std::filesystem::exists(rig.folder / "outside.ini"));
        // Mended, the same dialog goes on.
        Child<QLineEdit>(dialog, "edtName")->setText(QStringLiteral("inside"));
        Click(dialog, "btnCreate");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(std::filesystem::exists(rig.CardFile("inside")));
    }

    void editCardKeepsTheNameAndWritesTheFields() {
        TWorkflowRig rig;
        rig.Start();
        TScriptedFiles files;
        TfrmEditCardType dialog(rig.flows, rig.prompts, files);
        Shoot(dialog, "editcard");
        auto* name = Child<QLineEdit>(dialog, "edtName");
        QCOMPARE(name->text(), QLatin1String(kPicCard));
        QVERIFY(name->isReadOnly());
        QCOMPARE(Child<QComboBox>(dialog, "cmbEeprom")->currentText(), QStringLiteral("24C16"));
        Child<QLineEdit>(dialog, "mmoDescription")->setText(QStringLiteral("Changed"));
        Child<QComboBox>(dialog, "cmbEeprom")->setEditText(QStringLiteral("24C64"));
        Click(dialog, "btnCreate");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const std::string file = ReadText(rig.CardFile(kPicCard));
        QVERIFY(file.find("CardDescription=Changed") != std::string::npos);
        QVERIFY(file.find("EepromName=24C64") != std::string::npos);
    }

    void captionsFollowTheLanguage() {
        TWorkflowRig rig;
        rig.Start();
        const QString english = TfrmAddCard(rig.flows, rig.prompts).windowTitle();
        QCOMPARE(english, QString::fromStdString(rig.Text(entries::kAddCaption)));
        QCOMPARE(rig.flows.ChooseLanguage("Deutsch"), TIntentResult::irDone);
        TfrmAddCard dialog(rig.flows, rig.prompts);
        QCOMPARE(dialog.windowTitle(), QString::fromStdString(rig.Text(entries::kAddCaption)));
        QVERIFY(dialog.windowTitle() != english);
        QCOMPARE(Child<QPushButton>(dialog, "btnCancel")->text(),
                 QString::fromStdString(rig.Text(entries::kAddCancel)));
        TfrmOptions options(rig.flows);
        QCOMPARE(Child<QCheckBox>(options, "chkwvEeprom")->text(),
                 QString::fromStdString(rig.Text(entries::kOptionVerifyEeprom)));
        Shoot(dialog, "addcard-deutsch");
    }

    // --- options

    void optionsShowTheFileAndOkWritesIt() {
        TWorkflowRig rig;
        const auto file = rig.folder / "options" / "options.ini";
        WriteText(file, "[Auto]\nWriteEe=0\n");
        TfrmOptions dialog(rig.flows);
        Shoot(dialog, "options");
        QVERIFY(!Child<QCheckBox>(dialog, "chkawEeprom")->isChecked());
        QVERIFY(Child<QCheckBox>(dialog, "chkavEeprom")->isChecked());
        QVERIFY(Child<QCheckBox>(dialog, "chkwwPic")->isChecked());
        QCOMPARE(Child<QSpinBox>(dialog, "spnStepRetries")->value(),
                 TPOptionReader::kDefaultStepRetries);
        Child<QCheckBox>(dialog, "chkwvPic")->setChecked(false);
        Child<QCheckBox>(dialog, "chkawEeprom")->setChecked(true);
        Child<QSpinBox>(dialog, "spnStepRetries")->setValue(5);
        Click(dialog, "btnOk");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(rig.Options().GetStepRetries(), 5);
        QVERIFY(!rig.Options().GetWritePicVerify());
        QVERIFY(rig.Options().GetAutoWriteEe());
        QVERIFY(rig.Options().GetWritePicWrite());
    }

    void optionsCancelWritesNothing() {
        TWorkflowRig rig;
        TfrmOptions dialog(rig.flows);
        const auto file = rig.folder / "options" / "options.ini";
        const std::string before = ReadText(file);
        dialog.show();
        Child<QCheckBox>(dialog, "chkawPic")->setChecked(false);
        Click(dialog, "btnCancel");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(ReadText(file), before);
    }

    // --- hex views

    void fileViewShowsWholeLinesInAFixedFont() {
        TWorkflowRig rig;
        const std::string file =
            rig.File("prog.hex", PicHexFile(SomeWords(64), SomeBytes(8), 0x3FF1));
        const TPFileView view(file, TViewKind::vkProgram, false);
        TfrmHexView dialog(view);
        Shoot(dialog, "hexview");
        QCOMPARE(dialog.windowTitle(), QString::fromStdString(view.Caption()));
        auto* memo = Child<QPlainTextEdit>(dialog, "mmoHexview");
        QVERIFY(memo->isReadOnly());
        QVERIFY(EveryCharacterAsWide(memo->font()));
        QCOMPARE(memo->toPlainText().split(QLatin1Char('\n')).size(),
                 qsizetype(view.MemoLines().size()));
        QCOMPARE(memo->horizontalScrollBar()->maximum(), 0);
    }

    // The read-back window closes only when its user closes it: a save goes
    // through and says where, a cancelled or refused one leaves the read.
    void readBackKeepsTheReadUntilItIsClosed() {
        TWorkflowRig rig;
        WriteText(rig.dir / "dump.hex", "old");
        TPReadBack readBack(false, false, Counting(16), Counting(64), Counting(256));
        TScriptedFiles files;
        files.names = {std::nullopt, rig.dir / "dump", rig.dir / "dump"};
        rig.prompts.answers = {false, true};
        TfrmGetHexView dialog(readBack, files, rig.prompts);
        Shoot(dialog, "gethexview-pic");
        QCOMPARE(Child<QLabel>(dialog, "lblMode")->text(), QStringLiteral("Pic"));
        QCOMPARE(Child<QPlainTextEdit>(dialog, "mmoHexview")->horizontalScrollBar()->maximum(), 0);
        const QString shown = Child<QPlainTextEdit>(dialog, "mmoHexview")->toPlainText();
        for (int press = 0; press < 3; ++press) {
            Click(dialog, "btnSave");
            QVERIFY(dialog.isVisible());
            QCOMPARE(Child<QPlainTextEdit>(dialog, "mmoHexview")->toPlainText(), shown);
        }
        QCOMPARE(rig.prompts.presets, (std::vector<TAnswer>{TAnswer::anNo, TAnswer::anNo}));
        QVERIFY(ReadText(rig.dir / "dump.hex").find(":00000001FF") != std::string::npos);
        QCOMPARE(Child<QLabel>(dialog, "lblSaved")->text(),
                 QStringLiteral("Saved to ") +
                     QString::fromStdString((rig.dir / "dump.hex").string()));
    }

    void avrReadBackSavesTwoFilesInTwoPresses() {
        TWorkflowRig rig;
        TPReadBack readBack(true, false, "", Counting(32), Counting(256));
        TScriptedFiles files;
        files.names = {rig.dir / "flash", rig.dir / "data"};
        TfrmGetHexView dialog(readBack, files, rig.prompts, SavedAsName());
        dialog.show();
        auto* memo = Child<QPlainTextEdit>(dialog, "mmoHexview");
        const QString program = memo->toPlainText();
        Click(dialog, "btnSave");
        QVERIFY(std::filesystem::exists(rig.dir / "flash.hex"));
        QCOMPARE(Child<QLabel>(dialog, "lblMode")->text(),
                 QStringLiteral("Atmel - Internal eeprom"));
        QVERIFY(memo->toPlainText() != program);
        QCOMPARE(memo->toPlainText().count(QLatin1Char('\n')), 0);
        Shoot(dialog, "gethexview-avr-eeprom");
        Click(dialog, "btnSave");
        QVERIFY(dialog.isVisible());
        QVERIFY(std::filesystem::exists(rig.dir / "data.hex"));
    }

    void unwritableFileExplainsAndLeavesTheWindow() {
        TWorkflowRig rig;
        TPReadBack readBack(true, false, "", Counting(32), Counting(256));
        TScriptedFiles files;
        files.names.push_back(rig.dir / "missing" / "flash");
        TfrmGetHexView dialog(readBack, files, rig.prompts, SavedAsName());
        dialog.show();
        Click(dialog, "btnSave");
        QVERIFY(dialog.isVisible());
        QCOMPARE(rig.prompts.messages.size(), std::size_t(1));
        QCOMPARE(rig.prompts.messages[0].kind, TMessageKind::mkError);
        QCOMPARE(Child<QLabel>(dialog, "lblMode")->text(), QStringLiteral("Atmel - Processor"));
        QVERIFY(!readBack.SecondStage());
    }

    // The message boxes are titled and their buttons worded in the language
    // shown, and a question offers the answer it is asked with first.
    void messageBoxesAreTitledInTheLanguageAndPresetTheirAnswer() {
        TWorkflowRig rig;
        rig.Start();
        rig.flows.ChooseLanguage("Deutsch");
        TQtPrompts prompts;
        prompts.SetTexts([&](int entry) { return QString::fromStdString(rig.Text(entry)); });
        QString title;
        QStringList buttons;
        QMessageBox::StandardButton preset = QMessageBox::NoButton;
        const auto answer = [&] {
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box != nullptr);
                title = box->windowTitle();
                buttons.clear();
                for (const QAbstractButton* button : box->buttons()) {
                    buttons << button->text();
                }
                buttons.sort();
                preset = box->standardButton(box->defaultButton());
                box->done(QMessageBox::No);
            });
        };
        const std::pair<TMessageKind, int> kinds[] = {
            {TMessageKind::mkError, entries::kErrorTitle},
            {TMessageKind::mkWarning, entries::kWarningTitle},
            {TMessageKind::mkInformation, entries::kInformationTitle}};
        for (const auto& [kind, entry] : kinds) {
            answer();
            prompts.ShowMessage(kind, -1, "text");
            QCOMPARE(title, QString::fromStdString(rig.Text(entry)));
            QCOMPARE(buttons, QStringList{QString::fromStdString(rig.Text(entries::kOk))});
        }
        for (const auto& [given, shown] : {std::pair{TAnswer::anNo, QMessageBox::No},
                                           std::pair{TAnswer::anYes, QMessageBox::Yes}}) {
            answer();
            QVERIFY(!prompts.Ask(-1, "question", given));
            QCOMPARE(title, QStringLiteral("Bestätigung"));
            QCOMPARE(buttons, (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein")}));
            QCOMPARE(preset, shown);
        }
    }

    // The card type dialog keeps a new serial number field, checked as it is
    // given, and writes it with the card type.
    void editCardAddsASerialField() {
        TWorkflowRig rig;
        rig.Start();
        TScriptedFiles files;
        TfrmEditCardType dialog(rig.flows, rig.prompts, files);
        dialog.show();
        int tries = 0;
        const auto fill = [&](const char* length) {
            QTimer::singleShot(0, [&, length] {
                QWidget* form = QApplication::activeModalWidget();
                QVERIFY(form != nullptr && form->objectName() == QStringLiteral("frmSerialField"));
                Child<QLineEdit>(*form, "edtSerialAddress")->setText(QStringLiteral("0x20"));
                Child<QSpinBox>(*form, "spnSerialLength")
                    ->setValue(QString::fromLatin1(length).toInt());
                Child<QLineEdit>(*form, "edtSerialLast")->setText(QStringLiteral("99999999999"));
                if (++tries == 1) {
                    Shoot(*form, "serialfield");
                }
                Click(*form, "btnOk");
                if (form->isVisible()) { // refused: the reason was shown
                    Child<QPushButton>(*form, "btnCancel")->click();
                }
            });
        };
        fill("2"); // the last value does not fit two bytes
        Click(dialog, "btnSerialAdd");
        QCOMPARE(rig.prompts.messages.size(), std::size_t{1});
        QCOMPARE(Child<QTableWidget>(dialog, "tblSerials")->rowCount(), 0);
        fill("8");
        Click(dialog, "btnSerialAdd");
        QCOMPARE(Child<QTableWidget>(dialog, "tblSerials")->rowCount(), 1);
        Shoot(dialog, "editcard-serials");
        Click(dialog, "btnCreate");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const std::string file = ReadText(rig.CardFile(kPicCard));
        QVERIFY2(file.find("[Serial1]") != std::string::npos, file.c_str());
        QVERIFY(file.find("Address=0x0020") != std::string::npos);
    }

    // --- the keyboard

    // Enter in any field of a dialog presses its default button: a dialog
    // made afresh for each field.
    void enterPressesTheDefaultButtonFromEveryField() {
        TWorkflowRig rig;
        rig.Start();
        TScriptedFiles files;
        const TPFileView view(rig.File("prog.hex", PicHexFile(SomeWords(8), SomeBytes(8), 0x3FF1)),
                              TViewKind::vkProgram, false);
        TPReadBack readBack(false, false, "3FFF", "FF", "FFFF");
        const std::pair<const char*, std::function<QDialog*()>> dialogs[] = {
            {"add", [&] { return new TfrmAddCard(rig.flows, rig.prompts); }},
            {"edit", [&] { return new TfrmEditCardType(rig.flows, rig.prompts, files); }},
            {"serial", [&] { return new TfrmSerialField(rig.flows, files, {}, true); }},
            {"options", [&] { return new TfrmOptions(rig.flows); }},
            {"about", [&] { return new TfrmAbout(rig.flows, 105); }},
            {"hexview", [&] { return new TfrmHexView(view); }},
            {"readback", [&] { return new TfrmGetHexView(readBack, files, rig.prompts); }},
        };
        for (const auto& [name, make] : dialogs) {
            int fields = 0;
            for (qsizetype at = 0;; ++at) {
                const std::unique_ptr<QDialog> dialog(make());
                dialog->show();
                const QList<QWidget*> children = dialog->findChildren<QWidget*>();
                if (at == children.size()) {
                    break;
                }
                QWidget* target = children[at];
                if (!target->isVisible() || target->focusPolicy() == Qt::NoFocus ||
                    qobject_cast<QAbstractButton*>(target) || target->focusProxy() != nullptr) {
                    continue;
                }
                QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
                const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
                QSignalSpy pressed(*std::find_if(buttons.begin(), buttons.end(),
                                                 [](auto* button) { return button->isDefault(); }),
                                   &QPushButton::clicked);
                target->setFocus();
                // A name typed into a list is completed from its items.
                if (auto* list = qobject_cast<QComboBox*>(target); list && list->isEditable()) {
                    list->clearEditText();
                    QTest::keyClicks(target, list->itemText(0).left(1));
                    QVERIFY(list->lineEdit()->hasSelectedText());
                }
                QTest::keyClick(target, Qt::Key_Return);
                QVERIFY2(pressed.count() == 1, qPrintable(target->objectName()));
                ++fields;
            }
            QVERIFY2(fields > 0, name);
        }
    }

    // --- about

    void aboutShowsTheVersionsAndOpensTheLinks() {
        TWorkflowRig rig;
        rig.Start();
        TfrmAbout dialog(rig.flows, 104);
        Shoot(dialog, "about");
        QCOMPARE(Child<QLabel>(dialog, "lblFirmware")->text(),
                 QString::fromStdString(rig.Text(entries::kAboutFirmware)));
        QCOMPARE(Child<QLabel>(dialog, "lblFirmwareVersion")->text(), QStringLiteral("104"));
        emit Child<QLabel>(dialog, "lblBugReport")->linkActivated(QStringLiteral("#"));
        QCOMPARE(rig.view.documents,
                 std::vector<std::string>{rig.Text(entries::kBugReportAddress)});
        TfrmAbout offline(rig.flows, std::nullopt);
        QCOMPARE(Child<QLabel>(offline, "lblFirmwareVersion")->text(),
                 QString::fromStdString(rig.Text(entries::kNotConnected)));
    }
};

KORVEX_GUI_TEST_MAIN(TDialogsTest)
#include "dialogs_test.moc"
