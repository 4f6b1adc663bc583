// korvex-cli auto --watch against korvex-sim feeding cards as a person at a
// production line does.
#include "backgroundcli.h"
#include "clirig.h"
#include "common/ptypair.h"
#include "ptysim.h"
#include "workflows/presenter/mainworkflows.h"

#include <gtest/gtest.h>

#include <csignal>

namespace korvex {
namespace {

using namespace testing;

class CliWatch : public CliE2e {
protected:
    std::vector<std::string> Lines(const std::string& text) const {
        std::vector<std::string> lines;
        std::size_t at = 0;
        for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
            lines.push_back(text.substr(at, end - at));
        }
        return lines;
    }
};

TEST_F(CliWatch, FiveFedCardsWithAFaultyThirdGiveFourGoodOneFailedAndARecordOfFiveRows) {
    TPtySim sim({"--card", "PIC16F84-24C16", "--feed", "5", "--feed-fault", "3:stuck-eeprom@0x10",
                 "--feed-gap", "100"});
    ASSERT_FALSE(sim.Path().empty());
    const std::string record = Path("record, line 1.csv");

    const auto run = Cli({"--port", sim.Path(), "--card", "PIC16F84-24C16", "auto", "--pic",
                          Fixture("gpasm/card84.hex").string(), "--eeprom", Sample24c16().string(),
                          "--watch", "--count", "5", "--record", record});

    EXPECT_EQ(run.exitCode, 1) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 6u) << run.out;
    for (const int good : {0, 1, 3, 4}) {
        EXPECT_EQ(lines[good].rfind("card " + std::to_string(good + 1) + ": good, ", 0), 0u)
            << lines[good];
    }
    const TSrecImage eeprom = Srec(Sample24c16());
    const std::string expected = eeprom.HexText(0x10, 1);
    EXPECT_EQ(lines[2].rfind("card 3: failed at eeprom verify, first difference at eeprom byte "
                             "0x0010: expected " +
                                 expected + ", found FF (1 byte differs), ",
                             0),
              0u)
        << lines[2];
    EXPECT_EQ(lines[5].rfind("4 good, 1 failed in ", 0), 0u) << lines[5];
    EXPECT_TRUE(Contains(lines[5], " cards per hour")) << lines[5];
    // The error line says it too, in the language's words.
    EXPECT_TRUE(Contains(run.err,
                         "korvex-cli: error: card 3: Writing the eeprom failed, or the eeprom "
                         "differs from the file. First difference at eeprom byte 0x0010"))
        << run.err;

    // A standard CSV reader takes the record as it is.
    const std::string script =
        "import csv,sys\n"
        "rows=list(csv.reader(open(sys.argv[1],newline=''),strict=True))\n"
        "print(len(rows));print(rows[0][9]);print(rows[3][1],rows[3][9],rows[3][10],rows[3][11],"
        "rows[3][12],rows[3][13],rows[3][14])\n"
        "print(sorted(set(r[9] for r in rows[1:])))\n"
        "print(rows[1][4]==rows[5][4] and len(rows[1][4])==64, rows[1][16])\n";
    WriteText(work / "read.py", script);
    const auto parsed = RunProgram("/usr/bin/python3", {(work / "read.py").string(), record});
    ASSERT_EQ(parsed.exitCode, 0) << parsed.err;
    EXPECT_EQ(parsed.out, "6\noutcome\n3 failed eeprom verify eeprom byte 0x0010 " + expected +
                              " FF 1\n['failed', 'good']\nTrue 105\n");
}

TEST_F(CliWatch, ACardLeftInTheSlotIsProgrammedOnceAndCtrlCEndsTheRunWithASummary) {
    TPtySim sim({"--card", "PIC16F84-24C16"});
    ASSERT_FALSE(sim.Path().empty());
    TBackgroundCli cli({"--port", sim.Path(), "--card", "PIC16F84-24C16", "--log", Path("link.log"),
                        "auto", "--pic", Fixture("gpasm/card84.hex").string(), "--eeprom",
                        Sample24c16().string(), "--watch"},
                       "/dev/null", Path("out"), Path("err"));
    ASSERT_TRUE(cli.Started());
    ASSERT_TRUE(Eventually([&] { return ReadText(work / "out"); }, "card 1: good"))
        << ReadText(work / "err");
    // Two polls that find the card still in (the log is only written at the
    // end, so the time of two poll periods and a margin).
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * TPMainWorkflows::kPollMs + 400));
    cli.Signal(SIGINT);

    EXPECT_EQ(cli.Wait(), 0) << ReadText(work / "err");
    const std::vector<std::string> lines = Lines(ReadText(work / "out"));
    ASSERT_EQ(lines.size(), 2u) << ReadText(work / "out");
    EXPECT_EQ(lines[1].rfind("1 good, 0 failed in ", 0), 0u) << lines[1];
    // One auto program, then polls only, and the release at the end.
    const std::string frames = FrameCommands(ReadText(work / "link.log"));
    const std::size_t lastChange = frames.find_last_of("BCDHI");
    ASSERT_NE(lastChange, std::string::npos);
    EXPECT_GE(
        std::count(frames.begin() + static_cast<std::ptrdiff_t>(lastChange), frames.end(), 'P'), 2)
        << frames;
    EXPECT_EQ(std::count(frames.begin(), frames.end(), 'H'), 2)
        << "the loader's and the program's erase";
}

// The first Ctrl-C lets the card in hand finish, and says so: an operator
// left without a word presses again and cuts the card off.
TEST_F(CliWatch, CtrlCDuringACardSaysTheCardIsFinishedFirst) {
    TPtySim sim({"--card", "PIC16F84-24C16", "--feed", "3"});
    ASSERT_FALSE(sim.Path().empty());
    TBackgroundCli cli({"--port", sim.Path(), "--card", "PIC16F84-24C16", "auto", "--pic",
                        Fixture("gpasm/card84.hex").string(), "--eeprom", Sample24c16().string(),
                        "--watch"},
                       "/dev/null", Path("out"), Path("err"));
    ASSERT_TRUE(cli.Started());
    ASSERT_TRUE(Eventually([&] { return ReadText(work / "err"); }, "Writing eeprom..."))
        << ReadText(work / "err");
    cli.Signal(SIGINT);
    EXPECT_EQ(cli.Wait(), 0) << ReadText(work / "err");
    EXPECT_TRUE(
        Contains(ReadText(work / "err"), "stopping after card 1; Ctrl-C again stops at once\n"))
        << ReadText(work / "err");
    const std::vector<std::string> lines = Lines(ReadText(work / "out"));
    ASSERT_EQ(lines.size(), 2u) << ReadText(work / "out");
    EXPECT_EQ(lines[0].rfind("card 1: good", 0), 0u) << lines[0];
}

TEST_F(CliWatch, OnATerminalTheRunSaysWhatItWaitsFor) {
    TPtySim sim({"--card", "PIC16F84-24C16", "--feed", "2", "--feed-gap", "300"});
    ASSERT_FALSE(sim.Path().empty());
    PtyPair terminal;
    TBackgroundCli cli({"--port", sim.Path(), "--card", "PIC16F84-24C16", "auto", "--pic",
                        Fixture("gpasm/card84.hex").string(), "--eeprom", Sample24c16().string(),
                        "--watch", "--count", "2"},
                       "/dev/null", Path("out"), terminal.SlavePath());
    ASSERT_TRUE(cli.Started());
    std::string shown;
    const auto read = [&] {
        shown += terminal.Read(4096, 10);
        return shown;
    };
    EXPECT_TRUE(Eventually(read, "take card 1 out (Ctrl-C ends the run)")) << shown;
    EXPECT_TRUE(Eventually(read, "waiting for card 2 (Ctrl-C ends the run)")) << shown;
    EXPECT_EQ(cli.Wait(), 0) << shown;
}

// Fault: card 2, pulled out mid-write, was failed, and then the run waited
// for ever for it to be taken out: every poll found card 3 ready.
TEST_F(CliWatch, ACardPulledOutMidWriteCountsAsTakenOutAndTheRunGoesOn) {
    TPtySim sim({"--card", "PIC16F84-24C16", "--feed", "3", "--feed-fault", "2:pull@B10",
                 "--feed-gap", "100"});
    ASSERT_FALSE(sim.Path().empty());
    TBackgroundCli cli({"--port", sim.Path(), "--card", "PIC16F84-24C16", "auto", "--pic",
                        Fixture("gpasm/card84.hex").string(), "--eeprom", Sample24c16().string(),
                        "--watch", "--count", "3"},
                       "/dev/null", Path("out"), Path("err"));
    ASSERT_TRUE(cli.Started());
    EXPECT_EQ(cli.Wait(30000), 1) << ReadText(work / "err");
    const std::vector<std::string> lines = Lines(ReadText(work / "out"));
    ASSERT_EQ(lines.size(), 4u) << ReadText(work / "out");
    EXPECT_EQ(lines[0].rfind("card 1: good, ", 0), 0u) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("card 2: failed") || lines[1].starts_with("card 2: interr"))
        << lines[1];
    EXPECT_EQ(lines[2].rfind("card 3: good, ", 0), 0u) << lines[2];
}

TEST_F(CliWatch, ARecordFileThatIsNoRecordStopsTheRunBeforeAnyCardAndFailsIt) {
    const std::string record = Path("addresses.csv");
    WriteText(record, "name,street\r\nsomebody,somewhere\r\n");
    const auto run = Cli({"--port", "sim", "--card", "PIC16F84-24C16", "--log", Path("link.log"),
                          "auto", "--pic", Fixture("gpasm/card84.hex").string(), "--eeprom",
                          Sample24c16().string(), "--watch", "--record", record});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(Contains(run.err, "addresses.csv")) << run.err;
    EXPECT_EQ(ReadText(record), "name,street\r\nsomebody,somewhere\r\n");
    EXPECT_FALSE(ChangesTheCard(FrameCommands(ReadText(work / "link.log"))));
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_FALSE(Contains(run.err, "Configuration word")) << "said only when the run goes ahead";
}

// Fault: a run started at once after another, the last card still in the
// slot, programmed that card again with a value of its own.
TEST_F(CliWatch, ARunWaitsForTheCardTheLastRunFinishedToBeTakenOut) {
    TPtySim sim({"--card", "PIC16F84-24C16"});
    ASSERT_FALSE(sim.Path().empty());
    const std::vector<std::string> run = WatchRun(sim.Path(), 1, Path("record.csv"));
    ASSERT_EQ(Cli(run).exitCode, 0);
    TBackgroundCli again(run, "/dev/null", Path("out"), Path("err"));
    ASSERT_TRUE(Eventually([&] { return ReadText(work / "err"); },
                           "the card in the slot was finished by the last run (card 1): take "
                           "it out\n"))
        << ReadText(work / "err");
    sim.Process().Signal(SIGUSR1);
    // Two polls that find the slot empty, then the next card.
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * TPMainWorkflows::kPollMs + 400));
    sim.Process().Signal(SIGUSR2);
    EXPECT_EQ(again.Wait(30000), 0) << ReadText(work / "err");
    EXPECT_EQ(Lines(ReadText(work / "record.csv")).size(), 3u) << "one line a card";
}

} // namespace
} // namespace korvex
