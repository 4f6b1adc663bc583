#include "workflows/production/slotwords.h"

#include "workflows/entries.h"
#include "workflows/fillin.h"

#include <cstdio>
#include <optional>

namespace korvex {

namespace {

// A share as a whole percentage, a rate as a whole number; a dash until
// there is one.
std::string Whole(std::optional<double> value, const char* unit) {
    if (!value) {
        return "\u2013";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.0f%s", *value, unit);
    return text;
}

// A step's caption as a phrase goes: "Writing pic..." is "Writing pic".
std::string WithoutDots(std::string caption) {
    while (!caption.empty() && (caption.back() == '.' || caption.back() == ' ')) {
        caption.pop_back();
    }
    return caption;
}

} // namespace

TSlotPhase PhaseOf(const TSlotFacts& facts) {
    if (facts.stopped) {
        return TSlotPhase::spStopped;
    }
    if (facts.inHand > 0) {
        return TSlotPhase::spProgramming;
    }
    if (facts.waiting || !facts.cardOut) {
        return TSlotPhase::spPutCardIn;
    }
    return TSlotPhase::spTakeCardOut;
}

std::string PhaseText(TSlotPhase phase, const std::string& step,
                      const std::function<std::string(int entry)>& text) {
    switch (phase) {
    case TSlotPhase::spStopped:
        return text(entries::kSlotStopped);
    case TSlotPhase::spPutCardIn:
        return text(entries::kSlotPutCardIn);
    case TSlotPhase::spProgramming:
        return FillIn(text(entries::kSlotProgramming), {WithoutDots(step)});
    case TSlotPhase::spTakeCardOut:
        return text(entries::kSlotTakeCardOut);
    }
    return {};
}

void CountCard(TCardTally& tally, const TCardResult& result) {
    switch (result.verdict) {
    case TCardVerdict::cvGood:
        ++tally.good;
        tally.firstPass += result.retries == 0 ? 1 : 0;
        break;
    case TCardVerdict::cvFailed:
        ++tally.failed;
        break;
    case TCardVerdict::cvInterrupted:
        ++tally.interrupted;
        break;
    }
}

std::string YieldText(const TCardTally& tally) {
    const std::optional<double> yield = tally.FirstPassYield();
    return Whole(yield ? std::optional(*yield * 100.0) : std::nullopt, " %");
}

std::string RateText(const TCardTally& tally) {
    return Whole(tally.CardsPerHour(), "");
}

} // namespace korvex
