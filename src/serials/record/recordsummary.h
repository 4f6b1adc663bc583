#pragma once

#include "serials/claims/localclaims.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// How the cards of a station, or of one of its hours, ended, as a quality
// engineer asks first: the yield, what failed where, and how fast.
struct TCardTally {
    int good = 0;
    int failed = 0; // every outcome but good and interrupted
    int interrupted = 0;
    int firstPass = 0;                       // good cards that ran no step again
    std::map<std::string, int> failingSteps; // failed cards, by the step they failed at
    std::map<std::string, int> differences;  // failed cards, by where the card first differed
    std::string firstTime, lastTime;         // local times of the first and last card
    // The station's time on these cards: each card's time since the card
    // before it on the station, or its own duration after a pause (see
    // CardWorkMs).
    std::int64_t workMs = 0;

    int Cards() const { return good + failed + interrupted; }
    // Shares of the cards that were good, at the end and at the first pass
    // (no step run again), of those that were good or failed: an interrupted
    // card says nothing about the cards. Nothing without such a card.
    std::optional<double> Yield() const;
    std::optional<double> FirstPassYield() const;
    // Nothing without any working time.
    std::optional<double> CardsPerHour() const;
    bool operator==(const TCardTally&) const = default;
};

// The cards a summary takes: those recorded from `since` on and before
// `until` (seconds since 1970 UTC), of one card type (any letter case).
struct TRecordFilter {
    std::optional<std::int64_t> since, until;
    std::string cardType; // empty: every card type

    bool Ranged() const { return since || until; }
};

// What a production record says in short: the cards of every station and of
// each of its hours (local time, "2026-12-07T16"), the last value of every
// serial field; what a chart of the line is drawn from.
struct TRecordSummary {
    TRecordFilter filter;
    TCardTally total;
    std::map<std::string, TCardTally> stations;
    std::map<std::string, std::map<std::string, TCardTally>> hours; // station, hour
    // The cards of each card type in the time range, whichever card type the
    // filter takes: what there is to choose from.
    std::map<std::string, int> cardTypes;
    // Cards of the card type left out of a time range because their time
    // cannot be read (a record saved again by a spreadsheet).
    int undated = 0;
    std::vector<TSerialLast> serials;
    // Claims files with a line that cannot be read: why no value is handed out.
    std::vector<std::string> claimsDamage;
};

// Cards of one station that share their hour and how they ended.
struct TCardGroup {
    std::string station;
    std::string firstTime, lastTime; // ISO 8601 local times; the hour is the first's
    std::string outcome;
    std::string failingStep;
    std::string difference; // where a card first differed
    bool firstPass = true;  // no step run again
    int cards = 1;
    std::int64_t workMs = 0;
};

void AddCards(TRecordSummary& summary, const TCardGroup& group);

// A card counts the time since the station's card before it ended (a card's
// time is its end) when that is at most its own duration and kPauseMs more;
// after a longer pause (a break, the night), or without a time that can be
// read, only its own duration.
constexpr std::int64_t kPauseMs = 15 * 60 * 1000;
std::int64_t CardWorkMs(std::optional<std::int64_t> previousSeconds,
                        std::optional<std::int64_t> seconds, std::int64_t durationMs);

// The summary of the text of a local CSV production record by the filter,
// each card its line's station's (`station`'s for a line that names none).
// Throws std::invalid_argument when it is no production record (a quote
// never closed; no time, card type, outcome or failing step column), saying
// so.
TRecordSummary SummarizeCsvText(std::string_view text, const std::string& station,
                                const TRecordFilter& filter);

// The same of a record file, with the last values of the station's local
// claims (none for an empty folder). Throws EInOutError naming the file when
// it cannot be read or is no production record.
TRecordSummary SummarizeCsvRecord(const std::filesystem::path& record, const std::string& station,
                                  const TPLocalSerialClaims& claims,
                                  const TRecordFilter& filter = {});

} // namespace korvex
