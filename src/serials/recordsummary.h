#pragma once

#include "serials/localclaims.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace korvex {

// How the cards of a station, or of one of its hours, ended.
struct TCardTally {
    int good = 0;
    int failed = 0; // every outcome but good and interrupted
    int interrupted = 0;
    std::map<std::string, int> failingSteps; // cards not good, by the step they stopped at
    std::string firstTime, lastTime;         // local times of the first and last card

    int Cards() const { return good + failed + interrupted; }
    bool operator==(const TCardTally&) const = default;
};

// What a production record says in short: the cards of every station and of
// each of its hours (local time, "2026-12-07T16"), and the last value of
// every serial field.
struct TRecordSummary {
    TCardTally total;
    std::map<std::string, TCardTally> stations;
    std::map<std::string, std::map<std::string, TCardTally>> hours; // station, hour
    std::vector<TSerialLast> serials;
};

// Cards of one station that share their hour, outcome and failing step.
struct TCardGroup {
    std::string station;
    std::string firstTime, lastTime; // ISO 8601 local times; the hour is the first's
    std::string outcome;
    std::string failingStep;
    int cards = 1;
};

void AddCards(TRecordSummary& summary, const TCardGroup& group);

// The summary of a local CSV production record, each card its line's
// station's (`station`'s for a line that names none), with the last values of the station's local
// claims (none for an empty folder). Throws EInOutError naming the file when it cannot be read or
// is no production record (no time, outcome or failing step column).
TRecordSummary SummarizeCsvRecord(const std::filesystem::path& record, const std::string& station,
                                  const TPLocalSerialClaims& claims);

} // namespace korvex
