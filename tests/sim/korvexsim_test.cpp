// korvex-sim as the host sees it: a terminal path on the first line, a raw
// serial line behind it, signals to pull the card and to stop. Every wait is
// bounded, so a simulator that hangs fails the test instead of stalling it.
#include "common/runprogram.h"
#include "common/scopedenv.h"
#include "common/simprocess.h"
#include "common/tempdir.h"
#include "sim/simtesting.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace korvex {
namespace {

using simtest::Frame;
using simtest::kAckEot;
using simtest::kDleByte;
using simtest::kNakByte;
using testing::TempDir;

constexpr int kPatienceMs = 5000;

// korvex-sim with the shipped catalogue.
class TSimProcess : public testing::TSimProcess {
public:
    explicit TSimProcess(std::vector<std::string> args)
        : testing::TSimProcess(KORVEX_SIM, WithData(std::move(args))) {}

private:
    static std::vector<std::string> WithData(std::vector<std::string> args) {
        args.insert(args.begin(), {"--data", KORVEX_SOURCE_DATA_DIR});
        return args;
    }
};

// The host's end, opened as any serial port is: raw, at the given speed.
class THostLine {
public:
    THostLine(const std::string& path, speed_t speed) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY)) {
        termios settings{};
        tcgetattr(fd_, &settings);
        cfmakeraw(&settings);
        cfsetspeed(&settings, speed);
        tcsetattr(fd_, TCSANOW, &settings);
    }
    ~THostLine() { close(fd_); }

    // Sends the bytes and collects the answer until `expected` bytes came or
    // `waitMs` passed; a line that went away ends the wait too.
    std::string Exchange(const std::string& bytes, std::size_t expected, int waitMs = kPatienceMs) {
        std::string answer;
        if (write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            return "write failed";
        }
        pollfd fd{fd_, POLLIN, 0};
        char buffer[256];
        while (answer.size() < expected && poll(&fd, 1, waitMs) == 1) {
            const ssize_t got = read(fd_, buffer, sizeof buffer);
            hungUp_ = got <= 0;
            if (hungUp_) {
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(got));
        }
        return answer;
    }
    bool HungUp() const { return hungUp_; }

private:
    int fd_;
    bool hungUp_ = false;
};

// srec_cat's hex dump of an Intel HEX file.
std::string Srec(const std::filesystem::path& file) {
    const std::string command =
        std::string("'") + KORVEX_SREC_CAT + "' '" + file.string() + "' -intel -o - -hex_dump";
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    for (char buffer[256]; pipe != nullptr && fgets(buffer, sizeof buffer, pipe) != nullptr;) {
        text += buffer;
    }
    if (pipe != nullptr) {
        pclose(pipe);
    }
    return text;
}

TEST(KorvexSim, ServesThePortUntilStoppedAndSavesTheCard) {
    TempDir dir;
    TSimProcess sim({"--card", "PIC16F84-24C16", "--save-dir", (dir / "saved").string(), "--link",
                     (dir / "port").string()});
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::filesystem::read_symlink(dir / "port"), path);
    {
        THostLine host((dir / "port").string(), B19200);
        EXPECT_EQ(host.Exchange("\x01P081\r", 2), kAckEot);
        EXPECT_EQ(host.Exchange(Frame('A', '3', "3") + Frame('B', '3', "12AB"), 4),
                  kAckEot + kAckEot);
    }
    {
        THostLine host(path, B19200); // opened again: the line is still there
        sim.Signal(SIGUSR1);
        EXPECT_EQ(host.Exchange(Frame('P', '0', ""), 1), kDleByte);
        sim.Signal(SIGUSR2);
        EXPECT_EQ(host.Exchange(Frame('P', '0', ""), 2), kAckEot);
    }
    {
        THostLine host(path, B115200);
        EXPECT_EQ(host.Exchange(Frame('P', '0', ""), 1, 300), "") << "listens at 19200 only";
    }
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir / "port")));
    const std::string program = Srec(dir / "saved" / "program.hex");
    EXPECT_NE(program.find("00000000: AB 12 FF 3F"), std::string::npos) << program;
    for (const char* name : {"data.hex", "config.hex", "eeprom.hex"}) {
        EXPECT_TRUE(std::filesystem::exists(dir / "saved" / name)) << name;
    }
}

TEST(KorvexSim, EndsOnEveryStopSignalAsOnSigterm) {
    // Closing the terminal it runs in (SIGHUP) must not lose the card or
    // leave the link behind.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TempDir dir;
        TSimProcess sim({"--card", "PIC16F84-24C16", "--save-dir", (dir / "saved").string(),
                         "--link", (dir / "port").string()});
        ASSERT_FALSE(sim.FirstLine().empty());
        {
            THostLine host((dir / "port").string(), B19200);
            EXPECT_EQ(host.Exchange(Frame('A', '3', "3") + Frame('B', '3', "12AB"), 4),
                      kAckEot + kAckEot);
        }
        sim.Signal(signal);
        EXPECT_EQ(sim.Wait(), 0) << strsignal(signal);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir / "port")))
            << strsignal(signal);
        EXPECT_NE(Srec(dir / "saved" / "program.hex").find("00000000: AB 12 FF 3F"),
                  std::string::npos)
            << strsignal(signal);
    }
}

TEST(KorvexSim, AHangupFaultTakesTheLineAway) {
    TempDir dir;
    TSimProcess sim({"--processor", "ATmega161", "--eeprom", "24C256", "--wire-time", "--fault",
                     "hangup@P2", "--save-dir", dir.Path().string()});
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty());
    THostLine host(path, B19200);
    EXPECT_EQ(host.Exchange(Frame('P', '0', ""), 2), kAckEot);
    EXPECT_EQ(host.Exchange(Frame('P', '0', ""), 1), "");
    EXPECT_TRUE(host.HungUp());
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_NE(Srec(dir / "config.hex").find("00000000: 1E 94 01"), std::string::npos);
}

// Fault: korvex-sim read card types from the program folder only, so a card
// type the user had added (in the user's data folder) was unknown to it.
TEST(KorvexSim, ServesACardTypeOfTheUsersOwn) {
    TempDir data;
    testing::WriteText(data / "korvex/cards/Mine.ini",
                       "[CardType]\nCardName=Mine\nPicName=PIC 16F84\nEepromName=24C16\n");
    const testing::ScopedEnv env("XDG_DATA_HOME", data.Path().c_str());
    TSimProcess sim({"--card", "Mine"});
    const std::string path = sim.FirstLine();
    ASSERT_FALSE(path.empty()) << "the card type was not found";
    {
        THostLine host(path, B19200);
        EXPECT_EQ(host.Exchange(Frame('P', '0', ""), 2), kAckEot);
    }
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
}

TEST(KorvexSim, SetupErrorsAreOneLineAndExitTwo) {
    using Args = std::vector<std::string>;
    for (const Args& args : {Args{"--card", "NoSuchCard"}, Args{"--eeprom", "24C16"}, Args{},
                             Args{"--processor", "PIC 16F84", "--fault", "nack@0"},
                             Args{"--card", "PIC16F84", "--baud", "9600"}}) {
        Args all{"--data", KORVEX_SOURCE_DATA_DIR};
        all.insert(all.end(), args.begin(), args.end());
        const auto result = testing::RunProgram(KORVEX_SIM, all);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

TEST(KorvexSim, FeedsCardsOneAfterTheOtherAndSaysWhenEachGoesInAndOut) {
    TSimProcess sim({"--card", "PIC16F84-24C16", "--feed", "2", "--feed-gap", "0", "--feed-fault",
                     "2:nack@P2"});
    const std::string path = sim.FirstLine();
    ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
    EXPECT_EQ(sim.NextLine(), "card 1 in");
    THostLine host(path, B19200);
    const std::string poll = Frame('P', '0', "");
    const std::string programmed =
        Frame('A', '3', "3") + Frame('B', '3', "12AB") + Frame('A', '3', "0");
    EXPECT_EQ(host.Exchange(poll, 2), kAckEot);
    EXPECT_EQ(host.Exchange(programmed, 6), kAckEot + kAckEot + kAckEot);
    EXPECT_EQ(host.Exchange(poll, 1), kDleByte);
    EXPECT_EQ(sim.NextLine(), "card 1 out");
    EXPECT_EQ(host.Exchange(poll, 2), kAckEot);
    EXPECT_EQ(sim.NextLine(), "card 2 in");
    EXPECT_EQ(host.Exchange(poll, 1), kNakByte) << "card 2's own fault, on its second poll";
    EXPECT_EQ(host.Exchange(programmed, 6), kAckEot + kAckEot + kAckEot);
    EXPECT_EQ(host.Exchange(poll, 1), kDleByte);
    EXPECT_EQ(sim.NextLine(), "card 2 out");
    EXPECT_EQ(host.Exchange(poll, 1), kDleByte) << "no third card";
    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(), 0);
}

TEST(KorvexSim, BadFeedOptionsAreRefusedBeforeServing) {
    using Args = std::vector<std::string>;
    const std::pair<Args, std::string> cases[] = {
        {{"--feed", "2", "--feed-fault", "2-nack@1"}, "stuck-eeprom@ADDR"},
        {{"--feed", "2", "--feed-fault", "2:stuck-data@0x"}, "stuck-eeprom@ADDR"},
        {{"--feed", "2", "--feed-fault", "3:nack@1"}, "card 3"},
        {{"--feed", "1", "--feed-fault", "1:stuck-eeprom@0x800"},
         "no external EEPROM byte 2048 (only 0 to 2047)"},
        {{"--feed", "1", "--absent"}, "--absent"},
    };
    for (const auto& [args, said] : cases) {
        Args all{"--data", KORVEX_SOURCE_DATA_DIR, "--card", "PIC16F84-24C16"};
        all.insert(all.end(), args.begin(), args.end());
        const auto result = testing::RunProgram(KORVEX_SIM, all);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_EQ(result.out, "") << "refused after serving began";
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
    }
}

} // namespace
} // namespace korvex
