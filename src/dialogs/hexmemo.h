#pragma once

#include <string>
#include <vector>

class QPlainTextEdit;
class QWidget;

namespace korvex::gui {

// The read-only memo `mmoHexview` of the two hex view windows: fixed-pitch,
// never wrapped, and wide enough that a dump line needs no sideways
// scrolling.
QPlainTextEdit* NewHexMemo(QWidget* parent);
// Replaces the memo's text by the lines, and widens it when a line needs it.
void ShowHexLines(QPlainTextEdit& memo, const std::vector<std::string>& lines);

} // namespace korvex::gui
