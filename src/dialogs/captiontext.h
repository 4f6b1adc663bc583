#pragma once

#include <QString>

#include <string_view>

class QWidget;

namespace korvex::gui {

// Puts a language text on the control of `form` named `control`: a label's or
// button's text, a tab's title for a tab page, the window title for
// "Caption". A name the form does not carry throws std::logic_error, so a
// renamed control cannot silently keep its old text.
void SetCaption(QWidget& form, std::string_view control, const QString& text);

// A menu caption shown where no mnemonic applies: the single ampersands
// dropped, a doubled one kept as one.
QString WithoutMnemonic(const QString& caption);

} // namespace korvex::gui
