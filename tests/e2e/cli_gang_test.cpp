// One korvex-cli auto --watch driving several programmers at once, each a
// korvex-sim feeding cards on a pseudo-terminal of its own.
#include "backgroundcli.h"
#include "linestation.h"
#include "ptysim.h"
#include "support/csvread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace korvex {
namespace {

using namespace testing;

class CliGang : public CliLineStation {
protected:
    std::vector<std::unique_ptr<TPtySim>> sims_;

    // A simulated programmer per entry, feeding that many cards.
    void StartSims(const std::vector<int>& feeds) {
        for (const int cards : feeds) {
            sims_.push_back(std::make_unique<TPtySim>(std::vector<std::string>{
                "--card", kCard, "--feed", std::to_string(cards), "--feed-gap", "0"}));
            ASSERT_FALSE(sims_.back()->Path().empty());
        }
    }
    // auto --watch of `count` cards over every simulator.
    std::vector<std::string> GangRun(int count, const std::string& record) const {
        std::vector<std::string> args = WatchRun(sims_[0]->Path(), count, record);
        for (std::size_t i = 1; i < sims_.size(); ++i) {
            args.insert(args.begin() + 2 * static_cast<long>(i), {"--port", sims_[i]->Path()});
        }
        return args;
    }
    std::vector<std::string> Lines(const std::string& file) const {
        std::vector<std::string> lines;
        std::istringstream in(ReadText(work / file));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
};

// Several --port belong to a production run, each port once.
TEST_F(CliGang, SeveralPortsAreForAProductionRunEachNamedOnce) {
    std::vector<std::string> twice = WatchRun("sim", 1, Path("r.csv"));
    twice.insert(twice.begin(), {"--port", "sim"});
    for (const auto& [args, error] :
         {std::pair{std::vector<std::string>{"--port", "sim", "--port", "x", "state"},
                    "only auto --watch"},
          std::pair{twice, "--port sim is given twice"}}) {
        const auto run = Cli(args);
        EXPECT_EQ(run.exitCode, 2) << error;
        EXPECT_TRUE(Contains(run.err, error) && run.out.empty()) << run.err;
    }
}

// Fault: the programmers' conversations went into one log or none, or a log
// the user did not agree to replace was replaced, or the run went on without.
TEST_F(CliGang, EachProgrammerKeepsALogOfItsOwnReplacedOnlyWhenTheUserSaysSo) {
    StartSims({4, 4});
    std::vector<std::string> args = GangRun(2, Path("record.csv"));
    args.insert(args.begin(), {"--yes", "--log", Path("line.log")});
    const auto first = Cli(args);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    std::vector<std::filesystem::path> logs;
    for (const auto& sim : sims_) {
        std::string port = sim->Path().substr(1); // "/dev/pts/7": "line-dev_pts_7.log"
        std::replace(port.begin(), port.end(), '/', '_');
        logs.push_back(work / ("line-" + port + ".log"));
        EXPECT_FALSE(FrameCommands(ReadText(logs.back())).empty()) << port;
    }
    const std::string kept = ReadText(logs[0]);
    EXPECT_NE(kept, ReadText(logs[1]));
    EXPECT_FALSE(std::filesystem::exists(work / "line.log"));

    // No --yes and no terminal: the first slot's log stays, and no slot runs.
    std::filesystem::remove(logs[1]);
    args.erase(args.begin());
    const auto again = Cli(args);
    EXPECT_EQ(again.exitCode, 1) << again.err;
    EXPECT_TRUE(Contains(again.err, logs[0].string() + ": not overwritten")) << again.err;
    EXPECT_EQ(ReadText(logs[0]), kept);
    EXPECT_EQ(ParseCsv(ReadText(work / "record.csv")).size(), 3u) << "no card programmed";
}

// Fault: a slot took a card number or a serial value another had, the count
// was per slot, a line went missing from the record, or a programmer that
// fell silent held the run up, ended it for all or went unnamed.
TEST_F(CliGang, FourProgrammersOneFallingSilentProgramEveryCardOnceAndSayWhichStopped) {
    AddSerialField();
    // The fourth programmer feeds one card, then falls silent while it waits.
    StartSims({6, 6, 6, 1});
    const std::string record = Path("record.csv");
    constexpr int kCount = 12;
    TBackgroundCli run(GangRun(kCount, record), "/dev/null", Path("out"), Path("err"));
    const std::string silent = sims_[3]->Path();
    ASSERT_TRUE(Eventually([&] { return ReadText(work / "out"); }, " on " + silent + ": good"))
        << ReadText(work / "err");
    sims_[3]->Process().Signal(SIGSTOP);
    const int code = run.Wait(90000);
    sims_[3]->Process().Signal(SIGCONT);
    const std::string err = ReadText(work / "err");
    EXPECT_EQ(code, 1) << err;

    const std::vector<std::string> out = Lines("out");
    ASSERT_EQ(out.size(), kCount + sims_.size() + 1) << ReadText(work / "out");
    std::map<std::string, std::string> portOfCard;
    for (int i = 0; i < kCount; ++i) {
        const std::string& line = out[static_cast<std::size_t>(i)];
        const std::size_t on = line.find(" on "), colon = line.find(": good, serial Serial1 ");
        ASSERT_TRUE(line.starts_with("card ") && on != std::string::npos &&
                    colon != std::string::npos)
            << line;
        portOfCard[line.substr(5, on - 5)] = line.substr(on + 4, colon - on - 4);
    }
    EXPECT_EQ(portOfCard.size(), static_cast<std::size_t>(kCount)) << "one number a card";
    EXPECT_TRUE(out[kCount + 3].starts_with(silent + ": 1 good, 0 failed in ")) << out[kCount + 3];
    EXPECT_TRUE(out[kCount + 3].ends_with("; stopped: its programmer stopped answering"));
    EXPECT_TRUE(out.back().starts_with(std::to_string(kCount) + " good, 0 failed in "))
        << out.back();
    EXPECT_TRUE(Contains(err, "korvex-cli: error: " + silent +
                                  ": the slot has stopped after 1 card: its programmer stopped "
                                  "answering; the other slots go on"))
        << err;
    EXPECT_TRUE(Contains(err, "has not answered for 2 seconds")) << err;

    const auto rows = ParseCsv(ReadText(record));
    ASSERT_EQ(rows.size(), kCount + 1u);
    const auto column = [&](const std::string& name) {
        return static_cast<std::size_t>(std::find(rows[0].begin(), rows[0].end(), name) -
                                        rows[0].begin());
    };
    std::set<std::string> values;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        values.insert(rows[i][column("serial Serial1")]);
        EXPECT_EQ(rows[i][column("port")], portOfCard[rows[i][column("sequence")]]);
        EXPECT_EQ(rows[i][column("run")], rows[1][column("run")]) << "one run";
    }
    EXPECT_EQ(values.size(), static_cast<std::size_t>(kCount)) << "no value twice";
}

// Each card's object names its port, the result counts per port and in all,
// and Ctrl-C lets every slot finish the card in hand.
TEST_F(CliGang, CtrlCFinishesTheCardsInHandAndTheJsonNamesEachCardsPort) {
    StartSims({20, 20});
    std::vector<std::string> args = GangRun(1, Path("record.csv"));
    // No count: until Ctrl-C.
    args.erase(std::find(args.begin(), args.end(), "--count"),
               std::find(args.begin(), args.end(), "--record"));
    args.insert(args.begin(), "--json");
    TBackgroundCli run(args, "/dev/null", Path("out"), Path("err"));
    ASSERT_TRUE(Eventually([&] { return ReadText(work / "out"); }, "\"card\":2,"))
        << ReadText(work / "err");
    run.Signal(SIGINT);
    EXPECT_EQ(run.Wait(30000), 0) << ReadText(work / "err");
    EXPECT_TRUE(Contains(ReadText(work / "err"), "stopping after the cards in hand"));
    const std::vector<std::string> out = Lines("out");
    ASSERT_GE(out.size(), 3u);
    const std::size_t cards = out.size() - 1;
    std::map<std::string, int> perPort;
    for (std::size_t i = 0; i < cards; ++i) {
        const std::size_t port = out[i].find("\"port\":\"") + 8;
        EXPECT_TRUE(Contains(out[i], "\",\"outcome\":\"good\"")) << "finished, not cut off";
        ++perPort[out[i].substr(port, out[i].find('"', port) - port)];
    }
    EXPECT_TRUE(out.back().starts_with("{\"command\":\"auto --watch\",\"outcome\":"
                                       "\"succeeded\",\"exit_code\":0,\"summary\":{\"good\":" +
                                       std::to_string(cards) + ",\"failed\":0,"))
        << out.back();
    for (const auto& sim : sims_) {
        EXPECT_TRUE(Contains(out.back(), "{\"port\":\"" + sim->Path() + "\",\"good\":" +
                                             std::to_string(perPort[sim->Path()]) + ","))
            << out.back();
    }
    EXPECT_EQ(ParseCsv(ReadText(work / "record.csv")).size(), cards + 1);
}

} // namespace
} // namespace korvex
