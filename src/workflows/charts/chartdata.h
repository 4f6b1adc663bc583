#pragma once

#include "serials/record/recordsummary.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvex {

// A count axis that ends on a round number at or above the most it must
// show, with a tick on every whole step: 0..8 in steps of 2 for 7.
struct TChartAxis {
    int top = 1;
    int ticks = 2; // ticks from 0 to top, both ends included
    bool operator==(const TChartAxis&) const = default;
};
TChartAxis CountAxis(int most);

// The cards of one bar of the charts over time: an hour, or a day when the
// cards span more hours than bars can show side by side.
struct TChartBucket {
    std::string label; // "16:00", "12-07 16:00" or "2026-12-07"
    int good = 0;
    int failed = 0;
    int interrupted = 0;
    // Good without any step run again, of the good and failed; none without
    // such a card.
    std::optional<double> firstPassYield;
    bool operator==(const TChartBucket&) const = default;
};

// What the production window's charts show of a record's summary, for one
// station or all: the cards of each hour (good and failed), the failed cards
// by the step they failed at, and the first-pass yield of each hour.
struct TChartData {
    bool byDay = false;
    // In the order of time; an hour (a day) without cards between two with
    // cards is there too, so that the bars keep time, as long as there are
    // not too many.
    std::vector<TChartBucket> buckets;
    // The record's names of the steps (empty for a failed card that names
    // none), the step with the most failures first.
    std::vector<std::pair<std::string, int>> steps;
    TCardTally tally;
    // Cards in no bar: their hour in the record cannot be read.
    int undated = 0;
    TChartAxis cardsAxis;
    TChartAxis stepsAxis;
};

// Hours side by side up to this many; days beyond, up to kMostDayBars with
// those without cards among them.
constexpr int kMostHourBars = 48;
constexpr int kMostDayBars = 62;

// `station` empty: every station of the summary.
TChartData ChartDataOf(const TRecordSummary& summary, const std::string& station);

} // namespace korvex
