#pragma once

#include "dialogs/hexmemo.h"

#include <QDialog>

namespace korvex {
class TPFileView;
}

namespace korvex::gui {

// The file view window: an image file named in the file panel as the hex
// dump of what would be written from it.
class TfrmHexView final : public QDialog {
    Q_OBJECT
public:
    TfrmHexView(const TPFileView& view, const THexViewWords& words = {}, QWidget* parent = nullptr);
};

} // namespace korvex::gui
