#pragma once

#include <QDialog>

#include <optional>

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

// The about box: the program and its version, the programmer's firmware
// version when one has answered, the toolkit's version, and the links to the
// help document and the bug report address.
class TfrmAbout final : public QDialog {
    Q_OBJECT
public:
    // The links open through the workflows, which know where the help
    // document lies and hand it to the desktop.
    TfrmAbout(TPMainWorkflows& work, std::optional<int> firmwareVersion, QWidget* parent = nullptr);
};

} // namespace korvex::gui
