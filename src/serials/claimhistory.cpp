#include "serials/claimhistory.h"

#include "support/crashlines.h"
#include "support/errors.h"
#include "support/readfile.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace korvex {

namespace {

std::optional<std::uint64_t> Number(const std::string& word) {
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    if (error != std::errc() || end != word.data() + word.size() || word.empty()) {
        return std::nullopt;
    }
    return number;
}

// "claimed <position> <value> <time>" or "spent <position> <value>
// <outcome> <time>"; false for any other line.
bool Take(const std::string& line, TClaimHistory& history) {
    std::istringstream words(line);
    std::vector<std::string> parts;
    for (std::string word; words >> word;) {
        parts.push_back(word);
    }
    const bool claimed = parts.size() == 4 && parts[0] == "claimed";
    const bool spent = parts.size() == 5 && parts[0] == "spent";
    const auto position = parts.size() > 1 ? Number(parts[1]) : std::nullopt;
    if ((!claimed && !spent) || !position) {
        return false;
    }
    TClaimEntry& entry = history.values[*position];
    entry.text = parts[2];
    entry.time = parts.back();
    if (claimed) {
        history.highest = std::max(history.highest.value_or(0), *position);
    } else {
        entry.outcome = parts[3];
    }
    return true;
}

} // namespace

TClaimHistory ReadClaimHistory(const std::filesystem::path& file) {
    TClaimHistory history;
    const std::vector<std::string> lines =
        CompleteLines(ReadFileIfExists(file).value_or(std::string()));
    for (std::size_t number = 1; const std::string& line : lines) {
        if (!Take(line, history)) {
            throw EInOutError("Line " + std::to_string(number) +
                                  " of the serial claims cannot be read: \"" + line +
                                  "\"; mend or remove the line, then start again",
                              file.string());
        }
        ++number;
    }
    return history;
}

} // namespace korvex
