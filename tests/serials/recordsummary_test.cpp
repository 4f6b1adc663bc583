#include "common/tempdir.h"
#include "serials/fields.h"
#include "serials/record/recordsummary.h"
#include "serials/yieldcards.h"
#include "support/errors.h"
#include "workflows/production/productionrecord.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::TempDir;
using testing::WriteText;

// Fault: the summary of the station's own record miscounted its cards, lost
// a failing step, counted a line that names its station for this one, or
// took a file that is no record for an empty one.
TEST(RecordSummary, TheLocalRecordCountsCardsByHourOutcomeAndStep) {
    TempDir dir;
    TPProductionRecord record(dir / "record.csv");
    for (const auto& [time, outcome, step, station] :
         {std::tuple{"2026-12-07T16:05:09+01:00", "good", "", ""},
          {"2026-12-07T16:15:00+01:00", "failed", "eeprom verify", "bench"},
          {"2026-12-07T17:01:00+01:00", "interrupted", "processor write", "line2"}}) {
        TProductionRow row;
        row.localTime = time;
        row.cardType = "Card, with a comma";
        row.outcome = outcome;
        row.failingStep = step;
        row.station = station;
        record.Append(row);
    }
    TPLocalSerialClaims claims(dir / "serials");
    claims.Claim(TPSerialSequence("C", testing::Field()));

    const TRecordSummary summary = SummarizeCsvRecord(dir / "record.csv", "bench", claims);
    const TCardTally& bench = summary.stations.at("bench");
    EXPECT_EQ(std::tuple(bench.good, bench.failed, bench.interrupted, bench.firstTime),
              std::tuple(1, 1, 0, "2026-12-07T16:05:09+01:00"));
    EXPECT_EQ(summary.stations.at("line2").interrupted, 1);
    EXPECT_EQ(bench.failingSteps, (std::map<std::string, int>{{"eeprom verify", 1}}));
    EXPECT_EQ(summary.hours.at("bench").at("2026-12-07T16").Cards(), 2);
    EXPECT_EQ(summary.total.Cards(), 3);
    EXPECT_EQ(summary.serials, (std::vector<TSerialLast>{{"C", {"Serial1", 1, "1"}}}));

    WriteText(dir / "other.csv", "a,b\n1,2\n");
    EXPECT_THROW(SummarizeCsvRecord(dir / "other.csv", "bench", claims), EInOutError);
}

// Fault: the yield counted an interrupted card against the cards, or a good
// card whose step ran again as a first pass; a pause counted as work; a card
// of another card type, out of the time range or whose time cannot be read
// was taken; the pace of a card type left out the time its cards waited on
// another's.
TEST(RecordSummary, TheYieldFailuresAndPaceOfTheCardsOfARangeAndCardType) {
    using Steps = std::map<std::string, int>;
    const struct {
        TRecordFilter filter;
        int good, failed, interrupted, firstPass;
        Steps steps, differences;
        std::int64_t workMs;
        int undated;
        Steps cardTypes;
    } cases[] = {
        {{},
         4,
         3,
         1,
         3,
         {{"eeprom verify", 2}, {"processor verify", 1}},
         {{"eeprom byte 0x0010", 2}, {"program word 0x0003", 1}},
         1000 + 4000 + 3 * 10000 + 2000 + 5000 + 4000,
         0,
         {{"C", 6}, {"c", 1}, {"other", 1}}},
        {testing::YieldRange(),
         2,
         2,
         1,
         1,
         {{"eeprom verify", 1}, {"processor verify", 1}},
         {{"eeprom byte 0x0010", 1}, {"program word 0x0003", 1}},
         4000 + 3 * 10000 + 2000,
         1,
         {{"C", 4}, {"c", 1}}},
        {{std::nullopt, std::nullopt, "OTHER"},
         1,
         0,
         0,
         1,
         {},
         {},
         5000,
         0,
         {{"C", 6}, {"c", 1}, {"other", 1}}},
    };
    for (const auto& c : cases) {
        const TRecordSummary summary =
            SummarizeCsvText(testing::CsvOf(testing::YieldCards()), "bench", c.filter);
        const TCardTally& all = summary.total;
        EXPECT_EQ(std::tuple(all.good, all.failed, all.interrupted, all.firstPass, all.workMs),
                  std::tuple(c.good, c.failed, c.interrupted, c.firstPass, c.workMs))
            << c.filter.cardType;
        EXPECT_EQ(all.failingSteps, c.steps);
        EXPECT_EQ(all.differences, c.differences);
        EXPECT_EQ(std::tuple(summary.undated, summary.cardTypes),
                  std::tuple(c.undated, c.cardTypes));
        EXPECT_EQ(summary.stations.at("bench"), all);
    }
}

} // namespace korvex
