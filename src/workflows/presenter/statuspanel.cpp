#include "workflows/presenter/statuspanel.h"

#include "support/lang.h"
#include "workflows/entries.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace korvex {

namespace {

constexpr int kCaptions[] = {
    entries::kNotConnected,    entries::kCardNotReady,   entries::kCardReady,
    entries::kWritingLoader,   entries::kReadingEeprom,  entries::kWritingEeprom,
    entries::kVerifyingEeprom, entries::kErasingEeprom,  entries::kReadingFlash,
    entries::kReadingPic,      entries::kWritingFlash,   entries::kWritingPic,
    entries::kVerifyingPic,    entries::kVerifyingFlash, entries::kErasingFlash,
    entries::kErasingPic,      entries::kLockingCard,
};

} // namespace

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
    if (std::find(std::begin(kCaptions), std::end(kCaptions), entry) == std::end(kCaptions)) {
        throw std::logic_error("the status panel has no caption " + std::to_string(entry));
    }
    Show(lang_.GetText(entry));
}

std::vector<std::string> TPStatusPanel::EveryCaption() const {
    std::vector<std::string> captions;
    for (const int entry : kCaptions) {
        captions.push_back(lang_.GetText(entry));
    }
    return captions;
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
