#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvex {

class TPLang;

// A control of a window and the language entry its text comes from. The
// window's own caption is named "Caption"; the items of a radio group are
// named "<group>:<item index>".
struct TCaptionEntry {
    std::string_view control;
    int entry;
};

// A control's name and the text to show on it.
using TCaptionText = std::pair<std::string, std::string>;

// Which language entry captions which control of the main window. A face
// maps the names to its widgets; the texts come from the language in use.
struct TMainCaptions {
    // Entries 0 to 42 in entry order, the kept texts (8, 13, 14, 15) left out,
    // then the speed menu's and the Fuses tab's line.
    static std::span<const TCaptionEntry> Common();
    // Entries 101 to 107, or 109 to 116: the captions that name the
    // processor's memory the way its family does.
    static std::span<const TCaptionEntry> ForKind(bool avrKind);
    // The production command's menu item and button (entries 162 and 163).
    static std::span<const TCaptionEntry> Production();
    // What the window shows beyond the captions above: the fuse groups'
    // titles, the Fuses tab, the loader's row, the log panel's frame and
    // check box, and the tips.
    static std::span<const TCaptionEntry> Window();
    // The about box's two labels (entries 43 and 44).
    static std::span<const TCaptionEntry> About();

    // Every caption of the main window for a card type of that family, in
    // the order they are applied: a control named twice takes the later text.
    static std::vector<TCaptionText> Resolve(const TPLang& lang, bool avrKind);
};

} // namespace korvex
