#include "common/tempdir.h"
#include "serials/fields.h"
#include "serials/recordsummary.h"
#include "support/errors.h"
#include "workflows/productionrecord.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::TempDir;
using testing::WriteText;

// Fault: the summary of the station's own record miscounted its cards, lost
// a failing step, or took a file that is no record for an empty one.
TEST(RecordSummary, TheLocalRecordCountsCardsByHourOutcomeAndStep) {
    TempDir dir;
    TPProductionRecord record(dir / "record.csv");
    for (const auto& [time, outcome, step] :
         {std::tuple{"2026-12-07T16:05:09+01:00", "good", ""},
          {"2026-12-07T16:15:00+01:00", "failed", "eeprom verify"},
          {"2026-12-07T17:01:00+01:00", "interrupted", "processor write"}}) {
        TProductionRow row;
        row.localTime = time;
        row.cardType = "Card, with a comma";
        row.outcome = outcome;
        row.failingStep = step;
        record.Append(row);
    }
    TPLocalSerialClaims claims(dir / "serials");
    claims.Claim(TPSerialSequence("C", testing::Field()));

    const TRecordSummary summary = SummarizeCsvRecord(dir / "record.csv", "bench", claims);
    const TCardTally& bench = summary.stations.at("bench");
    EXPECT_EQ(std::tuple(bench.good, bench.failed, bench.interrupted, bench.firstTime),
              std::tuple(1, 1, 1, "2026-12-07T16:05:09+01:00"));
    EXPECT_EQ(bench.failingSteps,
              (std::map<std::string, int>{{"eeprom verify", 1}, {"processor write", 1}}));
    EXPECT_EQ(summary.hours.at("bench").at("2026-12-07T16").Cards(), 2);
    EXPECT_EQ(summary.serials, (std::vector<TSerialLast>{{"C", {"Serial1", 1, "1"}}}));

    WriteText(dir / "other.csv", "a,b\n1,2\n");
    EXPECT_THROW(SummarizeCsvRecord(dir / "other.csv", "bench", claims), EInOutError);
}

} // namespace korvex
