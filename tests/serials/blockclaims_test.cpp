// A station of a shared database: values taken ahead in blocks, what the
// station's own files tell the database after a kill or an outage, the
// record as the outbox, and the audit of it all.
#include "common/tempdir.h"
#include "serials/claims/blockclaims.h"
#include "serials/claims/localclaims.h"
#include "serials/fields.h"
#include "serials/pgtestdatabase.h"
#include "serials/postgres/pgclaims.h"
#include "serials/postgres/shareddatabase.h"
#include "serials/postgres/stationdatabase.h"
#include "serials/record/recordaudit.h"
#include "serials/record/recordoutbox.h"
#include "serials/serialerrors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace korvex {

using namespace korvex::testing;

namespace {

class StationClaims : public ::testing::Test {
protected:
    void SetUp() override {
        if (!(test_ = TPgTestDatabase::Make())) {
            GTEST_SKIP() << "PostgreSQL's server programs are not installed";
        }
        database_ = std::make_unique<TPSharedDatabase>(test_->Uri());
    }
    std::vector<std::string> Column(const std::string& sql) const {
        const TPPgResult result = database_->Connection().Exec(sql);
        std::vector<std::string> rows;
        for (int row = 0; row < result.Rows(); ++row) {
            rows.push_back(result.Value(row, 0).value_or("NULL"));
        }
        return rows;
    }

    TempDir dir_;
    std::unique_ptr<TPgTestDatabase> test_;
    std::unique_ptr<TPSharedDatabase> database_;
    TPLocalSerialClaims own_{dir_ / "serials"};
};

} // namespace

// Fault: a station's second programmer, settling the station's open claims
// as it started, released the first one's reserve as unused, so the cards
// that got those values never gave their claims an outcome.
TEST_F(StationClaims, ASecondProgrammerOfTheStationLeavesTheFirstOnesReserveAlone) {
    const TPSerialSequence sequence("Gang", Counter(1, 1, 99999));
    const auto reserve = std::make_shared<TPStationReserve>();
    TPStationDatabase first(test_->Uri(), "s1", {}), second(test_->Uri(), "s1", {});
    TPBlockClaims firstClaims(first, own_, 4, reserve);
    TPLocalSerialClaims secondOwn(dir_ / "serials");
    TPBlockClaims secondClaims(second, secondOwn, 4, reserve);
    firstClaims.Prepare(sequence);
    secondClaims.Reconcile();
    secondClaims.Prepare(sequence);
    EXPECT_EQ(Column("SELECT count(*) FROM serial_claims WHERE outcome IS NOT NULL"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(firstClaims.Claim(sequence).text, "1");
    EXPECT_EQ(secondClaims.Claim(sequence).text, "5");
}

// Fault: the first card with --db on a fresh database got a value a trial on
// the station had put on a card already.
TEST_F(StationClaims, ADatabaseCounterStartsAfterTheStationsOwnClaimsOrIsRefusedBehindThem) {
    const struct {
        std::string cardType;
        std::optional<std::uint64_t> stationLast, databaseLast;
        std::string first; // the first value, or the refusal's words
    } cases[] = {
        {"Fresh", 1048, std::nullopt, "1049"},
        {"Behind", 1048, 1010, "from 1011 on, but this station's own claims of it reach 1048"},
        {"Ahead", 1048, 2000, "2001"},
        {"New", std::nullopt, std::nullopt, "1000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cardType);
        const TPSerialSequence sequence(c.cardType, Counter(1000, 1, 99999));
        if (c.stationLast) {
            own_.Keep(sequence, {"Serial1", *c.stationLast, std::to_string(*c.stationLast)});
        }
        if (c.databaseLast) {
            database_->Connection().Exec("INSERT INTO serial_fields VALUES ($1, 'Serial1', $2)",
                                         {c.cardType, std::to_string(*c.databaseLast)});
        }
        TPStationDatabase station(test_->Uri(), "s1", {});
        TPBlockClaims claims(station, own_, 4);
        try {
            const auto startedAfter = claims.Prepare(sequence);
            EXPECT_EQ(claims.Claim(sequence).text, c.first);
            EXPECT_EQ(startedAfter, c.databaseLast ? std::nullopt : c.stationLast);
        } catch (const EDatabase& error) {
            EXPECT_THAT(error.what(), ::testing::HasSubstr(c.first));
        }
    }
}

// Fault: values a station held when it was killed stayed claimed with no
// outcome, as if on a card cut off, and a value on a card was released.
TEST_F(StationClaims, ARestartedStationTellsWhatBecameOfItsValuesAndTheAuditNamesThem) {
    const TPSerialSequence sequence("C", Counter(1, 1, 999));
    {
        TPStationDatabase station(test_->Uri(), "s1", {});
        TPBlockClaims killed(station, own_, 4);
        killed.Prepare(sequence);
        killed.Spend(sequence, killed.Claim(sequence), "good");
        killed.Spend(sequence, killed.Claim(sequence), "failed");
        killed.Claim(sequence); // its card cut off
    }
    TPStationDatabase station(test_->Uri(), "s1", {});
    TPBlockClaims restarted(station, own_, 4);
    restarted.Reconcile();
    EXPECT_EQ(Column("SELECT position || ' ' || coalesce(outcome, 'on a card: ' || "
                     "(handed_out_at IS NOT NULL)) FROM serial_claims ORDER BY position"),
              (std::vector<std::string>{"1 good", "2 failed", "3 on a card: true", "4 unused"}));
    restarted.Prepare(sequence);
    EXPECT_EQ(restarted.Claim(sequence).text, "5") << "none handed out again";

    TRecordAudit audit;
    AuditDatabase(*database_, audit);
    std::vector<std::string> states;
    for (const TUnfinishedValue& value : audit.unfinished) {
        states.push_back(value.value + " " + value.state);
    }
    // 5 is on a card the database does not know of yet.
    EXPECT_EQ(states, (std::vector<std::string>{"2 failed", "3 cut off", "4 unused", "5 reserved",
                                                "6 reserved", "7 reserved", "8 reserved"}));
}

// Fault: a line sent again after an outage was kept twice, a record of an
// earlier version (no run column) gave its lines new keys on each reading,
// and a claim kept no outcome.
TEST_F(StationClaims, TheRecordsLinesReachTheDatabaseOnceWithTheirClaimsOutcome) {
    const TPSerialSequence sequence("C", Counter(1, 1, 999));
    TPPgSerialClaims(std::make_shared<TPSharedDatabase>(test_->Uri()), "s1").Claim(sequence);
    const std::filesystem::path record = dir_ / "record.csv";
    const std::string header = "time,sequence,card type,outcome,serial Serial1\r\n";
    WriteText(record, header + "T1,1,C,good,1\r\nT2,2,C,failed,\r\nT3,1,C,good,\r\n");
    const auto lines = ReadKeyedRecord(record, "s1");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].run, "T1") << "a run is named by its first card";
    EXPECT_EQ(lines[2].run, "T3");

    TPRecordOutbox outbox(record, "s1");
    EXPECT_EQ(outbox.Send(*database_), 3);
    WriteText(record, ReadText(record) + "T4,2,C,good,\r\n");
    EXPECT_EQ(outbox.Send(*database_), 1);
    EXPECT_EQ(TPRecordOutbox(record, "s1").Send(*database_), 0) << "a restart sends none again";
    EXPECT_EQ(Column("SELECT run || ' ' || sequence FROM card_records ORDER BY id"),
              (std::vector<std::string>{"T1 1", "T1 2", "T3 1", "T3 2"}));
    EXPECT_EQ(Column("SELECT outcome FROM serial_claims"), std::vector<std::string>{"good"});
}

} // namespace korvex
