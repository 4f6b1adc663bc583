#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvex"));
    QApplication::setApplicationVersion(QStringLiteral(KORVEX_VERSION));

    // --version and --help answer and end here, before any window is made,
    // so a package check can start the installed program without a display.
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Korvex smart card programmer"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);

    korvex::gui::Tfrmmain window;
    window.show();
    return QApplication::exec();
}
