#include "common/tempdir.h"
#include "serials/children.h"
#include "serials/localclaims.h"

#include <gtest/gtest.h>

#include <set>

namespace korvex {

using testing::InChildren;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

namespace {

TSerialField Counter() {
    TSerialField field;
    field.name = "Serial1";
    field.first = 1;
    field.last = 1'000'000;
    return field;
}

} // namespace

// Fault: two programs on the station read the same last value and both
// handed out the next one.
TEST(LocalSerialClaims, ProgramsClaimingAtOnceNeverGetTheSameValue) {
    TempDir dir;
    const auto values = InChildren(3, [&](int) {
        TPLocalSerialClaims claims(dir / "serials");
        const TPSerialSequence sequence("Card A", Counter());
        std::vector<std::string> mine;
        for (int i = 0; i < 50; ++i) {
            mine.push_back(claims.Claim(sequence).text);
        }
        return mine;
    });
    const std::set<std::string> distinct(values.begin(), values.end());
    EXPECT_EQ(values.size(), 150u);
    EXPECT_EQ(distinct.size(), 150u);
    const TPLocalSerialClaims claims(dir / "serials");
    EXPECT_EQ(claims.LastValues(), (std::vector<TSerialLast>{{"Card A", {"Serial1", 150, "150"}}}));
}

// Fault: a claim was still in the program's buffers when it returned, so a
// program killed with SIGKILL handed the value out again when restarted.
TEST(LocalSerialClaims, AProgramKilledAfterItsClaimsNeverGetsThemAgain) {
    TempDir dir;
    const TPSerialSequence sequence("C", Counter());
    const auto reported = testing::KilledAfter(20, [&](int report) {
        TPLocalSerialClaims claims(dir / "serials");
        for (;;) {
            testing::Report(report, claims.Claim(sequence).text);
        }
    });
    ASSERT_GE(reported.size(), 20u);
    TPLocalSerialClaims again(dir / "serials");
    const std::uint64_t next = again.Claim(sequence).position;
    for (const std::string& value : reported) {
        EXPECT_GT(next, std::stoull(value));
    }
}

// Fault: a line cut short by a crash hid the claims before it, or the next
// claim was appended to the fragment and made the file unreadable.
TEST(LocalSerialClaims, ALastLineCutShortIsDroppedAndTheClaimsGoOn) {
    TempDir dir;
    TPLocalSerialClaims claims(dir / "serials");
    const TPSerialSequence sequence("C", Counter());
    const std::filesystem::path file = claims.ClaimFile("C", "Serial1");
    WriteText(file, "claimed 6 6 2026-01-01T00:00:00Z\nspent 6 6 failed 2026-01-01T00:00:01Z\n"
                    "claimed 7 7 2026-0");
    const TSerialValue value = claims.Claim(sequence);
    EXPECT_EQ(value, (TSerialValue{"Serial1", 7, "7"}));
    claims.Spend(sequence, value, "good");
    const std::string text = ReadText(file);
    EXPECT_EQ(text.find("2026-0c"), std::string::npos) << text;
    EXPECT_NE(text.find("\nclaimed 7 7 "), std::string::npos) << text;
    EXPECT_NE(text.find("\nspent 7 7 good "), std::string::npos) << text;
}

} // namespace korvex
