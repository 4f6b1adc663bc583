#include "workflows/statuspanel.h"

#include "support/lang.h"
#include "workflows/entries.h"

namespace korvex {

TStatusColour TPStatusPanel::ColourOf(TPCardState state) {
    switch (state) {
    case TPCardState::csCardReady:
        return TStatusColour::scLime;
    case TPCardState::csCardNotReady:
        return TStatusColour::scYellow;
    case TPCardState::csNotConnected:
        break;
    }
    return TStatusColour::scRed;
}

std::string TPStatusPanel::StateCaption(TPCardState state) const {
    switch (state) {
    case TPCardState::csCardReady:
        return lang_.GetText(entries::kCardReady);
    case TPCardState::csCardNotReady:
        return lang_.GetText(entries::kCardNotReady);
    case TPCardState::csNotConnected:
        break;
    }
    return lang_.GetText(entries::kNotConnected);
}

void TPStatusPanel::Show(const std::string& caption) {
    caption_ = caption;
    view_.ShowStatus(caption_, colour_);
}

void TPStatusPanel::ShowStep(int entry) {
    Show(lang_.GetText(entry));
}

void TPStatusPanel::ShowState(TPCardState state, bool commandRunning) {
    state_ = state;
    colour_ = ColourOf(state);
    Show(commandRunning ? caption_ : StateCaption(state));
}

void TPStatusPanel::Restore() {
    if (caption_ != StateCaption(state_) || colour_ != ColourOf(state_)) {
        colour_ = ColourOf(state_);
        Show(StateCaption(state_));
    }
}

} // namespace korvex
