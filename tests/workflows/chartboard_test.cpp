#include "workflowrig.h"

#include "workflows/charts/chartboard.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/production/productionboard.h"
#include "workflows/production/productionrecord.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;

struct THourCards {
    std::string station, hour;
    int good, failed, interrupted, firstPass;
};

TRecordSummary SummaryOf(const std::vector<THourCards>& hours) {
    TRecordSummary summary;
    for (const THourCards& cards : hours) {
        TCardTally& tally = summary.hours[cards.station][cards.hour];
        tally.good = cards.good;
        tally.failed = cards.failed;
        tally.interrupted = cards.interrupted;
        tally.firstPass = cards.firstPass;
    }
    return summary;
}

// Fault: a bar took another station's cards, an hour without cards between
// two with cards was left out (the bars no longer kept time), the yield
// counted an interrupted card or gave an empty hour a point, a span too long
// for hours was not drawn by days, a label named the wrong hour, or a card
// whose hour cannot be read vanished without a word.
TEST(ChartData, TheBarsKeepTheRecordsHoursOrDays) {
    const std::vector<THourCards> oneDay = {{"a", "2026-12-07T16", 3, 1, 1, 2},
                                            {"a", "2026-12-07T18", 0, 2, 0, 0},
                                            {"b", "2026-12-07T17", 4, 0, 0, 4},
                                            {"a", "07.12.2026 19", 1, 1, 0, 1}};
    const struct {
        const char* name;
        std::vector<THourCards> hours;
        std::string station;
        bool byDay;
        std::vector<TChartBucket> buckets;
        int undated;
        TChartAxis cardsAxis;
    } cases[] = {
        {"one station",
         oneDay,
         "a",
         false,
         {{"16:00", 3, 1, 1, 0.5}, {"17:00", 0, 0, 0, {}}, {"18:00", 0, 2, 0, 0.0}},
         2,
         {4, 5}},
        {"every station",
         oneDay,
         "",
         false,
         {{"16:00", 3, 1, 1, 0.5}, {"17:00", 4, 0, 0, 1.0}, {"18:00", 0, 2, 0, 0.0}},
         2,
         {4, 5}},
        {"over midnight",
         {{"a", "2026-12-07T23", 1, 0, 0, 1}, {"a", "2026-12-08T01", 6, 1, 0, 6}},
         "",
         false,
         {{"12-07 23:00", 1, 0, 0, 1.0},
          {"12-08 00:00", 0, 0, 0, {}},
          {"12-08 01:00", 6, 1, 0, 6.0 / 7}},
         0,
         {8, 5}},
        {"more hours than bars",
         {{"a", "2026-12-30T10", 2, 0, 0, 1},
          {"a", "2026-12-30T11", 2, 0, 0, 2},
          {"a", "2027-01-01T10", 0, 4, 0, 0}},
         "",
         true,
         {{"2026-12-30", 4, 0, 0, 0.75}, {"2026-12-31", 0, 0, 0, {}}, {"2027-01-01", 0, 4, 0, 0.0}},
         0,
         {4, 5}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        const TChartData data = ChartDataOf(SummaryOf(each.hours), each.station);
        EXPECT_EQ(data.byDay, each.byDay);
        EXPECT_EQ(data.buckets, each.buckets);
        EXPECT_EQ(data.undated, each.undated);
        EXPECT_EQ(data.cardsAxis, each.cardsAxis);
    }
}

// Fault: the step with the most failures was not first, steps of as many
// failures lost the sequence's order, or a name no step has (an older
// record's) went before the known ones.
TEST(ChartData, FailuresByStepMostFirstThenInTheSequencesOrder) {
    TRecordSummary summary;
    summary.stations["a"].failingSteps = {
        {"processor verify", 2}, {"eeprom verify", 2}, {"old step", 2}, {"loader", 7}};
    const TChartData data = ChartDataOf(summary, "a");
    EXPECT_EQ(data.steps,
              (std::vector<std::pair<std::string, int>>{
                  {"loader", 7}, {"eeprom verify", 2}, {"processor verify", 2}, {"old step", 2}}));
    EXPECT_EQ(data.stepsAxis, (TChartAxis{8, 5}));
    EXPECT_TRUE(ChartDataOf(summary, "b").steps.empty()) << "another station's failures";
}

// Fault: an axis ended below its highest bar, or on a number no one counts
// in.
TEST(ChartData, ACountAxisEndsOnARoundNumberAtOrAboveTheMost) {
    const std::pair<int, TChartAxis> cases[] = {{0, {1, 2}},      {1, {1, 2}},   {5, {5, 6}},
                                                {7, {8, 5}},      {23, {25, 6}}, {101, {150, 4}},
                                                {1000, {1000, 6}}};
    for (const auto& [most, axis] : cases) {
        EXPECT_EQ(CountAxis(most), axis) << most;
    }
}

struct StartedRig : TWorkflowRig {
    StartedRig() { Start(); }
};

struct ChartRig : StartedRig {
    ChartRig() : production(flows), board(flows, production, [] { return Noon(); }) {}
    static std::chrono::system_clock::time_point Noon() {
        return std::chrono::sys_days{std::chrono::year(2026) / 12 / 7} + std::chrono::hours(12);
    }
    void Record(const std::filesystem::path& file, const std::vector<std::string>& times) {
        TPProductionRecord record(file);
        for (const std::string& time : times) {
            TProductionRow row;
            row.localTime = time;
            row.cardType = "C";
            row.outcome = "good";
            record.Append(row);
        }
    }
    // Reads as the tab does, on this thread.
    void ReadNow() {
        if (const auto job = board.Read()) {
            board.Delivered(job->ticket, ReadChart(job->query));
        }
    }
    TPProductionBoard production;
    TPChartBoard board;
};

// Fault: choices that name nothing to read showed empty charts as if the
// record held no card, a time that cannot be read was taken as open, or a
// record that cannot be read showed the last charts instead of saying so.
TEST(ChartBoard, WithoutChartsTheTabSaysWhy) {
    const struct {
        const char* name;
        std::function<void(ChartRig&)> choose;
        int entry;
        std::string value;
    } cases[] = {
        {"no record file", [](ChartRig&) {}, entries::kChartNoRecord, ""},
        {"no database", [](ChartRig& rig) { rig.board.SetSource(TChartSource::csDatabase); },
         entries::kChartNoDatabase, ""},
        {"no run yet",
         [](ChartRig& rig) {
             rig.production.SetRecordFile(rig.dir / "r.csv");
             rig.board.SetSpan(TChartSpan::csThisRun);
         },
         entries::kChartNoRun, ""},
        {"no time",
         [](ChartRig& rig) {
             rig.production.SetRecordFile(rig.dir / "r.csv");
             rig.board.SetSpan(TChartSpan::csRange);
             rig.board.SetSince("7.12.2026");
         },
         entries::kChartNoTime, "7.12.2026"},
        {"until before since",
         [](ChartRig& rig) {
             rig.production.SetRecordFile(rig.dir / "r.csv");
             rig.board.SetSpan(TChartSpan::csRange);
             rig.board.SetSince("2026-12-07T16:00");
             rig.board.SetUntil("2026-12-07T15:00");
         },
         entries::kChartEmptyRange, ""},
        {"no record there",
         [](ChartRig& rig) {
             rig.production.SetRecordFile(rig.dir / "r.csv");
             rig.Record(rig.dir / "r.csv", {"2026-12-07T10:00:00+00:00"});
             rig.ReadNow();
             std::filesystem::remove(rig.dir / "r.csv");
         },
         entries::kChartRecordUnreadable, ""},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        ChartRig rig;
        each.choose(rig);
        rig.ReadNow();
        const TChartsView& view = rig.board.View();
        EXPECT_TRUE(view.failed);
        EXPECT_FALSE(view.reading);
        EXPECT_TRUE(view.data.buckets.empty() && view.totals.empty())
            << "charts of an earlier read";
        const std::string words = rig.flows.Text(each.entry);
        const std::string prefix = words.substr(0, words.find("%1"));
        EXPECT_EQ(view.state.substr(0, prefix.size()), prefix) << view.state;
        if (!each.value.empty()) {
            EXPECT_EQ(view.state, FillIn(words, {each.value}));
        }
    }
}

// Fault: a read a newer one overtook drew its charts over the newer one's,
// "Reading" stayed after the read, today took yesterday's cards, or a
// station chosen took every station's cards.
TEST(ChartBoard, TheNewestReadOfTheChosenCardsIsDrawn) {
    ChartRig rig;
    const std::filesystem::path file = rig.dir / "r.csv";
    rig.Record(file, {"2026-12-06T10:00:00+00:00", "2026-12-07T10:00:00+00:00",
                      "2026-12-07T11:00:00+00:00"});
    TPProductionRecord(file).Append([] {
        TProductionRow row;
        row.localTime = "2026-12-07T11:30:00+00:00";
        row.cardType = "C";
        row.outcome = "failed";
        row.failingStep = "eeprom verify";
        row.station = "other";
        return row;
    }());
    rig.production.SetRecordFile(file);

    rig.board.SetSpan(TChartSpan::csRange);
    const auto overtaken = rig.board.Read();
    ASSERT_TRUE(overtaken);
    EXPECT_TRUE(rig.board.View().reading);
    rig.board.SetSpan(TChartSpan::csToday);
    const auto newest = rig.board.Read();
    ASSERT_TRUE(newest);
    EXPECT_TRUE(overtaken->query.cancelled->load()) << "the overtaken read goes on waiting";
    rig.board.Delivered(overtaken->ticket, ReadChart(overtaken->query));
    EXPECT_TRUE(rig.board.View().reading && rig.board.View().totals.empty());
    rig.board.Delivered(newest->ticket, ReadChart(newest->query));

    const TChartsView& view = rig.board.View();
    EXPECT_FALSE(view.reading || view.failed);
    EXPECT_EQ(view.data.tally.Cards(), 3);
    ASSERT_EQ(view.data.buckets.size(), 2U);
    EXPECT_EQ(std::tuple(view.data.buckets[1].good, view.data.buckets[1].failed), std::tuple(1, 1));
    EXPECT_EQ(view.stepNames, std::vector<std::string>{rig.flows.Text(entries::kStepEepromVerify)});
    EXPECT_EQ(view.stations.size(), 3U) << "every station of the record, after All stations";

    const std::vector<std::string>& stations = rig.board.View().stations;
    rig.board.SetStation(
        static_cast<int>(std::find(stations.begin(), stations.end(), "other") - stations.begin()));
    EXPECT_EQ(rig.board.View().data.tally.Cards(), 1);
    EXPECT_EQ(rig.board.View().data.tally.failed, 1);
}

} // namespace
} // namespace korvex
