#include "mainwindow/mainwindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    korvex::gui::Tfrmmain window;
    window.show();
    return QApplication::exec();
}
