#pragma once

#include <cstdint>
#include <string>

namespace korvex {

class TPLang;
enum class TOutcome;
struct TCommandReport;

// What the status strip says of the last card command, until the next one
// starts: green for a command that reached its success, red for one that
// failed or could not start. Empty when there is nothing to say (a command
// stopped for the window's closing, or a question answered No).
struct TCommandResult {
    bool succeeded = false;
    std::string text;

    bool empty() const { return text.empty(); }
    bool operator==(const TCommandResult&) const = default;
};

// The result line of a command that ended with `outcome` after `tookMs`:
// the message it ended with on one line, then, for one that succeeded, what
// the card was found to hold (the memories written and verified, its
// configuration word or lock, its serial values), and how long it took.
// `avr` names the processor's memory as its family does.
TCommandResult ResultOf(const TPLang& lang, TOutcome outcome, const TCommandReport& report,
                        bool avr, std::int64_t tookMs);

} // namespace korvex
