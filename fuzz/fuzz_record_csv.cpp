// Arbitrary bytes as a production record, as `records` reads it (a record a
// person opened in a spreadsheet and saved again: other line ends, quoting,
// columns, times): refused as no record, or a summary whose counts add up,
// whatever filter it is read by, and lines keyed by their station and run
// as the summary counts them.
#include "serials/record/recordaudit.h"
#include "serials/record/recordsummary.h"
#include "serials/record/recordtime.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace {

using namespace korvex;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

int Sum(const std::map<std::string, int>& counts) {
    int sum = 0;
    for (const auto& [name, count] : counts) {
        Check(count > 0);
        sum += count;
    }
    return sum;
}

void CheckTally(const TCardTally& tally) {
    Check(tally.good >= 0 && tally.failed >= 0 && tally.interrupted >= 0);
    Check(tally.firstPass >= 0 && tally.firstPass <= tally.good);
    Check(Sum(tally.failingSteps) == tally.failed && Sum(tally.differences) <= tally.failed);
    Check(tally.workMs >= 0 && tally.firstTime <= tally.lastTime);
    for (const auto share : {tally.Yield(), tally.FirstPassYield()}) {
        Check(share.has_value() == (tally.good + tally.failed > 0));
        Check(!share || (*share >= 0 && *share <= 1));
    }
}

void CheckSummary(const TRecordSummary& summary, const TRecordFilter& filter) {
    CheckTally(summary.total);
    int cards = 0, stationCards = 0;
    for (const auto& [station, tally] : summary.stations) {
        CheckTally(tally);
        Check(!station.empty());
        stationCards += tally.Cards();
        for (const auto& [hour, inHour] : summary.hours.at(station)) {
            CheckTally(inHour);
            Check(inHour.Cards() > 0);
            cards += inHour.Cards();
        }
    }
    Check(cards == summary.total.Cards() && stationCards == cards);
    if (filter.cardType.empty()) {
        Check(Sum(summary.cardTypes) == summary.total.Cards());
    }
    Check(filter.Ranged() || summary.undated == 0);
}

// The lines as the audit and the outbox read them: each keyed, on the
// station the summary counts it for, and a key or value that comes twice
// named by the audit.
void CheckKeyedLines(std::string_view text) {
    std::vector<TKeyedLine> lines;
    try {
        lines = KeyedLinesOf(text, "bench");
    } catch (const std::invalid_argument&) {
        return;
    }
    std::map<std::string, int> stations;
    for (const TKeyedLine& line : lines) {
        Check(!line.station.empty());
        ++stations[line.station];
    }
    TRecordAudit audit;
    AuditLines(lines, audit);
    for (const TRecordedTwice& twice : audit.twice) {
        Check(twice.lines.size() >= 2);
    }
    TRecordSummary summary;
    try {
        summary = SummarizeCsvText(text, "bench", {});
    } catch (const std::invalid_argument&) {
        return; // a column only the summary needs is missing
    }
    Check(static_cast<int>(lines.size()) == summary.total.Cards());
    for (const auto& [station, cards] : stations) {
        Check(summary.stations.at(station).Cards() == cards);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TRecordFilter filters[] = {
        {},
        {RecordTimeSeconds("2026-12-07T15:00:00Z"), RecordTimeSeconds("2026-12-07T17:00:00+01:00"),
         ""},
        {std::nullopt, std::nullopt, "pic16f84-24c16"},
    };
    for (const TRecordFilter& filter : filters) {
        try {
            CheckSummary(SummarizeCsvText(text, "bench", filter), filter);
        } catch (const std::invalid_argument&) {
        }
    }
    CheckKeyedLines(text);
    // A moment as a user gives it, from the record's first bytes.
    (void)RangeTimeSeconds(text.substr(0, 32), size % 2 == 0);
    return 0;
}
