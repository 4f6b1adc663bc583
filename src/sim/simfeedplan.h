#pragma once

#include "sim/simcard.h"
#include "sim/simcardmodel.h"
#include "sim/simfaults.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace korvex::sim {

// A cell of one fed card that never takes a write (see TSimCard::StickCell);
// `cell` in the memory's own units: program word, data EEPROM byte, external
// EEPROM byte.
struct TSimStuckCell {
    TSimMemory memory = TSimMemory::Program;
    std::size_t cell = 0;
};

// What goes wrong with one fed card: a line fault, its frames counted from
// the card's insertion, or a stuck cell.
using TSimCardFault = std::variant<TSimFault, TSimStuckCell>;

// The person feeding cards: how many, how long the slot stays empty between
// two, and what is wrong with which card.
struct TSimFeedPlan {
    static constexpr int kDefaultGapMs = 300;

    int cards = 1;
    std::map<int, std::vector<TSimCardFault>> faults; // by card number, from 1
    int gapMs = kDefaultGapMs;
};

// "nack@B1", "stuck-eeprom@0x10" (the address decimal or 0x hex). Throws
// ESimSetup naming the forms there are.
TSimCardFault ParseSimCardFault(std::string_view text);
// "3:stuck-eeprom@0x10": the card's number and its fault. Throws ESimSetup.
std::pair<int, TSimCardFault> ParseSimFeedFault(std::string_view text);
// "stuck-data@17".
std::string SimCardFaultName(const TSimCardFault& fault);

// Throws ESimSetup when the plan cannot be fed with cards of `model`: no
// cards, a negative gap, a fault for a card that is never fed, a stuck cell
// the card does not have.
void ValidateSimFeedPlan(const TSimFeedPlan& plan, const TSimCardModel& model);

} // namespace korvex::sim
