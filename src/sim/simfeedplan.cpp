#include "sim/simfeedplan.h"

#include "support/textconv.h"

#include <array>
#include <charconv>
#include <limits>

namespace korvex::sim {

namespace {

constexpr std::array<std::pair<TSimMemory, std::string_view>, 3> kStuckNames{{
    {TSimMemory::Program, "stuck-program"},
    {TSimMemory::Data, "stuck-data"},
    {TSimMemory::Eeprom, "stuck-eeprom"},
}};

[[noreturn]] void Bad(std::string_view text, const std::string& why) {
    throw ESimSetup("Bad card fault '" + std::string(text) + "': " + why +
                    " (write K:FAULT, K the card's number from 1; FAULT a line fault KIND@N or "
                    "KIND@LN counted from the card's insertion, kinds nack, silent, badsum, "
                    "noise, short, pull, hangup, e.g. 2:nack@B1; or stuck-program@ADDR, "
                    "stuck-data@ADDR or stuck-eeprom@ADDR, ADDR decimal or 0x hex, e.g. "
                    "3:stuck-eeprom@0x10)");
}

// Decimal, or hexadecimal after 0x; no sign, nothing after the digits.
std::optional<std::size_t> ParseAddress(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// The fault of the text, or why it is none.
std::variant<TSimCardFault, std::string> TryParse(std::string_view text) {
    const std::size_t at = text.find('@');
    const std::string kind = AsciiLower(text.substr(0, at));
    for (const auto& [memory, name] : kStuckNames) {
        if (kind == name) {
            if (at == std::string_view::npos) {
                return "no '@'";
            }
            const auto cell = ParseAddress(text.substr(at + 1));
            if (!cell) {
                return "the address must be a number, decimal or 0x hex";
            }
            return TSimCardFault(TSimStuckCell{memory, *cell});
        }
    }
    std::string why;
    if (auto fault = TryParseSimFault(text, why)) {
        return TSimCardFault(*fault);
    }
    return why;
}

} // namespace

TSimCardFault ParseSimCardFault(std::string_view text) {
    auto parsed = TryParse(text);
    if (auto* why = std::get_if<std::string>(&parsed)) {
        Bad(text, *why);
    }
    return std::get<TSimCardFault>(parsed);
}

std::pair<int, TSimCardFault> ParseSimFeedFault(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        Bad(text, "no ':' after the card's number");
    }
    const std::string_view number = text.substr(0, colon);
    const auto card = TryStrToInt(number);
    if (!card || *card < 1 || number[0] == '+') {
        Bad(text, "the card's number must be 1 or more");
    }
    auto parsed = TryParse(text.substr(colon + 1));
    if (auto* why = std::get_if<std::string>(&parsed)) {
        Bad(text, *why);
    }
    return {*card, std::get<TSimCardFault>(parsed)};
}

std::string SimCardFaultName(const TSimCardFault& fault) {
    if (const auto* line = std::get_if<TSimFault>(&fault)) {
        std::string count = std::to_string(line->nth);
        if (line->command != '\0') {
            count.insert(count.begin(), line->command);
        }
        return SimFaultName(line->kind) + "@" + count;
    }
    const auto& stuck = std::get<TSimStuckCell>(fault);
    for (const auto& [memory, name] : kStuckNames) {
        if (memory == stuck.memory) {
            return std::string(name) + "@" + std::to_string(stuck.cell);
        }
    }
    return "stuck@" + std::to_string(stuck.cell);
}

void ValidateSimFeedPlan(const TSimFeedPlan& plan, const TSimCardModel& model) {
    if (plan.cards < 1) {
        throw ESimSetup("The feed needs 1 card or more, not " + std::to_string(plan.cards));
    }
    if (plan.gapMs < 0) {
        throw ESimSetup("The gap between two cards must be 0 ms or more, not " +
                        std::to_string(plan.gapMs));
    }
    for (const auto& [card, faults] : plan.faults) {
        if (card < 1 || card > plan.cards) {
            throw ESimSetup("A card fault names card " + std::to_string(card) +
                            ", but the feed has cards 1 to " + std::to_string(plan.cards) +
                            " only");
        }
        TSimCard trial(model);
        for (const TSimCardFault& fault : faults) {
            if (const auto* stuck = std::get_if<TSimStuckCell>(&fault)) {
                try {
                    trial.StickCell(stuck->memory, stuck->cell);
                } catch (const ESimSetup& error) {
                    throw ESimSetup("Card " + std::to_string(card) + ", " +
                                    SimCardFaultName(fault) + ": " + error.what());
                }
            }
        }
    }
}

} // namespace korvex::sim
