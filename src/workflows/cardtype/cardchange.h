#pragma once

#include "support/datafolders.h"
#include "support/lang.h"
#include "workflows/cardtype/cardchoice.h"
#include "workflows/filerows/filerows.h"
#include "workflows/session/line.h"
#include "workflows/session/promptrelay.h"

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
    TPCardChange(TPCardChoice& card, TPFileRows& rows, TPLine& line, TPromptRelay& prompts,
                 TSessionView& view, const TPLang& lang, const TPDataFolders& folders);

    // Whether leaving a card type stores its settings in its file. A face
    // that only runs one command and goes (the command-line tool) leaves the
    // files alone unless the command is about those settings.
    void StoreOnLeave(bool store) { storeOnLeave_ = store; }

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
    std::string Text(int entry) const { return lang_.GetText(entry); }

    TPCardChoice& card_;
    TPFileRows& rows_;
    TPLine& line_;
    TPromptRelay& prompts_;
    TSessionView& view_;
    const TPLang& lang_;
    const TPDataFolders& folders_;
    bool storeOnLeave_ = true;
};

} // namespace korvex
