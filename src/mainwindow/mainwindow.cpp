#include "mainwindow/mainwindow.h"

namespace korvex::gui {

Tfrmmain::Tfrmmain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmmain"));
}

} // namespace korvex::gui
