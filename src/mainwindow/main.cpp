#include "dialogs/qtext.h"
#include "mainwindow/korvexapp.h"
#include "support/errors.h"
#include "support/programfolder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <iostream>

namespace {

using korvex::gui::Q;
using korvex::gui::U;

// An error that reaches the event loop is shown, as any other failure of a
// user's action, and the program goes on.
class TKorvexApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            QMessageBox::critical(activeWindow(), QStringLiteral("Error"),
                                  Q(korvex::DescribeError(error)));
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    TKorvexApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvex"));
    QApplication::setApplicationVersion(QStringLiteral(KORVEX_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvex.Korvex"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/korvex-64.png"));
    icon.addFile(QStringLiteral(":/icons/korvex-128.png"));
    QApplication::setWindowIcon(icon);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Korvex smart card programmer"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("COM1..COM8, a serial device, or sim for the built-in "
                       "simulated programmer (this run only)."),
        QStringLiteral("port"));
    const QCommandLineOption card(QStringLiteral("card"), QStringLiteral("The card type to show."),
                                  QStringLiteral("name"));
    const QCommandLineOption pic(QStringLiteral("pic"), QStringLiteral("The program file."),
                                 QStringLiteral("file"));
    const QCommandLineOption eeprom(QStringLiteral("eeprom"),
                                    QStringLiteral("The external EEPROM file."),
                                    QStringLiteral("file"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the window to the file and end."),
        QStringLiteral("file"));
    // For the start-up benchmark: ends as soon as the window has been shown.
    QCommandLineOption quitWhenShown(QStringLiteral("quit-when-shown"),
                                     QStringLiteral("End once the window is shown."));
    quitWhenShown.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({port, card, pic, eeprom, screenshot, quitWhenShown});
    parser.process(app);

    try {
        korvex::gui::TAppParts parts;
        korvex::TStartChoices choices;
        if (parser.isSet(port)) {
            const std::string name = U(parser.value(port));
            if (const int number = korvex::TPortMap::ComNumberOf(name); number > 0) {
                choices.comPort = number;
            } else {
                parts.portOverride = name;
                choices.comPort = 1;
            }
        }
        if (parser.isSet(card)) {
            choices.cardName = U(parser.value(card));
        }
        korvex::gui::TKorvexApp korvexApp(
            korvex::TPDataFolders(korvex::ExecutableFolder(),
                                  korvex::TPDataFolders::DefaultUserFolder()),
            parts);
        korvexApp.Start(choices);
        if (parser.isSet(pic)) {
            korvexApp.Work().SetFileField(korvex::TFileRow::frProgram, U(parser.value(pic)));
        }
        if (parser.isSet(eeprom)) {
            korvexApp.Work().SetFileField(korvex::TFileRow::frEeprom, U(parser.value(eeprom)));
        }
        korvexApp.Window().Render();
        korvexApp.Window().show();
        if (parser.isSet(screenshot)) {
            const QString file = parser.value(screenshot);
            QTimer::singleShot(600, &app, [&] {
                const bool saved = korvexApp.Window().grab().save(file);
                std::cout << (saved ? "Saved a picture of the window: " : "Cannot save ") << U(file)
                          << std::endl;
                korvexApp.Window().close();
            });
        }
        if (parser.isSet(quitWhenShown)) {
            QTimer::singleShot(0, &app, [&] { korvexApp.Window().close(); });
        }
        return QApplication::exec();
    } catch (const std::exception& error) {
        // Started from a menu, nobody reads stderr: a catalogue line that
        // cannot be right must reach the user before the program ends.
        // Off screen nobody could close the box.
        std::cerr << "korvex: " << korvex::DescribeError(error) << '\n';
        if (QGuiApplication::platformName() != QStringLiteral("offscreen")) {
            QMessageBox::critical(nullptr, QStringLiteral("Korvex"),
                                  Q(korvex::DescribeError(error)));
        }
        return 1;
    }
}
