#include "dialogs/qtext.h"
#include "mainwindow/korvexapp.h"
#include "support/errors.h"
#include "support/programfolder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <iostream>
#include <string_view>

namespace {

using korvex::gui::Q;
using korvex::gui::U;

// How long --screenshot waits for the programmer's first answer, and how
// often it looks.
constexpr qint64 kPictureWaitMs = 5000;
constexpr int kPictureLookMs = 50;

// An error that reaches the event loop is shown, as any other failure of a
// user's action, in a box titled in the language shown, and the program goes
// on.
class TKorvexApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            if (showError) {
                showError(error);
            } else {
                std::cerr << "korvex: " << korvex::DescribeError(error) << '\n';
            }
        }
        return false;
    }

    std::function<void(const std::exception&)> showError;
};

// The window's command line, for the window and for the answers given
// without one.
struct TWindowOptions {
    TWindowOptions() {
        parser.setApplicationDescription(QStringLiteral("Korvex smart card programmer"));
        parser.addHelpOption();
        parser.addVersionOption();
        quitWhenShown.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOptions({port, card, pic, eeprom, screenshot, quitWhenShown});
    }

    QCommandLineParser parser;
    const QCommandLineOption port{
        QStringLiteral("port"),
        QStringLiteral("COM1..COM8, a serial device, or sim for the built-in "
                       "simulated programmer (this run only)."),
        QStringLiteral("port")};
    const QCommandLineOption card{QStringLiteral("card"), QStringLiteral("The card type to show."),
                                  QStringLiteral("name")};
    const QCommandLineOption pic{QStringLiteral("pic"), QStringLiteral("The program file."),
                                 QStringLiteral("file")};
    const QCommandLineOption eeprom{QStringLiteral("eeprom"),
                                    QStringLiteral("The external EEPROM file."),
                                    QStringLiteral("file")};
    const QCommandLineOption screenshot{
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the window to the file and end."),
        QStringLiteral("file")};
    // For the start-up benchmark: ends as soon as the window has been shown.
    QCommandLineOption quitWhenShown{QStringLiteral("quit-when-shown"),
                                     QStringLiteral("End once the window is shown.")};
};

void DescribeApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Korvex"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVEX_VERSION));
}

// --help and --version are answered before a QApplication is made, which
// without a display would end the program before it could answer.
bool AsksOnlyForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            break;
        }
        for (const char* text : {"-h", "-?", "--help", "--help-all", "-v", "--version"}) {
            if (argument == text) {
                return true;
            }
        }
    }
    return false;
}

// The choices of the command line, for this run only; a device named by
// its path, or the simulator, takes the place of COM1 through `parts`.
korvex::TStartChoices StartChoicesOf(const TWindowOptions& options, korvex::gui::TAppParts& parts) {
    const QCommandLineParser& parser = options.parser;
    const QCommandLineOption& port = options.port;
    const QCommandLineOption& card = options.card;
    const QCommandLineOption& pic = options.pic;
    const QCommandLineOption& eeprom = options.eeprom;
    korvex::TStartChoices choices;
    if (parser.isSet(port)) {
        const std::string name = U(parser.value(port));
        const auto argument = korvex::TPortMap::ReadArgument(name);
        if (!argument) {
            throw korvex::EKorvex("unknown port \"" + name +
                                  "\": " + std::string(korvex::TPortMap::kArgumentHelp));
        }
        choices.comPort = argument->comNumber;
        parts.portOverride = argument->device;
    }
    if (parser.isSet(card)) {
        choices.cardName = U(parser.value(card));
    }
    if (parser.isSet(pic)) {
        choices.programFile = U(parser.value(pic));
    }
    if (parser.isSet(eeprom)) {
        choices.eepromFile = U(parser.value(eeprom));
    }
    return choices;
}

// Saves a picture of the window once the programmer has answered the first
// poll, or after a few seconds of silence, then closes the window.
void TakePictureOnceAnswered(korvex::gui::TKorvexApp& korvexApp, const QString& file,
                             QTimer& pictureTimer, QElapsedTimer& waited) {
    waited.start();
    QObject::connect(&pictureTimer, &QTimer::timeout, &pictureTimer, [&, file] {
        const bool answered =
            korvexApp.Work().Snapshot().cardState != korvex::TPCardState::csNotConnected;
        if (!answered && waited.elapsed() < kPictureWaitMs) {
            return;
        }
        pictureTimer.stop();
        // The window drawn after the answer, before it is taken.
        korvexApp.Window().Render();
        QApplication::processEvents();
        const bool saved = korvexApp.Window().grab().save(file);
        std::cout << (saved ? "Saved a picture of the window: " : "Cannot save ") << U(file)
                  << std::endl;
        korvexApp.Window().close();
    });
    pictureTimer.start(kPictureLookMs);
}

} // namespace

int main(int argc, char** argv) {
    if (AsksOnlyForText(argc, argv)) {
        const QCoreApplication core(argc, argv);
        DescribeApplication();
        TWindowOptions options;
        options.parser.process(core); // prints the text and ends
        return 0;
    }
    TKorvexApplication app(argc, argv);
    DescribeApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvex.Korvex"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/korvex-64.png"));
    icon.addFile(QStringLiteral(":/icons/korvex-128.png"));
    QApplication::setWindowIcon(icon);

    TWindowOptions options;
    QCommandLineParser& parser = options.parser;
    const QCommandLineOption& screenshot = options.screenshot;
    const QCommandLineOption& quitWhenShown = options.quitWhenShown;
    parser.process(app);

    try {
        korvex::gui::TAppParts parts;
        korvex::TStartChoices choices = StartChoicesOf(options, parts);
        // Started bare from the desktop menu, the window is ready to try.
        choices.sampleOnFirstStart = true;
        korvex::gui::TKorvexApp korvexApp(
            korvex::TPDataFolders(korvex::ShippedDataFolder(),
                                  korvex::TPDataFolders::DefaultUserFolder()),
            parts);
        app.showError = [&korvexApp](const std::exception& error) { korvexApp.ShowError(error); };
        korvexApp.Start(choices);
        korvexApp.Window().Render();
        korvexApp.Window().show();
        // The picture shows what the programmer answered: taken once the
        // first poll has, or after a few seconds of silence.
        QTimer pictureTimer;
        QElapsedTimer waited;
        if (parser.isSet(screenshot)) {
            TakePictureOnceAnswered(korvexApp, parser.value(screenshot), pictureTimer, waited);
        }
        // The program ends with its window's close, also with one that
        // waited, hidden, for a command to stop.
        QObject::connect(
            &korvexApp.Window(), &korvex::gui::Tfrmmain::Closed, &app,
            [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        if (parser.isSet(quitWhenShown)) {
            QTimer::singleShot(0, &app, [&] { korvexApp.Window().close(); });
        }
        const int code = QApplication::exec();
        // The program goes before the box it would show an error in.
        app.showError = nullptr;
        return code;
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
