// korvex-cli's programmer commands against korvex-sim on a pseudo-terminal.
#include "common/runprogram.h"
#include "common/tempdir.h"
#include "ptysim.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace korvex {
namespace {

using testing::ProgramResult;
using testing::ReadText;
using testing::RunProgram;
using testing::TempDir;
using testing::TPtySim;
using testing::WriteText;

// Each run gets settings of its own, so nothing the user stored (a language,
// a port) leaks in.
class CliOverPty : public ::testing::Test {
protected:
    TempDir config;
    void SetUp() override { ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1); }

    static ProgramResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--data", KORVEX_PROGRAM_DIR});
        return RunProgram(KORVEX_CLI, args);
    }
};

TEST_F(CliOverPty, StateAndFirmwareOfAReadyProgrammer) {
    TPtySim sim({"--processor", "PIC 16F84"});
    ASSERT_FALSE(sim.Path().empty());
    TempDir logs;
    const auto log = (logs.Path() / "link.log").string();

    auto state = Cli({"--port", sim.Path(), "--log", log, "state"});
    EXPECT_EQ(state.exitCode, 0) << state.err;
    EXPECT_EQ(state.out, "Card Ready\n");
    EXPECT_EQ(ReadText(log), "<01>P081<0D>\nSucces.\n<01>A00A2<0D>\nSucces.\n");

    auto firmware = Cli({"firmware", "--port", sim.Path(), "--speed", "19200"});
    EXPECT_EQ(firmware.exitCode, 0) << firmware.err;
    EXPECT_EQ(firmware.out, "105\n");
}

TEST_F(CliOverPty, AbsentCardUnusableFirmwareAndWrongSpeed) {
    TPtySim absent({"--processor", "PIC 16F84", "--absent", "--firmware", "39"});
    ASSERT_FALSE(absent.Path().empty());
    auto state = Cli({"--port", absent.Path(), "state"});
    EXPECT_EQ(state.exitCode, 1);
    EXPECT_EQ(state.out, "Card Not Ready\n");
    auto firmware = Cli({"--port", absent.Path(), "firmware"});
    EXPECT_EQ(firmware.exitCode, 1);
    EXPECT_EQ(firmware.out, "") << "no number that is none";
    EXPECT_NE(firmware.err.find("no firmware version"), std::string::npos) << firmware.err;

    TPtySim fast({"--processor", "PIC 16F84", "--baud", "115200"});
    ASSERT_FALSE(fast.Path().empty());
    state = Cli({"--port", fast.Path(), "--speed", "19200", "state"});
    EXPECT_EQ(state.exitCode, 1);
    EXPECT_EQ(state.out, "Not Connected\n");
    state = Cli({"--port", fast.Path(), "--speed", "115200", "state"});
    EXPECT_EQ(state.exitCode, 0) << state.err;
}

TEST_F(CliOverPty, PortsThatCannotBeOpenedSayWhy) {
    auto missing = Cli({"--port", "/dev/korvex-no-such-port", "state"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "Not Connected\n");
    EXPECT_NE(missing.err.find("No such serial device /dev/korvex-no-such-port"), std::string::npos)
        << missing.err;

    auto notSerial = Cli({"--port", "/dev/null", "firmware"});
    EXPECT_EQ(notSerial.exitCode, 1);
    EXPECT_NE(notSerial.err.find("/dev/null is not a serial device"), std::string::npos)
        << notSerial.err;

    auto unknown = Cli({"--port", "LPT1", "state"});
    EXPECT_EQ(unknown.exitCode, 2);
    auto none = Cli({"state"});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.err.find("no port chosen"), std::string::npos);
}

TEST_F(CliOverPty, MessagesNameThePortAsTheUserGaveIt) {
    const auto contains = [](const ProgramResult& run, const std::string& part) {
        return run.err.find(part) != std::string::npos;
    };
    // A path stands in COM1's place for the run; no message may call it COM1.
    const std::string missing = "/dev/korvex-no-such-port";
    for (const std::vector<std::string>& command : {std::vector<std::string>{"state"},
                                                    {"firmware"},
                                                    {"--card", "PIC16F84", "erase", "pic"}}) {
        std::vector<std::string> args{"--port", missing};
        args.insert(args.end(), command.begin(), command.end());
        const auto run = Cli(args);
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_TRUE(
            contains(run, "korvex-cli: error: cannot open " + missing + ": No such serial device"))
            << run.err;
        EXPECT_FALSE(contains(run, "COM")) << run.err;
    }

    TPtySim fast({"--processor", "PIC 16F84", "--baud", "115200"});
    ASSERT_FALSE(fast.Path().empty());
    auto silent =
        Cli({"--port", fast.Path(), "--speed", "19200", "--card", "PIC16F84", "erase", "pic"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_TRUE(contains(silent, "the programmer on " + fast.Path() + " does not answer"))
        << silent.err;
    EXPECT_FALSE(contains(silent, "COM")) << silent.err;

    // A COM item says which device it stands for.
    WriteText(config.Path() / "korvex" / "settings.ini",
              "[Korvex]\nPort3=" + missing + "\nPort2=sim\n");
    const auto com3 = Cli({"--port", "COM3", "state"});
    EXPECT_TRUE(contains(com3, "cannot open COM3 (" + missing + "): No such serial device"))
        << com3.err;
    // The port the settings remember is the window's choice: the tool's
    // user changes it with --port, not under the window's Setup menu.
    WriteText(config.Path() / "korvex" / "settings.ini",
              "[Korvex]\nPort3=" + missing + "\nComPort=3\n");
    const auto remembered = Cli({"state"});
    EXPECT_TRUE(contains(remembered, "cannot open COM3 (" + missing + "): No such serial device"))
        << remembered.err;
    EXPECT_TRUE(contains(remembered, "name the programmer's port with --port")) << remembered.err;

    // No catalogue to check the card type against, or to make the built-in
    // simulator's card from: bad usage, naming the catalogue.
    TempDir empty;
    for (const char* port : {"sim", "COM2"}) {
        const auto sim = RunProgram(KORVEX_CLI, {"--data", empty.Path().string(), "--port", port,
                                                 "--card", "PIC16F84", "state"});
        EXPECT_EQ(sim.exitCode, 2) << sim.err;
        EXPECT_TRUE(contains(sim, "pics.cfg")) << sim.err;
        EXPECT_FALSE(contains(sim, "The simulator cannot start")) << sim.err;
    }
}

TEST_F(CliOverPty, TheBuiltInSimulatorAnswersWithoutAnyDevice) {
    auto state = Cli({"--port", "sim", "state"});
    EXPECT_EQ(state.exitCode, 0) << state.err;
    EXPECT_EQ(state.out, "Card Ready\n");
}

} // namespace
} // namespace korvex
