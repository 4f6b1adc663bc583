#pragma once

#include <QMainWindow>

namespace korvex::gui {

class Tfrmmain : public QMainWindow {
    Q_OBJECT
public:
    explicit Tfrmmain(QWidget* parent = nullptr);
};

} // namespace korvex::gui
