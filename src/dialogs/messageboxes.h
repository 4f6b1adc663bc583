#pragma once

#include "link/seams.h"
#include "workflows/presenter/mainview.h"

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

namespace korvex::gui {

// The message boxes as QMessageBox: error, warning and information boxes with
// an OK button, questions as a warning with Yes and No, and the plain box.
// Every box of the window goes through here, so tests can answer them.
class TQtPrompts final : public TPrompts, public TLinkPrompts {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    // Where the boxes' titles and buttons come from: a language entry's text in the
    // language shown when the box opens. English without it.
    void SetTexts(std::function<QString(int entry)> text) { text_ = std::move(text); }

    void ShowMessage(TMessageKind kind, int entry, const std::string& text) override;
    bool Ask(int entry, const std::string& text, TAnswer preset) override;
    void ShowPlain(const std::string& title, const std::string& text) override;
    void ShowLinkError(const std::string& text) override;

private:
    QString Title(int entry, const char* english) const;
    void Word(QMessageBox& box) const;

    QWidget* parent_ = nullptr;
    std::function<QString(int entry)> text_;
};

} // namespace korvex::gui
