// A station of a line whose shared database stops answering mid-run: on a
// server of each test's own, frozen as a host that hangs.
#include "backgroundcli.h"
#include "linestation.h"
#include "ptysim.h"
#include "serials/ownserver.h"

#include <gtest/gtest.h>

#include <csignal>
#include <set>

namespace korvex {
namespace {

using namespace testing;

class CliOutage : public CliLineStation {
protected:
    std::unique_ptr<TOwnPgServer> server_;

    void SetUp() override {
        CliE2e::SetUp();
        if (!(server_ = TOwnPgServer::Start())) {
            GTEST_SKIP() << "PostgreSQL's server programs are not installed";
        }
        uri_ = server_->Database("line");
        AddSerialField();
    }

    // Station s1, which takes `reserve` values ahead and waits `wait` seconds.
    std::vector<std::string> Station(const std::string& port, int count, const std::string& wait,
                                     const std::string& reserve = "4") const {
        std::vector<std::string> args = CliLineStation::Station(port, "s1", count);
        args.insert(args.end(), {"--reserve", reserve, "--db-wait", wait});
        return args;
    }

    // Whether the file comes to hold `part` within a card's time or so.
    bool Shows(const std::string& file, const std::string& part) const {
        for (int waited = 0; waited < 60000; waited += 20) {
            if (Contains(ReadText(work / file), part)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
};

// Fault: with the server's processes stopped during card 3 the station
// waited without a word, and the card's line was neither in the local
// record nor in the database.
TEST_F(CliOutage, AFrozenDatabaseNeitherHoldsTheLineUpNorLosesALineOrAValue) {
    // A second between cards: the freeze comes before the next card's line is sent.
    TPtySim sim({"--card", kCard, "--feed", "6", "--feed-gap", "1000"});
    ASSERT_FALSE(sim.Path().empty());
    // Values enough ahead for every card, whenever the station tops its block
    // up: the cards during the freeze must not depend on a top-up having
    // slipped in before it, which a busy machine may delay.
    TBackgroundCli station(Station(sim.Path(), 6, "1", "8"), "/dev/null", Path("out"), Path("err"));
    ASSERT_TRUE(Shows("out", "card 2: ")) << ReadText(work / "err");
    server_->Freeze();
    ASSERT_TRUE(Shows("out", "card 5: ")) << ReadText(work / "err");
    server_->Thaw();
    EXPECT_EQ(station.Wait(60000), 0) << ReadText(work / "err");

    const std::string err = ReadText(work / "err");
    EXPECT_TRUE(Contains(err, "did not answer within 1 s): the cards' lines wait")) << err;
    EXPECT_TRUE(Contains(err, "The shared database answers again")) << err;
    const std::string csv = ReadText(work / "s1.csv");
    const std::vector<std::string> recorded =
        Query("SELECT v.value FROM card_records r JOIN card_record_values v ON v.record_id = r.id "
              "AND v.name = 'serial Serial1' WHERE r.outcome = 'good' ORDER BY r.sequence");
    ASSERT_EQ(recorded.size(), 6u);
    EXPECT_EQ(std::set<std::string>(recorded.begin(), recorded.end()).size(), 6u);
    for (const std::string& value : recorded) {
        EXPECT_TRUE(Contains(csv, "," + value + "\r\n")) << value << " missing in\n" << csv;
    }
    // Every value taken is on a good card, or was released: none is open.
    EXPECT_EQ(Query("SELECT count(*) FILTER (WHERE outcome = 'good') || ' ' || "
                    "count(*) FILTER (WHERE outcome IS DISTINCT FROM 'unused') FROM serial_claims"),
              std::vector<std::string>{"6 6"});
}

// Fault: the first Ctrl-C did nothing while the station waited for a frozen
// database; a record kept while the database was away never reached it; the
// summary of the record waited out a bound of its own.
TEST_F(CliOutage, TheFirstCtrlCGivesUpTheWaitAndTheRecordIsSentLater) {
    TPtySim sim({"--card", kCard, "--feed", "4", "--feed-gap", "1000"});
    ASSERT_FALSE(sim.Path().empty());
    TBackgroundCli station(Station(sim.Path(), 4, "600"), "/dev/null", Path("out"), Path("err"));
    ASSERT_TRUE(Shows("out", "card 1: ")) << ReadText(work / "err");
    server_->Freeze();
    ASSERT_TRUE(Shows("out", "card 2: ")) << ReadText(work / "err");
    station.Signal(SIGINT);
    // Within the patience, far below the wait's bound.
    EXPECT_EQ(station.Wait(), 0) << ReadText(work / "err");
    // No call of records waits longer than --db-wait, the summary's neither.
    const auto frozen = Cli({"records", "--db", uri_, "--db-wait", "0.5"});
    EXPECT_EQ(frozen.exitCode, 1);
    EXPECT_TRUE(Contains(frozen.err, "did not answer within 0.5 s")) << frozen.err;
    server_->Thaw();

    const auto audit =
        Cli({"records", "--db", uri_, "--record", Path("s1.csv"), "--audit", "--format", "csv"});
    EXPECT_TRUE(Contains(audit.out, "\r\nunsent,,,,s1,")) << audit.out << audit.err;
    const auto sync = Cli({"records", "--db", uri_, "--record", Path("s1.csv"), "--sync"});
    EXPECT_TRUE(Contains(sync.out, "1 of the 2 card lines")) << sync.out << sync.err;
    EXPECT_EQ(Query("SELECT count(*) FROM serial_claims WHERE outcome = 'good'"),
              std::vector<std::string>{"2"});
    const auto json =
        Cli({"--json", "records", "--db", uri_, "--record", Path("s1.csv"), "--audit"});
    EXPECT_TRUE(Contains(json.out, "\"unsent\":[]")) << json.out << json.err;
    EXPECT_TRUE(Contains(Cli({"records", "--record", Path("s1.csv")}).out, "Station s1: 2 cards"));
}

} // namespace
} // namespace korvex
