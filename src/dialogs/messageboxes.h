#pragma once

#include "link/seams.h"
#include "workflows/mainview.h"

class QWidget;

namespace korvex::gui {

// The message boxes as QMessageBox: error, warning and information boxes with
// an OK button, questions as a warning with Yes and No, and the plain box.
// Every box of the window goes through here, so tests can answer them.
class TQtPrompts final : public TPrompts, public TLinkPrompts {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void ShowMessage(TMessageKind kind, int entry, const std::string& text) override;
    bool Ask(int entry, const std::string& text) override;
    void ShowPlain(const std::string& title, const std::string& text) override;
    void ShowLinkError(const std::string& text) override;

private:
    QWidget* parent_ = nullptr;
};

} // namespace korvex::gui
