// korvex-cli stopped by a signal: the transfer ends at its next block, the
// programmer is released, the log is written and the exit code tells which
// signal it was; a second signal ends it at once. Against korvex-sim with
// wire time at 19200 baud, so a processor write lasts seconds.
#include "backgroundcli.h"
#include "clirig.h"
#include "common/ptypair.h"
#include "ptysim.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

namespace korvex {
namespace {

using namespace testing;

// The last frame of a --log file that could change the programmer's mode
// (a poll or the version query cannot), as it is shown there.
std::string LastFrame(const std::string& log) {
    for (std::size_t start = log.rfind("<01>"); start != std::string::npos;
         start = start == 0 ? std::string::npos : log.rfind("<01>", start - 1)) {
        const std::string frame = log.substr(start, log.find('\n', start) - start);
        if (frame.size() > 4 && frame[4] != 'P' && frame[4] != 'V') {
            return frame;
        }
    }
    return {};
}

class CliSignals : public CliE2e {
protected:
    static constexpr int kWords = 1024; // the whole of a PIC 16F84

    // A program of every word of the processor, none of them blank.
    std::string BigProgram() {
        std::vector<std::uint8_t> bytes;
        for (int word = 0; word < kWords; ++word) {
            bytes.push_back(static_cast<std::uint8_t>(word));
            bytes.push_back(static_cast<std::uint8_t>(0x10 + word / 256));
        }
        const std::string file = Path("big.hex");
        WriteText(file, HexData(0, bytes) + HexEnd());
        return file;
    }

    // A write of BigProgram started against `sim`, once it is writing.
    std::unique_ptr<TBackgroundCli> StartWrite(const TPtySim& sim) {
        auto cli = std::make_unique<TBackgroundCli>(
            std::vector<std::string>{"--port", sim.Path(), "--card", "PIC16F84-24C16", "--yes",
                                     "--json", "--log", Path("link.log"), "write", "pic",
                                     BigProgram()},
            "/dev/null", Path("out"), Path("err"));
        EXPECT_TRUE(cli->Started());
        EXPECT_TRUE(Eventually([&] { return ReadText(work / "err"); }, "Writing pic..."))
            << ReadText(work / "err");
        // A few packets on the line.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return cli;
    }
};

TEST_F(CliSignals, EachStopSignalEndsAWriteAtItsNextBlockAndReleasesTheProgrammer) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        std::filesystem::remove(work / "link.log");
        std::filesystem::remove(work / "err");
        TPtySim sim({"--card", "PIC16F84-24C16", "--wire-time"});
        ASSERT_FALSE(sim.Path().empty());
        auto cli = StartWrite(sim);
        cli->Signal(signal);
        // Long before the rest of the write could have gone out.
        EXPECT_EQ(cli->Wait(1500), 128 + signal);
        // The result says the code the process ends with.
        EXPECT_TRUE(
            Contains(ReadText(work / "out"), "\"exit_code\":" + std::to_string(128 + signal) + ","))
            << ReadText(work / "out");

        const std::string log = ReadText(work / "link.log");
        const std::string frames = FrameCommands(log);
        const auto packets = std::count(frames.begin(), frames.end(), 'B');
        EXPECT_GT(packets, 0) << frames;
        EXPECT_LT(packets, kWords * 4 / 32) << frames;
        // Nothing after the stopped part: no data EEPROM, no verify.
        EXPECT_EQ(frames.find_first_of("CDE"), std::string::npos) << frames;
        const std::string last = LastFrame(log);
        EXPECT_TRUE(last.starts_with("<01>A") && last.size() > 6 && last[6] == '0')
            << "released with mode 0: " << last;
        const std::string err = ReadText(work / "err");
        EXPECT_TRUE(Contains(err, "Stopped by ")) << err;
        EXPECT_FALSE(Contains(err, "error")) << err;

        // The card holds the start of the program and not its end.
        ASSERT_EQ(sim.Process().Stop(), 0);
        const TSrecImage card = Srec(sim.SaveDir() / "program.hex");
        EXPECT_EQ(card.HexText(0, 4), "00100110");
        EXPECT_EQ(card.HexText(2 * (kWords - 1), 2), "FF3F");
    }
}

TEST_F(CliSignals, ASecondSignalEndsTheRunAtOnce) {
    TPtySim sim({"--card", "PIC16F84-24C16", "--wire-time"});
    ASSERT_FALSE(sim.Path().empty());
    auto cli = StartWrite(sim);
    cli->Signal(SIGINT);
    // Sent together, both handlers would run at once in an order of the
    // kernel's choosing; a moment apart, well within the next block's time.
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
    cli->Signal(SIGTERM);
    EXPECT_EQ(cli->Wait(1500), 128 + SIGTERM);
    // Fault: the log was written as the run ended, so a run ended at once (or
    // killed) had none. Written as the run went, it keeps what went out.
    EXPECT_NE(FrameCommands(ReadText(work / "link.log")).find('B'), std::string::npos);
}

TEST_F(CliSignals, WaitingForTheFirstAnswerEndsQuietly) {
    // A programmer at another speed never answers; the tool would wait a second.
    TPtySim sim({"--card", "PIC16F84-24C16", "--baud", "115200"});
    ASSERT_FALSE(sim.Path().empty());
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"erase", "pic"}, {"state"}}) {
        SCOPED_TRACE(command.front());
        std::filesystem::remove(work / "err");
        std::filesystem::remove(work / "link.log");
        std::vector<std::string> args{"--port", sim.Path(),       "--speed", "19200",
                                      "--card", "PIC16F84-24C16", "--log",   Path("link.log")};
        args.insert(args.end(), command.begin(), command.end());
        TBackgroundCli cli(args, "/dev/null", Path("out"), Path("err"));
        ASSERT_TRUE(cli.Started());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cli.Signal(SIGTERM);
        EXPECT_EQ(cli.Wait(), 128 + SIGTERM);
        const std::string err = ReadText(work / "err");
        EXPECT_FALSE(Contains(err, "does not answer")) << err;
        EXPECT_TRUE(Contains(err, "Stopped by SIGTERM.")) << err;
        const std::string log = ReadText(work / "link.log");
        EXPECT_TRUE(Contains(log, "<01>P081<0D>")) << log;
        EXPECT_EQ(FrameCommands(log).find_first_not_of('P'), std::string::npos) << log;
    }
}

// Reading the EEPROM asks first whether the loader may replace the program:
// a stop or a No there ends the run with the card untouched and no file.
TEST_F(CliSignals, AQuestionOnTheTerminalEndsTheRunByASignalOrANo) {
    struct TCase {
        bool signal;
        int exitCode;
    };
    for (const TCase& c : {TCase{true, 128 + SIGINT}, TCase{false, 1}}) {
        SCOPED_TRACE(c.signal ? "SIGINT" : "No");
        PtyPair terminal;
        TBackgroundCli cli({"--port", "sim", "--card", "PIC16F84-24C16", "read", "eeprom", "-o",
                            Path("eeprom.hex")},
                           terminal.SlavePath(), Path("out"), terminal.SlavePath());
        ASSERT_TRUE(cli.Started());
        std::string shown;
        ASSERT_TRUE(Eventually(
            [&] {
                shown += terminal.Read(4096, 10);
                return shown;
            },
            "[y/N]"))
            << shown;
        if (c.signal) {
            cli.Signal(SIGINT);
        } else {
            ASSERT_TRUE(terminal.Write("n\n"));
        }
        EXPECT_EQ(cli.Wait(), c.exitCode);
        EXPECT_EQ(ReadText(work / "out"), "Nothing was done.\n");
        EXPECT_FALSE(std::filesystem::exists(work / "eeprom.hex"));
        EXPECT_EQ(Srec(KeptCard("PIC16F84-24C16", "program.hex")).HexText(0, 2), "FF3F");
    }
    // A file there already: whether it may go is asked first, before the
    // loader is written, not once the card has been read.
    WriteText(work / "eeprom.hex", "old");
    PtyPair terminal;
    TBackgroundCli cli(
        {"--port", "sim", "--card", "PIC16F84-24C16", "read", "eeprom", "-o", Path("eeprom.hex")},
        terminal.SlavePath(), Path("out"), terminal.SlavePath());
    ASSERT_TRUE(cli.Started());
    std::string shown;
    const auto read = [&] {
        shown += terminal.Read(4096, 10);
        return shown;
    };
    ASSERT_TRUE(Eventually(read, "File exists overwrite ? " + Path("eeprom.hex") + " [y/N]"))
        << shown;
    ASSERT_TRUE(terminal.Write("y\n"));
    ASSERT_TRUE(Eventually(read, "loader")) << shown;
    ASSERT_TRUE(terminal.Write("n\n"));
    EXPECT_EQ(cli.Wait(), 1);
    EXPECT_EQ(ReadText(work / "eeprom.hex"), "old");
    EXPECT_EQ(Srec(KeptCard("PIC16F84-24C16", "program.hex")).HexText(0, 2), "FF3F");
}

} // namespace
} // namespace korvex
