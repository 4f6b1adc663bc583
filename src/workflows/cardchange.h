#pragma once

#include "workflows/filepanel.h"
#include "workflows/workbench.h"

namespace korvex {

// What happens when a card type is chosen: the settings of the card type
// being left go into its own file, the new one's come back, the window
// arranges itself for the processor family and checks the programmer's
// firmware, and the kind codes every card command uses are cached.
class TPCardChange {
public:
    TPCardChange(TPWorkbench& bench, TPFilePanel& panel) : bench_(bench), panel_(panel) {}

    // The selector's change handler.
    void CardChanged();
    // The window's settings into the file of the card type they were shown
    // for, found by name, so a rescan never sends them to another card;
    // `always` writes them even for a face that leaves card files alone.
    void SaveCardDefaults(bool always = false);
    void LoadCardDefaults();
    // Only the fuse choices stored for the selected card type, without the
    // program file's configuration word laid over them.
    void RestoreStoredFuses();
    // Rescans the card types and runs the change again.
    void RefreshCardList();
    // Asks, then deletes the selected card type; true when it was deleted.
    bool DeleteCardType();

private:
    void ArrangeForAvr(int kind);
    void ArrangeForPic();
    void ArrangeEepromRows(const TPCardInfo& card);
    void WarnAboutFirmware(int entry);
    void ShowStoredFuses(const TPCardDefaults& defaults);

    TPWorkbench& bench_;
    TPFilePanel& panel_;
};

} // namespace korvex
