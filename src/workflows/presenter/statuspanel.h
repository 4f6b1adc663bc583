#pragma once

#include "link/cardstate.h"
#include "workflows/presenter/mainview.h"

#include <string>
#include <vector>

namespace korvex {

class TPLang;

// The status panel: the programmer state in its colour, or the step of the
// command that runs. Its texts are looked up when shown, so a language
// change words it anew.
class TPStatusPanel {
public:
    TPStatusPanel(const TPLang& lang, TSessionView& view) : lang_(lang), view_(view) {}

    const std::string& Caption() const { return caption_; }
    TStatusColour Colour() const { return colour_; }
    TPCardState State() const { return state_; }

    // A command's step, one of the entries EveryCaption words; the colour
    // stays the programmer state's. Another entry throws std::logic_error:
    // a face sizes the panel by EveryCaption.
    void ShowStep(int entry);
    // Every caption the panel can show, in the language shown.
    std::vector<std::string> EveryCaption() const;
    // The programmer state changed. While a command runs its step stays
    // shown, in the new state's colour.
    void ShowState(TPCardState state, bool commandRunning);
    // The state's own caption again, told to the face only when it shows
    // something else.
    void Restore();
    // The caption of a state in the language shown.
    std::string StateCaption(TPCardState state) const;
    static TStatusColour ColourOf(TPCardState state);

private:
    void Show(const std::string& caption);

    const TPLang& lang_;
    TSessionView& view_;
    TPCardState state_ = TPCardState::csNotConnected;
    std::string caption_ = "Not Connected";
    TStatusColour colour_ = TStatusColour::scRed;
};

} // namespace korvex
