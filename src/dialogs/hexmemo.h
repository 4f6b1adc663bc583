#pragma once

#include <string>
#include <vector>

class QPlainTextEdit;
class QWidget;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

// The words of the two hex view windows in the language shown.
struct THexViewWords {
    std::string title = "HexView";
    std::string save = "&Save";
    std::string close = "&Close";
    std::string saveAs = "Save As";
    // After a save, "%1" standing for the file.
    std::string saved = "Saved to %1";
};
// The words in the language the workflows have loaded.
THexViewWords HexViewWords(const TPMainWorkflows& work);

// The read-only memo `mmoHexview` of the two hex view windows: fixed-pitch,
// never wrapped, and wide enough that a dump line needs no sideways
// scrolling.
QPlainTextEdit* NewHexMemo(QWidget* parent);
// Replaces the memo's text by the lines, and widens it when a line needs it.
void ShowHexLines(QPlainTextEdit& memo, const std::vector<std::string>& lines);

} // namespace korvex::gui
