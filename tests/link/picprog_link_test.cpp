#include "driverrig.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace korvex {
namespace {

using namespace korvex::testing;

class DriverLink : public ::testing::Test {
protected:
    TDriverRig rig;
    std::vector<TPCardState> events;

    void SetUp() override {
        rig.prog.OnStateChange = [this](TPCardState state, TPPicProg&) { events.push_back(state); };
        rig.ConnectLogged();
        events.clear();
    }
};

TEST_F(DriverLink, PollStatesAndEventsOnlyOnChange) {
    rig.line.Answer(kAckEot);
    rig.line.Answer(kAckEot);
    rig.prog.Poll();
    rig.prog.Poll();
    EXPECT_EQ(events, std::vector<TPCardState>{TPCardState::csCardReady});
    EXPECT_TRUE(rig.prog.IsCardReady());
    EXPECT_EQ(rig.line.written[0], Bytes({0x01, 0x50, 0x30, 0x38, 0x31, 0x0D}));

    rig.line.Answer(Bytes({0x06, 0x10}));
    rig.prog.Poll();
    rig.line.Answer(Bytes({0x10}));
    rig.prog.Poll();
    EXPECT_EQ(events.back(), TPCardState::csCardNotReady);
    EXPECT_EQ(events.size(), 2u);
    EXPECT_EQ(rig.LastLog(), "DLE Error.");
}

TEST_F(DriverLink, SilentProgrammerTimesOutWithoutSpinning) {
    rig.line.Answer(kAckEot);
    rig.prog.Poll();
    const auto before = rig.clock.NowMs();
    rig.prog.Poll(); // nothing answers
    EXPECT_GE(rig.clock.NowMs() - before, 50);
    EXPECT_LE(rig.clock.NowMs() - before, 52);
    EXPECT_EQ(rig.prog.LastState(), TPCardState::csNotConnected);
    EXPECT_EQ(events.back(), TPCardState::csNotConnected);
    EXPECT_EQ(rig.LastLog(), "Timeout.");
}

TEST_F(DriverLink, ALineThatPromisesBytesItNeverGivesCannotMakeAWaitSpin) {
    rig.line.phantomBytes = true;
    std::string payload;
    auto before = rig.clock.NowMs();
    EXPECT_EQ(rig.prog.WaitAck(100), TReplyResult::rrTimeout);
    EXPECT_EQ(rig.prog.ReadBlock('E', 3, 4, payload), TReplyResult::rrTimeout);
    EXPECT_EQ(rig.prog.WriteBlock('B', 3, "3FFF", 4), TReplyResult::rrTimeout);
    EXPECT_LE(rig.clock.NowMs() - before, 100 + 100 + 40 + 3);
}

TEST_F(DriverLink, ShortAnswersAreJudgedAndLogged) {
    const auto judge = [this](std::string answer, int laterMs = -1, std::string later = "") {
        rig.line.Answer(std::move(answer));
        if (laterMs >= 0) {
            rig.line.ThenAnswer(std::move(later), laterMs);
        }
        rig.prog.SendFrame(MakeFrame('H', '3', ""));
        return rig.prog.WaitAck(100);
    };
    EXPECT_EQ(judge("AB"), TReplyResult::rrUnknown);
    EXPECT_EQ(rig.LastLog(), "Unknown response 65, 66, ");
    EXPECT_EQ(judge(Bytes({0x16})), TReplyResult::rrNegative);
    EXPECT_EQ(rig.LastLog(), "Error Nack returned.");
    EXPECT_EQ(judge(Bytes({0x10})), TReplyResult::rrDle);
    EXPECT_EQ(rig.LastLog(), "DLE Error.");

    // An ACK alone keeps the wait going until its EOT comes.
    EXPECT_EQ(judge(Bytes({0x06}), 30, Bytes({0x04})), TReplyResult::rrSuccess);
    EXPECT_EQ(rig.LastLog(), "Succes.");

    // Three bytes at once never meet the two-byte rule: the deadline ends it.
    const auto before = rig.clock.NowMs();
    EXPECT_EQ(judge(Bytes({0x06, 0x04, 0x04})), TReplyResult::rrTimeout);
    EXPECT_GE(rig.clock.NowMs() - before, 100);
    EXPECT_EQ(rig.LastLog(), "Timeout.");
}

TEST_F(DriverLink, ALineThatNeverFallsSilentCannotHoldAWait) {
    // Five seconds of noise after an ACK: every look at the line finds bytes.
    rig.line.Answer(Bytes({0x06}));
    rig.line.Flood('x', 5000);
    rig.prog.SendFrame(MakeFrame('H', '3', ""));
    auto before = rig.clock.NowMs();
    EXPECT_EQ(rig.prog.WaitAck(100), TReplyResult::rrUnknown);
    EXPECT_LE(rig.clock.NowMs() - before, 2 * 100 + 2);
    // The log line shows the first bytes and counts the rest.
    const std::string line = rig.LastLog();
    EXPECT_TRUE(line.starts_with("Unknown response 6, 120, 120, ")) << line;
    EXPECT_LT(line.size(), 120u) << line;
    EXPECT_NE(line.find(" bytes in all)"), std::string::npos) << line;

    // Reads and writes end by their own deadline.
    std::string payload;
    before = rig.clock.NowMs();
    EXPECT_EQ(rig.prog.ReadBlock('E', 3, 4, payload), TReplyResult::rrTimeout);
    EXPECT_LE(rig.clock.NowMs() - before, 4 * 25 + 2);
    EXPECT_EQ(payload, "");
    before = rig.clock.NowMs();
    EXPECT_EQ(rig.prog.WriteBlock('B', 3, "3FFF", 4), TReplyResult::rrUnknown);
    EXPECT_LE(rig.clock.NowMs() - before, 4 * 10 + 2);

    // Nothing at all after the noise: still a timeout at the deadline.
    rig.line.Flood('x', 0);
    before = rig.clock.NowMs();
    EXPECT_EQ(rig.prog.WaitAck(100), TReplyResult::rrTimeout);
    EXPECT_LE(rig.clock.NowMs() - before, 100 + 2);
}

TEST_F(DriverLink, FirmwareVersionParsing) {
    const auto version = [this](std::string answer) {
        rig.line.Answer(std::move(answer));
        return rig.prog.GetFirmwareVersion();
    };
    EXPECT_EQ(version("\x06V102\r"), 102);
    EXPECT_EQ(rig.line.written.back(), Bytes({0x01, 0x56, 0x35, 0x37, 0x0D}));
    EXPECT_EQ(version("xx039"), -2);
    EXPECT_EQ(version("x"), -1);
    EXPECT_EQ(version(""), -1);
    EXPECT_EQ(version("xxABC"), 0);
    EXPECT_EQ(version("xx10"), 0);
}

TEST_F(DriverLink, BusyDriverRefusesSecondOperations) {
    // A pump that runs during a transfer tries what a user or the poll timer could.
    int versionDuringTransfer = 99;
    std::string readDuringTransfer = "untouched";
    rig.pump.during = [&] {
        const std::size_t frames = rig.line.written.size();
        versionDuringTransfer = rig.prog.GetFirmwareVersion();
        readDuringTransfer = rig.prog.ReadConfigArea(3);
        rig.prog.Poll();
        EXPECT_EQ(rig.line.written.size(), frames);
    };
    rig.line.responder = [](const std::string&) { return kAckEot; };
    EXPECT_TRUE(rig.prog.WriteConfigArea(std::string(32, '3'), 3));
    EXPECT_EQ(versionDuringTransfer, 0);
    EXPECT_EQ(readDuringTransfer, "");
    EXPECT_FALSE(rig.prog.Busy());
}

TEST_F(DriverLink, APollReleasesTheBusyFlagWhateverHappens) {
    // A state handler that throws (the window's failed to show the state).
    rig.prog.OnStateChange = [](TPCardState, TPPicProg&) { throw std::runtime_error("view"); };
    rig.line.Answer(kAckEot);
    EXPECT_THROW(rig.prog.Poll(), std::runtime_error);
    EXPECT_FALSE(rig.prog.Busy());
    rig.prog.OnStateChange = nullptr;
    const std::size_t frames = rig.line.written.size();
    rig.prog.Poll(); // the next tick polls again
    EXPECT_EQ(rig.line.written.size(), frames + 1);
}

TEST_F(DriverLink, ALockReleasesTheBusyFlagWhateverHappens) {
    // A lock whose check never succeeds, one that succeeds, and a line that
    // fails under the lock frame.
    const std::string id = "\x02"
                           "1E9301"
                           "45\r";
    rig.line.responder = [&](const std::string& frame) {
        if (frame[1] == 'D') {
            EXPECT_TRUE(rig.prog.Busy());
        }
        return frame[1] == 'G' ? id : kAckEot;
    };
    EXPECT_FALSE(rig.prog.LockCard(8, "000102"));
    EXPECT_FALSE(rig.prog.Busy());
    EXPECT_TRUE(rig.prog.LockCard(8, "1E9301"));
    EXPECT_FALSE(rig.prog.Busy());
    rig.line.responder = [](const std::string& frame) -> std::string {
        if (frame[1] == 'D') {
            throw std::runtime_error("line");
        }
        return kAckEot;
    };
    EXPECT_THROW(rig.prog.LockCard(8, "1E9301"), std::runtime_error);
    EXPECT_FALSE(rig.prog.Busy());
}

TEST_F(DriverLink, SelectModeRetriesUntilAcknowledged) {
    rig.line.Answer("");
    rig.line.Answer(Bytes({0x16}));
    rig.line.Answer(kAckEot);
    rig.prog.SelectMode(3, 2);
    ASSERT_EQ(rig.line.written.size(), 3u);
    EXPECT_EQ(rig.line.written[2], Bytes({0x01, 0x41, 0x32, 0x33, 0x41, 0x37, 0x0D}));

    rig.line.written.clear();
    rig.line.responder = [](const std::string&) { return Bytes({0x16}); };
    rig.prog.SelectMode(7, 0); // no such mode: "0"
    EXPECT_EQ(rig.line.written.size(), 7u);
    EXPECT_EQ(rig.line.written[0], Bytes({0x01, 0x41, 0x30, 0x30, 0x41, 0x32, 0x0D}));
}

// Fault: to a silent programmer every mode select went seven times, every
// erase six. After a time-out a poll asks first; silence is Not Connected at
// once. A release under a stop goes once, refused or not.
TEST(DriverRetries, AFrameGoesAgainOnlyWhileTheProgrammerAnswers) {
    // Each then a release: to a programmer found silent, once, and no poll.
    const std::pair<char, std::string> cases[] = {
        {'A', "APA"}, {'H', "HPA"}, {'D', "APDAA"}, {'0', "A"}};
    for (const auto& [action, letters] : cases) {
        TDriverRig rig;
        rig.ConnectLogged();
        rig.line.Answer(kAckEot);
        rig.prog.Poll();
        rig.line.written.clear();
        if (action == 'H') {
            rig.prog.EraseChip(3);
        } else if (action == 'D') {
            rig.prog.LockCard(8, "000102");
        } else if (action == '0') {
            rig.line.responder = [](const std::string&) { return Bytes({0x16}); };
            rig.prog.RequestAbort();
        } else {
            rig.prog.SelectMode(3, 3);
        }
        rig.prog.SelectMode(0, 3);
        std::string sent;
        for (const std::string& frame : rig.line.written) {
            sent += frame[1];
        }
        EXPECT_EQ(sent, letters);
        EXPECT_EQ(rig.prog.LastState() == TPCardState::csNotConnected, action != '0');
    }
}

TEST_F(DriverLink, ReadBlockJudgesFramedReplies) {
    std::string payload;
    rig.line.Answer("\x02"
                    "12"
                    "65\r");
    EXPECT_EQ(rig.prog.ReadBlock('F', 3, 1, payload), TReplyResult::rrSuccess);
    EXPECT_EQ(payload, "12");
    EXPECT_EQ(rig.line.written.back(), "\x01"
                                       "F3"
                                       "0001" +
                                           std::string("3B\r"));
    EXPECT_EQ(rig.LastLog(), "Received ->12");

    // Control bytes inside the reply are ignored.
    rig.line.Answer("\x06\x02"
                    "1\x10"
                    "2"
                    "\x04"
                    "65\r");
    EXPECT_EQ(rig.prog.ReadBlock('F', 3, 1, payload), TReplyResult::rrSuccess);
    EXPECT_EQ(payload, "12");

    rig.line.Answer("\x02"
                    "12"
                    "66\r");
    EXPECT_EQ(rig.prog.ReadBlock('F', 3, 1, payload), TReplyResult::rrUnknown);
    EXPECT_EQ(payload, "");

    // A reply that ends before twice the count of bytes has come is too short.
    rig.line.Answer("\x02"
                    "12"
                    "65\r");
    EXPECT_EQ(rig.prog.ReadBlock('F', 3, 4, payload), TReplyResult::rrDle);

    // A refusal stands in place of a reply; a 0x16 amid one is noise.
    rig.line.Answer(Bytes({0x16}));
    EXPECT_EQ(rig.prog.ReadBlock('F', 3, 1, payload), TReplyResult::rrNegative);
    rig.line.Answer("\x02"
                    "1\x16");
    EXPECT_EQ(rig.prog.ReadBlock('F', 3, 1, payload), TReplyResult::rrUnknown);

    const auto before = rig.clock.NowMs();
    EXPECT_EQ(rig.prog.ReadBlock('E', 3, 3, payload), TReplyResult::rrTimeout);
    EXPECT_EQ(rig.line.written.back().substr(3, 4), "0003");
    EXPECT_GE(rig.clock.NowMs() - before, 75);
    EXPECT_LE(rig.clock.NowMs() - before, 77);
}

// Fault: a NUL before a reply (the checksum still holds) made its leading
// byte data; a leading byte other than 0x02 behind noise failed the block.
// Before the leading byte nothing is data; inside the reply a stray spoils it.
TEST_F(DriverLink, AStrayByteBeforeAnAnswerIsNeverData) {
    const std::string nul(1, '\0');
    const std::string stx(1, '\x02');
    const std::pair<std::string, std::string> replies[] = {
        {nul + "R27BB\r", "27"}, // 'R' + '2' + '7' = 0xBB
        {nul + stx + "1265\r", "12"},
        {"\x55\xAAR12B5\r", "12"},
        {stx + "1" + nul + "265\r", ""},
        {"R2" + nul + "7BB\r", ""}};
    for (const auto& [reply, data] : replies) {
        rig.line.Answer(reply);
        std::string payload;
        EXPECT_EQ(rig.prog.ReadBlock('F', 3, 1, payload) == TReplyResult::rrSuccess, !data.empty());
        EXPECT_EQ(payload, data);
    }
    rig.line.Answer(nul + "V1105\r");
    EXPECT_EQ(rig.prog.GetFirmwareVersion(), 0);
}

TEST_F(DriverLink, ReadBlockAssemblesAReplyArrivingInPieces) {
    std::string reply = "\x02" + std::string(128, 'A');
    reply += "82\r"; // 0x02 + 128 x 0x41 = 0x2082
    rig.line.Answer(reply.substr(0, 50), 5);
    rig.line.ThenAnswer(reply.substr(50, 60), 20);
    rig.line.ThenAnswer(reply.substr(110), 39);
    std::string payload;
    EXPECT_EQ(rig.prog.ReadBlock('E', 3, 16, payload), TReplyResult::rrSuccess);
    EXPECT_EQ(payload, std::string(128, 'A'));
}

TEST_F(DriverLink, WriteBlockPacketsAndAnswers) {
    rig.line.Answer(kAckEot);
    EXPECT_EQ(rig.prog.WriteBlock('C', 0, "1234", 6), TReplyResult::rrSuccess);
    EXPECT_EQ(rig.line.written.back().substr(0, 9), "\x01"
                                                    "C0"
                                                    "1234FF");

    const std::size_t sent = rig.line.written.size();
    EXPECT_EQ(rig.prog.WriteBlock('C', 0, "1234567", 6), TReplyResult::rrDle);
    EXPECT_EQ(rig.line.written.size(), sent);

    rig.line.Answer(Bytes({0x16}));
    EXPECT_EQ(rig.prog.WriteBlock('B', 3, "3FFF", 4), TReplyResult::rrNegative);
    // Two bytes that are not ACK EOT are unknown, even when the first is 0x16.
    rig.line.Answer(Bytes({0x16, 0x04}));
    EXPECT_EQ(rig.prog.WriteBlock('B', 3, "3FFF", 4), TReplyResult::rrUnknown);
    rig.line.Answer(Bytes({0x06, 0x10}));
    EXPECT_EQ(rig.prog.WriteBlock('B', 3, "3FFF", 4), TReplyResult::rrDle);
    rig.line.Answer(Bytes({0x06, 0x04, 0x04}));
    EXPECT_EQ(rig.prog.WriteBlock('B', 3, "3FFF", 4), TReplyResult::rrUnknown);

    const auto before = rig.clock.NowMs();
    EXPECT_EQ(rig.prog.WriteBlock('B', 3, std::string(32, 'F'), 32), TReplyResult::rrTimeout);
    EXPECT_GE(rig.clock.NowMs() - before, 320);
    EXPECT_LE(rig.clock.NowMs() - before, 322);
}

TEST(DriverLinkManagement, ConnectAndDisconnectReportNotConnected) {
    TDriverRig rig;
    std::vector<TPCardState> events;
    rig.prog.OnStateChange = [&](TPCardState s, TPPicProg&) { events.push_back(s); };

    rig.prog.SelectMode(3, 3); // not connected: nothing goes out
    EXPECT_TRUE(rig.line.written.empty());

    rig.prog.SetComPort(3);
    EXPECT_TRUE(rig.prog.Connect());
    EXPECT_EQ(rig.prog.Port().PortName(), "COM3");
    EXPECT_EQ(rig.line.openedWith.dataBits, 8);
    EXPECT_EQ(rig.line.openedWith.parity, 0);
    EXPECT_EQ(rig.line.openedWith.stopBits, 0);
    EXPECT_EQ(rig.line.openedWith.baud, 115200); // the port's own rate, not ComSpeed
    EXPECT_EQ(events, std::vector<TPCardState>{TPCardState::csNotConnected});

    rig.line.Answer(kAckEot);
    rig.prog.Poll();
    EXPECT_TRUE(rig.prog.IsCardReady());
    EXPECT_TRUE(rig.prog.Disconnect());
    EXPECT_FALSE(rig.prog.Connected());
    EXPECT_EQ(rig.prog.LastState(), TPCardState::csNotConnected);
    EXPECT_EQ(events.size(), 3u);
}

TEST(DriverLinkManagement, PortAndSpeedChanges) {
    TDriverRig rig;
    rig.prog.SetComPort(1);
    rig.prog.Connect();
    rig.prog.SetComSpeed(TBaudRate::br19200);
    EXPECT_TRUE(rig.prog.Connected());
    EXPECT_EQ(rig.line.opens, 2);

    rig.prog.ApplyBaudRate(TBaudRate::br19200);
    EXPECT_EQ(rig.line.openedWith.baud, 19200);
    EXPECT_TRUE(rig.line.IsOpen());

    rig.prog.SetComPort(2); // a different port: the old one is let go
    EXPECT_FALSE(rig.prog.Connected());
    EXPECT_FALSE(rig.line.IsOpen());
}

TEST(DriverLinkManagement, UnopenablePortSaysWhy) {
    TDriverRig rig;
    rig.line.failOpen = true;
    rig.prog.SetLogMemo(&rig.memo);
    rig.prog.SetComPort(1);
    EXPECT_FALSE(rig.prog.Connect());
    EXPECT_FALSE(rig.prog.Connected());
    EXPECT_EQ(rig.prog.LastConnectError(), "No such serial device /dev/ttyS9");
    EXPECT_EQ(rig.LastLog(), "No such serial device /dev/ttyS9");
    rig.prog.Poll();
    EXPECT_EQ(rig.prog.GetFirmwareVersion(), 0);
    EXPECT_TRUE(rig.line.written.empty());
}

TEST(DriverLinkManagement, PollingFollowsThePollTime) {
    TDriverRig rig;
    rig.prog.SetComPort(1);
    rig.prog.Connect();
    rig.prog.SetPolling(true);
    EXPECT_EQ(rig.scheduler.IntervalMs(), 400);
    rig.prog.SetPollTime(0);
    rig.prog.SetPollTime(200);
    EXPECT_EQ(rig.scheduler.IntervalMs(), 200);
    rig.line.Answer(kAckEot);
    rig.scheduler.Tick();
    EXPECT_TRUE(rig.prog.IsCardReady());
    rig.prog.SetPolling(false);
    EXPECT_FALSE(rig.scheduler.Running());
}

TEST(DriverLinkManagement, ClosingReleasesTheProgrammer) {
    TFakeClock clock;
    TScriptedLine line{clock};
    line.responder = [](const std::string&) { return kAckEot; };
    {
        TPPicProg prog(LendLine(line), {&clock, nullptr, nullptr, nullptr});
        prog.SetComPort(1);
        prog.Connect();
    }
    ASSERT_EQ(line.written.size(), 1u);
    EXPECT_EQ(line.written[0], Bytes({0x01, 0x41, 0x30, 0x30, 0x41, 0x32, 0x0D}));
    EXPECT_FALSE(line.IsOpen());
}

} // namespace
} // namespace korvex
