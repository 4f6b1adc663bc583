#pragma once

#include "workflows/session/workbench.h"

#include <array>
#include <optional>
#include <string>

namespace korvex {

// What happens when a card type is chosen: the settings of the card type
// being left go into its own file, the window arranges itself for the new
// one's processor family and checks the programmer's firmware, every row's
// images go, and the new card type's own files and fuse choices come back.
// Nothing of one card type's images can reach a card of another.
class TPCardChange {
public:
    explicit TPCardChange(TPWorkbench& bench);

    // The selector's change handler.
    void CardChanged();
    // The window's settings into the file of the card type they were shown
    // for, found by name, so a rescan never sends them to another card;
    // `always` writes them even for a face that leaves card files alone.
    void SaveCardDefaults(bool always = false);
    // Rescans the card types and runs the change again.
    void RefreshCardList();
    // Asks, then deletes the chosen card type; true when it was deleted.
    bool DeleteCardType();
    // A file a face names for this run only: shown in its row, while the
    // card type's file keeps the one it had, until the user sets the row.
    void ShowForRun(TFileRow row, const std::string& file);
    void RowChosen(TFileRow row) { kept_[static_cast<std::size_t>(row)].reset(); }

private:
    void LoadCardDefaults();
    void ArrangeForAvr(TCardLayout& layout);
    void WarnAboutFirmware(TCardLayout& layout, int entry);
    // A program file named with its configuration word: the word's fuses are
    // shown, over the stored choices.
    void TakeFileWord();

    // What the card type's file keeps for the rows that show a file for this
    // run only.
    std::array<std::optional<std::string>, kFileRowCount> kept_;
    TPWorkbench& bench_;
};

} // namespace korvex
