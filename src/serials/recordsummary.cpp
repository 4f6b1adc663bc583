#include "serials/recordsummary.h"

#include "support/csvread.h"
#include "support/errors.h"
#include "support/readfile.h"

#include <algorithm>
#include <stdexcept>

namespace korvex {

namespace {

void Tally(TCardTally& tally, const TCardGroup& group) {
    if (group.outcome == "good") {
        tally.good += group.cards;
    } else {
        (group.outcome == "interrupted" ? tally.interrupted : tally.failed) += group.cards;
        tally.failingSteps[group.failingStep] += group.cards;
    }
    // ISO 8601 times of one offset sort as text.
    if (tally.firstTime.empty() || group.firstTime < tally.firstTime) {
        tally.firstTime = group.firstTime;
    }
    tally.lastTime = std::max(tally.lastTime, group.lastTime);
}

} // namespace

void AddCards(TRecordSummary& summary, const TCardGroup& group) {
    Tally(summary.total, group);
    Tally(summary.stations[group.station], group);
    Tally(summary.hours[group.station][group.firstTime.substr(0, 13)], group);
}

TRecordSummary SummarizeCsvRecord(const std::filesystem::path& record, const std::string& station,
                                  const TPLocalSerialClaims& claims) {
    std::vector<std::vector<std::string>> rows;
    try {
        rows = ParseCsv(ReadWholeFile(record));
    } catch (const std::invalid_argument& error) {
        throw EInOutError(std::string("Not a production record: ") + error.what(), record.string());
    }
    const auto column = [&](std::string_view name) {
        const auto& header = rows.empty() ? std::vector<std::string>() : rows.front();
        const auto found = std::find(header.begin(), header.end(), name);
        if (found == header.end()) {
            throw EInOutError("Not a production record: its header has no \"" + std::string(name) +
                                  "\" column",
                              record.string());
        }
        return static_cast<std::size_t>(found - header.begin());
    };
    const std::size_t time = column("time");
    const std::size_t outcome = column("outcome");
    const std::size_t step = column("failing step");
    // A line names its station; one an earlier version made is `station`'s.
    const auto& header = rows.front();
    const std::size_t stationColumn = static_cast<std::size_t>(
        std::find(header.begin(), header.end(), "station") - header.begin());
    TRecordSummary summary;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const auto field = [&](std::size_t at) {
            return at < rows[i].size() ? rows[i][at] : std::string();
        };
        const std::string named = field(stationColumn);
        AddCards(summary, {named.empty() ? station : named, field(time), field(time),
                           field(outcome), field(step), 1});
    }
    summary.serials = claims.LastValues();
    return summary;
}

} // namespace korvex
