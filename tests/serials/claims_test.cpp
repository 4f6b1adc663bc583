#include "common/tempdir.h"
#include "serials/children.h"
#include "serials/claims/localclaims.h"
#include "serials/fields.h"
#include "serials/pgtestdatabase.h"
#include "serials/postgres/pgclaims.h"
#include "serials/postgres/shareddatabase.h"
#include "support/errors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace korvex {

using namespace korvex::testing;

namespace {

// The same promises hold for the station's own claim files (false) and for
// the database stations share (true).
class SerialClaims : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam() && !(database_ = TPgTestDatabase::Make())) {
            GTEST_SKIP() << "PostgreSQL's server programs are not installed";
        }
    }

    // A station's claims as a program just started has them.
    std::shared_ptr<TSerialClaims> Station(const std::string& name) const {
        if (!database_) {
            return std::make_shared<TPLocalSerialClaims>(dir_ / "serials");
        }
        return std::make_shared<TPPgSerialClaims>(
            std::make_shared<TPSharedDatabase>(database_->Uri()), name);
    }

    const TPSerialSequence sequence_{"C", Counter(1000, 1, 0xFFFFFFFF)};
    TempDir dir_;
    std::unique_ptr<TPgTestDatabase> database_;
};

} // namespace

// Fault: two programs or stations read the same last value and both handed
// out the next one; stations opening an empty database at once failed to
// make its tables.
TEST_P(SerialClaims, ProgramsClaimingAtOnceNeverGetTheSameValue) {
    const auto values = InChildren(3, [&](int pipe, int station) {
        const auto claims = Station("station " + std::to_string(station));
        for (int i = 0; i < 50; ++i) {
            const TSerialValue value = claims->Claim(sequence_);
            claims->Spend(sequence_, value, i % 7 == 0 ? "failed" : "good");
            Report(pipe, value.text);
        }
    });
    EXPECT_EQ(std::set<std::string>(values.begin(), values.end()).size(), 150u);
    EXPECT_EQ(Station("after")->Claim(sequence_).position, 1150u);
}

// Fault: a claim was still in the program's buffers, or not committed, when
// it returned, so a program killed with SIGKILL handed the value out again
// once restarted.
TEST_P(SerialClaims, AProgramKilledAfterItsClaimsNeverGetsThemAgain) {
    const auto reported = KilledAfter(10, [&](int pipe) {
        for (const auto claims = Station("killed");;) {
            Report(pipe, claims->Claim(sequence_).text);
        }
    });
    ASSERT_GE(reported.size(), 10u);
    const std::uint64_t next = Station("restarted")->Claim(sequence_).position;
    for (const std::string& value : reported) {
        EXPECT_GT(next, std::stoull(value));
    }
}

INSTANTIATE_TEST_SUITE_P(LocalAndShared, SerialClaims, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Shared" : "Local"; });

// Fault: a line cut short by a crash hid the claims before it, or the next
// claim was appended to the fragment and made the file unreadable.
TEST(LocalSerialClaims, ALastLineCutShortIsDroppedAndTheClaimsGoOn) {
    TempDir dir;
    TPLocalSerialClaims claims(dir / "serials");
    const TPSerialSequence sequence("C", Field());
    const std::filesystem::path file = claims.ClaimFile("C", "Serial1");
    WriteText(file, "claimed 6 6 2026-01-01T00:00:00Z\nspent 6 6 failed 2026-01-01T00:00:01Z\n"
                    "claimed 7 7 2026-0");
    const TSerialValue value = claims.Claim(sequence);
    EXPECT_EQ(value, (TSerialValue{"Serial1", 7, "7"}));
    claims.Spend(sequence, value, "good");
    EXPECT_THAT(ReadText(file),
                ::testing::MatchesRegex("claimed 6 6 [^\n]*\nspent 6 6 failed [^\n]*\n"
                                        "claimed 7 7 [^\n]*\nspent 7 7 good [^\n]*\n"));
    EXPECT_EQ(claims.LastValues(), (std::vector<TSerialLast>{{"C", value}}));
}

// Fault: a line that could not be read was passed over without a word, so
// a value beyond 64 bits, or junk in place of the line of the highest value,
// started the counter again at values already on cards. Only a crash's
// leftovers at the end are forgiven, whether the file is read whole or only
// its lines added since the last claim.
TEST(LocalSerialClaims, ALineThatCannotBeReadStopsEveryClaimAndSaysHowToGoOn) {
    const std::string t = " 2026-01-01T00:00:00Z\n";
    const struct {
        std::string added;     // to "claimed 5 5 ..." and a claim of 6
        std::uint64_t next;    // 0: refused
        std::string complaint; // the line, then the highest value still held
    } cases[] = {
        {"claimed 9 9" + t + "spent 9 9 good" + t + "claimed 10 10 2026-0", 10, ""},
        {"claimed 9 9" + t + std::string(700, '\0'), 10, ""},
        {"claimed 9 9 2026-01-01T00:00:00Z\r\nclaimed 8 8" + t, 10, ""},
        {"claimed 18446744073709551616 1" + t, 0, "line 3 (\"claimed 18446744073709551616 1 2026-"},
        {"claimed 9 9" + t + "cl#imed 1\x01 10" + t, 0, "line 4 (\"cl#imed 1? 10 2026-"},
        {std::string(3, '\0') + "\nclaimed 9 9" + t, 0, "line 3 (\"???\")"},
        {"claimed 9  9" + t, 0, "line 3 (\"claimed 9  9 2026-"},
    };
    const TPSerialSequence sequence("C", Field());
    for (const auto& c : cases) {
        for (const bool whole : {false, true}) {
            TempDir dir;
            auto claims = std::make_unique<TPLocalSerialClaims>(dir / "serials");
            const std::filesystem::path file = claims->ClaimFile("C", "Serial1");
            WriteText(file, "claimed 5 5" + t);
            ASSERT_EQ(claims->Claim(sequence).position, 6u);
            WriteText(file, ReadText(file) + c.added);
            if (whole) {
                claims = std::make_unique<TPLocalSerialClaims>(dir / "serials");
            }
            if (c.next != 0) {
                EXPECT_EQ(claims->Claim(sequence).position, c.next) << c.added;
                continue;
            }
            const std::string before = ReadText(file);
            for (int again = 0; again < 2; ++again) {
                EXPECT_THAT(
                    [&] { claims->Claim(sequence); },
                    ::testing::ThrowsMessage<EInOutError>(::testing::AllOf(
                        ::testing::StartsWith(c.complaint),
                        ::testing::HasSubstr("no value of Serial1 is handed out"),
                        ::testing::ContainsRegex("The lines that can be read go up to [69] "))))
                    << c.added;
            }
            EXPECT_EQ(ReadText(file), before) << "nothing claimed";
        }
    }
}

} // namespace korvex
