// Stations of one production line sharing a PostgreSQL database: each is a
// korvex-cli auto --watch on a korvex-sim feeding cards, all claiming serial
// values from the same counter and recording every card in the same table.
#include "backgroundcli.h"
#include "linestation.h"
#include "ptysim.h"
#include "serials/ownserver.h"
#include "serials/pgtestdatabase.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <set>

namespace korvex {
namespace {

using namespace testing;

class CliStations : public CliLineStation {
protected:
    std::unique_ptr<TPgTestDatabase> database_;

    void SetUp() override {
        CliE2e::SetUp();
        database_ = TPgTestDatabase::Make();
        if (!database_) {
            GTEST_SKIP() << "PostgreSQL's server programs are not installed";
        }
        uri_ = database_->Uri();
        AddSerialField();
    }

    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::size_t at = 0;
        for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
            lines.push_back(text.substr(at, end - at));
        }
        return lines;
    }
};

constexpr const char* kRecordedValues =
    "SELECT r.station || ' ' || r.outcome || ' ' || v.value FROM card_records r "
    "JOIN card_record_values v ON v.record_id = r.id AND v.name = 'serial Serial1' ORDER BY r.id";

// Mid-run the server goes away for ten seconds: the stations, two
// programmers each, go on with the values they took ahead, and every line
// reaches the database once it is back.
TEST_F(CliStations, ThreeStationsAtOnceHandOutEveryValueOnceAndRecordEveryCard) {
#ifdef KORVEX_ONLY_SHORT_RUNS
    GTEST_SKIP() << "runs in the optimised suite";
#endif
    const auto server = TOwnPgServer::Start();
    ASSERT_TRUE(server);
    uri_ = server->Database("stations");
    constexpr int kCards = 50;
    std::vector<std::unique_ptr<TPtySim>> sims;
    std::vector<std::unique_ptr<TBackgroundCli>> stations;
    for (int s = 0; s < 3; ++s) {
        for (int slot = 0; slot < 2; ++slot) {
            std::vector<std::string> feed = {"--card",     kCard, "--feed", std::to_string(kCards),
                                             "--feed-gap", "0"};
            if (s == 1 && slot == 1) {
                feed.insert(feed.end(), {"--feed-fault", "7:stuck-eeprom@0x10"});
            }
            sims.push_back(std::make_unique<TPtySim>(feed));
            ASSERT_FALSE(sims.back()->Path().empty());
        }
        const std::string name = "s" + std::to_string(s + 1);
        std::vector<std::string> args = Station(sims[2 * s]->Path(), name, kCards);
        args.insert(args.begin(), {"--port", sims[2 * s + 1]->Path()});
        // Two programmers spend a block twice as fast: each station takes what
        // its cards need, so that the outage, however fast the cards go, ends
        // no station for want of values.
        args.insert(args.end(), {"--reserve", std::to_string(kCards)});
        stations.push_back(std::make_unique<TBackgroundCli>(args, "/dev/null", Path(name + ".out"),
                                                            Path(name + ".err")));
        ASSERT_TRUE(stations.back()->Started());
    }
    const auto cardsOf = [&](int station) {
        return Lines(ReadText(work / ("s" + std::to_string(station + 1) + ".out"))).size();
    };
    for (int waited = 0; waited < 120000 && std::min({cardsOf(0), cardsOf(1), cardsOf(2)}) < 15;
         waited += 100) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    server->Halt();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    server->Resume();
    for (int s = 0; s < 3; ++s) {
        const std::string name = "s" + std::to_string(s + 1);
        EXPECT_EQ(stations[s]->Wait(240000), s == 1 ? 1 : 0) << ReadText(work / (name + ".err"));
        EXPECT_EQ(Lines(ReadText(work / (name + ".csv"))).size(), kCards + 1u) << "every card";
        // A line per card, then one per programmer and the station's in all.
        EXPECT_EQ(Lines(ReadText(work / (name + ".out"))).size(), kCards + 3u);
    }

    const std::vector<std::string> records = Query(kRecordedValues);
    ASSERT_EQ(records.size(), 3u * kCards);
    std::set<std::string> values;
    std::map<std::string, int> perStation;
    std::string failedValue;
    for (const std::string& record : records) {
        const std::string value = record.substr(record.rfind(' ') + 1);
        values.insert(value);
        ++perStation[record.substr(0, 2)];
        if (Contains(record, " failed ")) {
            EXPECT_EQ(failedValue, "") << "one failed card only";
            EXPECT_EQ(record.substr(0, 2), "s2");
            failedValue = value;
        }
    }
    EXPECT_EQ(values.size(), 3u * kCards) << "no value twice";
    EXPECT_EQ(perStation,
              (std::map<std::string, int>{{"s1", kCards}, {"s2", kCards}, {"s3", kCards}}));
    EXPECT_EQ(Query("SELECT count(*) FROM serial_claims WHERE outcome IS NULL"),
              std::vector<std::string>{"0"});
    EXPECT_EQ(Query("SELECT count(*) FROM serial_claims WHERE outcome <> 'unused'"),
              std::vector<std::string>{std::to_string(3 * kCards)});
    EXPECT_EQ(Query("SELECT outcome FROM serial_claims WHERE value = '" + failedValue + "'"),
              std::vector<std::string>{"failed"});
}

// The station is killed in the middle of a card and started again: the value
// the killed run held is never handed out again, and every card it reported
// finished has its line in the local record and in the database.
TEST_F(CliStations, AStationKilledMidCardAndStartedAgainLosesNoLineAndRepeatsNoValue) {
    TPtySim sim({"--card", kCard, "--feed", "8", "--feed-gap", "0"});
    ASSERT_FALSE(sim.Path().empty());
    auto first = std::make_unique<TBackgroundCli>(Station(sim.Path(), "s1", 8), "/dev/null",
                                                  Path("first.out"), Path("first.err"));
    ASSERT_TRUE(Eventually([&] { return ReadText(work / "first.out"); }, "card 3: "))
        << ReadText(work / "first.err");
    // Into the fourth card's writes: its value is claimed by then, and the
    // card is far from its release.
    ASSERT_TRUE(Eventually(
        [&] {
            const std::string out = ReadText(work / "first.err");
            const std::size_t fourth = out.find("Serial1 4");
            return fourth == std::string::npos ? std::string() : out.substr(fourth);
        },
        "Writing eeprom..."));
    first->Signal(SIGKILL);
    EXPECT_EQ(first->Wait(), -2);
    int reported = 0;
    for (const std::string& line : Lines(ReadText(work / "first.out"))) {
        reported += line.starts_with("card ") ? 1 : 0;
    }

    // The restart's first release lets the half-written card go, as an
    // operator takes out a card whose run broke off: the rest are fed.
    TBackgroundCli again(Station(sim.Path(), "s1", 8 - reported - 1), "/dev/null",
                         Path("again.out"), Path("again.err"));
    EXPECT_EQ(again.Wait(60000), 0) << ReadText(work / "again.err");

    const std::vector<std::string> records = Query(kRecordedValues);
    const std::string csv = ReadText(work / "s1.csv");
    EXPECT_EQ(records.size(), 7u) << "every finished card recorded once";
    std::set<std::string> values;
    for (const std::string& record : records) {
        const std::string value = record.substr(record.rfind(' ') + 1);
        EXPECT_TRUE(values.insert(value).second) << value << " twice";
        EXPECT_TRUE(Contains(csv, "," + value + "\r\n")) << value << " missing in\n" << csv;
    }
    EXPECT_EQ(Query("SELECT count(*) FROM serial_claims WHERE outcome IS NULL"),
              std::vector<std::string>{"1"})
        << "the killed card's value, claimed and never spent";
    // The values the stations took ahead and no card got are released.
    EXPECT_EQ(Query("SELECT count(*) FROM serial_claims WHERE outcome IS DISTINCT FROM 'unused'"),
              std::vector<std::string>{"8"});
}

} // namespace
} // namespace korvex
