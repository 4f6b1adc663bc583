#pragma once

#include "serials/record/recordsummary.h"
#include "workflows/production/productionrun.h"

#include <functional>
#include <string>

namespace korvex {

// What the slot asks of the operator: a card, patience, the card out; or
// nothing, the run stopped.
enum class TSlotPhase { spStopped, spPutCardIn, spProgramming, spTakeCardOut };

// What a slot's run has told of where it is.
struct TSlotFacts {
    bool stopped = false; // the run ended, or never ran
    int inHand = 0;       // the card being programmed, 0 for none
    bool waiting = false; // the run waits for a card
    bool cardOut = true;  // the last card has been taken out
};

TSlotPhase PhaseOf(const TSlotFacts& facts);

// The phase in the words of the slot's large line; `step` is the card in
// hand's step as the status panel words it ("Writing pic...").
std::string PhaseText(TSlotPhase phase, const std::string& step,
                      const std::function<std::string(int entry)>& text);

// Counts a card as the record's summary does: first pass when it is good
// without a step run again. The tally's time is the caller's.
void CountCard(TCardTally& tally, const TCardResult& result);

// The first-pass yield ("97 %") and the cards per hour of a tally, a dash
// until there is one.
std::string YieldText(const TCardTally& tally);
std::string RateText(const TCardTally& tally);

} // namespace korvex
