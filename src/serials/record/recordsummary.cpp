#include "serials/record/recordsummary.h"

#include "serials/record/recordtime.h"
#include "support/csvread.h"
#include "support/errors.h"
#include "support/readfile.h"
#include "support/textconv.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <tuple>

namespace korvex {

namespace {

void Tally(TCardTally& tally, const TCardGroup& group) {
    if (group.outcome == "good") {
        tally.good += group.cards;
        tally.firstPass += group.firstPass ? group.cards : 0;
    } else if (group.outcome == "interrupted") {
        tally.interrupted += group.cards;
    } else {
        tally.failed += group.cards;
        tally.failingSteps[group.failingStep] += group.cards;
        if (!group.difference.empty()) {
            tally.differences[group.difference] += group.cards;
        }
    }
    // ISO 8601 times of one offset sort as text.
    if (tally.firstTime.empty() || group.firstTime < tally.firstTime) {
        tally.firstTime = group.firstTime;
    }
    tally.lastTime = std::max(tally.lastTime, group.lastTime);
    tally.workMs += group.workMs;
}

std::optional<double> Share(int part, int whole) {
    return whole > 0 ? std::optional(static_cast<double>(part) / whole) : std::nullopt;
}

// A whole number as the record writes it; `fallback` for anything else.
std::int64_t Number(const std::string& text, std::int64_t fallback) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() ? value
                                                                                     : fallback;
}

// One card as the summary reads it.
struct TCardLine {
    std::size_t order = 0; // in the record
    std::optional<std::int64_t> seconds;
    std::string cardType;
    std::int64_t durationMs = 0;
    TCardGroup group;
};

// The station's cards in the order of their times (those without a time
// last, as the database sorts them), each with its working time.
void CountWork(std::vector<TCardLine>& lines) {
    std::sort(lines.begin(), lines.end(), [](const TCardLine& a, const TCardLine& b) {
        return std::tuple(a.group.station, !a.seconds, a.seconds.value_or(0), a.order) <
               std::tuple(b.group.station, !b.seconds, b.seconds.value_or(0), b.order);
    });
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool after = i > 0 && lines[i - 1].group.station == lines[i].group.station;
        lines[i].group.workMs = CardWorkMs(after ? lines[i - 1].seconds : std::nullopt,
                                           lines[i].seconds, lines[i].durationMs);
    }
}

} // namespace

std::optional<double> TCardTally::Yield() const {
    return Share(good, good + failed);
}

std::optional<double> TCardTally::FirstPassYield() const {
    return Share(firstPass, good + failed);
}

std::optional<double> TCardTally::CardsPerHour() const {
    return workMs > 0 ? std::optional(Cards() * 3600000.0 / static_cast<double>(workMs))
                      : std::nullopt;
}

void AddCards(TRecordSummary& summary, const TCardGroup& group) {
    Tally(summary.total, group);
    Tally(summary.stations[group.station], group);
    Tally(summary.hours[group.station][group.firstTime.substr(0, 13)], group);
}

std::int64_t CardWorkMs(std::optional<std::int64_t> previousSeconds,
                        std::optional<std::int64_t> seconds, std::int64_t durationMs) {
    durationMs = std::max<std::int64_t>(durationMs, 0);
    if (!previousSeconds || !seconds) {
        return durationMs;
    }
    const std::int64_t sinceMs = (*seconds - *previousSeconds) * 1000;
    return sinceMs >= 0 && sinceMs <= durationMs + kPauseMs ? sinceMs : durationMs;
}

TRecordSummary SummarizeCsvText(std::string_view text, const std::string& station,
                                const TRecordFilter& filter) {
    const std::vector<std::vector<std::string>> rows = ParseCsv(text);
    const std::vector<std::string> header = rows.empty() ? std::vector<std::string>() : rows[0];
    const auto column = [&](std::string_view name, bool required) {
        const auto found = std::find(header.begin(), header.end(), name);
        if (found == header.end() && required) {
            throw std::invalid_argument("its header has no \"" + std::string(name) + "\" column");
        }
        return found == header.end() ? std::string::npos
                                     : static_cast<std::size_t>(found - header.begin());
    };
    const std::size_t time = column("time", true);
    const std::size_t cardType = column("card type", true);
    const std::size_t outcome = column("outcome", true);
    const std::size_t step = column("failing step", true);
    const std::size_t difference = column("first difference", false);
    const std::size_t duration = column("duration ms", false);
    // A line names its station; one an earlier version made is `station`'s.
    const std::size_t stationColumn = column("station", false);
    // A record older than the steps run again ran none.
    const std::size_t retries = column("retries", false);
    std::vector<TCardLine> lines;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const auto field = [&](std::size_t at) {
            return at < rows[i].size() ? rows[i][at] : std::string();
        };
        TCardLine line;
        line.order = i;
        line.seconds = RecordTimeSeconds(field(time));
        line.cardType = field(cardType);
        line.durationMs = Number(field(duration), 0);
        const std::string named = field(stationColumn);
        line.group = {named.empty() ? station : named,
                      field(time),
                      field(time),
                      field(outcome),
                      field(step),
                      field(difference),
                      Number(field(retries), 0) == 0,
                      1,
                      0};
        lines.push_back(std::move(line));
    }
    CountWork(lines);
    TRecordSummary summary;
    summary.filter = filter;
    for (const TCardLine& line : lines) {
        const bool inRange = !filter.Ranged() ||
                             (line.seconds && (!filter.since || *line.seconds >= *filter.since) &&
                              (!filter.until || *line.seconds < *filter.until));
        if (inRange) {
            ++summary.cardTypes[line.cardType];
        }
        if (!filter.cardType.empty() && !SameTextAscii(line.cardType, filter.cardType)) {
            continue;
        }
        if (inRange) {
            AddCards(summary, line.group);
        } else if (!line.seconds) {
            ++summary.undated;
        }
    }
    return summary;
}

TRecordSummary SummarizeCsvRecord(const std::filesystem::path& record, const std::string& station,
                                  const TPLocalSerialClaims& claims, const TRecordFilter& filter) {
    TRecordSummary summary;
    try {
        summary = SummarizeCsvText(ReadWholeFile(record), station, filter);
    } catch (const std::invalid_argument& error) {
        throw EInOutError(std::string("Not a production record: ") + error.what(), record.string());
    }
    for (TSerialLast& last : claims.LastValues(&summary.claimsDamage)) {
        if (filter.cardType.empty() || SameTextAscii(last.cardType, filter.cardType)) {
            summary.serials.push_back(std::move(last));
        }
    }
    return summary;
}

} // namespace korvex
