#pragma once

#include "cli/output/cliprompts.h"
#include "support/json.h"
#include "workflows/production/productionrun.h"
#include "workflows/session/cardcommands.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvex::cli {

// What a command's result object tells, gathered as the command runs.
struct TResultFacts {
    std::string command; // "write pic"
    int exitCode = 0;
    std::optional<TOutcome> outcome; // a card command ran
    std::string cardType;
    const TCommandReport* report = nullptr; // set when a card command ran
    // The files the command worked from, by role ("program", "eeprom",
    // "internal eeprom"), as they were named.
    std::vector<std::pair<std::string, std::filesystem::path>> files;
    // The files the command wrote (a read's), by role.
    std::vector<std::pair<std::string, std::filesystem::path>> written;
    std::optional<int> firmware;
    std::int64_t durationMs = 0;
    std::vector<TShownMessage> messages;
    TJsonObject more; // what only this command tells (the card state, say)
};

// The command's result as one JSON object on one line, for a test station
// that drives the tool: the outcome in words that stay whatever the
// language, the failing step and first difference, each file with the
// SHA-256 of its image as sent (a written file's of its bytes), the
// firmware, the duration and the messages with their language entries.
std::string ResultJson(const TResultFacts& facts);

// One card of a production run, as a JSON object on one line.
// `port`: the port the card was in, named when the run has several.
std::string CardResultJson(const TCardResult& result, const std::string* port = nullptr);

} // namespace korvex::cli
