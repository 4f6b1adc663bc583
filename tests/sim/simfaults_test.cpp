#include "sim/simdevice.h"

#include "sim/simtesting.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvex::sim {
namespace {

using simtest::Frame;
using simtest::kAckEot;
using simtest::kDleByte;
using simtest::kNakByte;
using simtest::Reply;

TSimDevice NewDevice() {
    TSimDevice device{TSimCard(simtest::SmallPicModel())};
    device.Card().Load(TSimMemory::Data, "A1B2");
    return device;
}

bool IsControl(char c) {
    return std::string_view("\x01\x04\x06\x0D\x10\x16").find(c) != std::string_view::npos;
}

// What each of `frames` polls got: '.' ACK EOT, 's' nothing, 'x' anything else.
std::string Polls(TSimDevice& device, int frames) {
    std::string answers;
    for (int i = 0; i < frames; ++i) {
        const std::string answer = device.Receive(Frame('P', '0', ""));
        answers += answer == kAckEot ? '.' : (answer.empty() ? 's' : 'x');
    }
    return answers;
}

TEST(SimFaultText, ParsesKindsAndTriggers) {
    const TSimFault fault = ParseSimFault("Silent@B3");
    EXPECT_EQ(fault.kind, TSimFaultKind::Silent);
    EXPECT_EQ(fault.command, 'B');
    EXPECT_EQ(fault.nth, 3);
    EXPECT_EQ(ParseSimFault("hangup@12").command, '\0');
    EXPECT_EQ(ParseSimFault("hangup@12").nth, 12);
    for (const char* kind : {"nack", "badsum", "noise", "short", "pull"}) {
        EXPECT_EQ(SimFaultName(ParseSimFault(std::string(kind) + "@1").kind), kind);
    }
    for (const char* bad :
         {"nack", "nack@0", "nack@B", "nack@b2", "nack@+2", "jam@3", "nack@3x", "nack@W2"}) {
        EXPECT_THROW(ParseSimFault(bad), ESimSetup) << bad;
    }
}

TEST(SimFaults, TriggerOnTheNthFrameOverallOrOfOneCommand) {
    TSimDevice device = NewDevice();
    device.AddFault(ParseSimFault("nack@2"));
    device.AddFault(ParseSimFault("silent@A2"));
    EXPECT_EQ(device.Receive(Frame('A', '3', "3")), kAckEot);
    EXPECT_EQ(device.Receive(Frame('P', '0', "")), kNakByte);
    EXPECT_EQ(device.Receive(Frame('P', '0', "")), kAckEot);
    EXPECT_EQ(device.Receive(Frame('A', '3', "3")), "") << "second 'A'";
    EXPECT_EQ(Polls(device, 3), "...") << "each fault strikes once";

    // A refused or lost frame has no effect.
    TSimDevice writes = NewDevice();
    writes.AddFault(ParseSimFault("nack@C1"));
    writes.AddFault(ParseSimFault("silent@C2"));
    writes.Receive(Frame('A', '3', "3"));
    EXPECT_EQ(writes.Receive(Frame('C', '0', "00")), kNakByte);
    EXPECT_EQ(writes.Receive(Frame('C', '0', "00")), "");
    EXPECT_EQ(writes.Card().Text(TSimMemory::Data), "A1B2");
    EXPECT_EQ(writes.Receive(Frame('C', '0', "00")), kAckEot);
    EXPECT_EQ(writes.Card().Text(TSimMemory::Data), "00B2");
}

TEST(SimFaults, SpoiledAnswers) {
    TSimDevice device = NewDevice();
    for (const char* fault : {"badsum@1", "noise@2", "short@3", "badsum@F1", "short@F2"}) {
        device.AddFault(ParseSimFault(fault));
    }
    const std::string unknown = device.Receive(Frame('A', '3', "3"));
    ASSERT_EQ(unknown.size(), 2u) << "two unknown bytes";
    EXPECT_FALSE(IsControl(unknown[0]) || IsControl(unknown[1]));
    const std::string noisy = device.Receive(Frame('P', '0', ""));
    ASSERT_GT(noisy.size(), 2u);
    EXPECT_TRUE(noisy.ends_with(kAckEot));
    for (char c : noisy.substr(0, noisy.size() - 2)) {
        EXPECT_FALSE(IsControl(c)) << "noise must not look like an answer: " << int(c);
    }
    EXPECT_EQ(device.Receive(Frame('P', '0', "")), "\x06");

    // The mode was selected and the reads were done: only the answers suffer.
    const std::string bad = device.Receive(Frame('F', '3', "0001"));
    EXPECT_EQ(bad.size(), Reply("A1").size());
    EXPECT_EQ(bad.substr(0, 3), std::string("\x02") + "A1");
    EXPECT_NE(bad, Reply("A1"));
    EXPECT_EQ(device.Receive(Frame('F', '3', "0002")), std::string("\x02") + "B2\r")
        << "half the payload";
    EXPECT_EQ(device.Receive(Frame('F', '3', "0001")), Reply("FF"));
}

TEST(SimFaults, PulledCardAndHungUpLine) {
    TSimDevice device = NewDevice();
    device.AddFault(ParseSimFault("pull@P2"));
    device.AddFault(ParseSimFault("hangup@5"));
    EXPECT_EQ(device.Receive(Frame('P', '0', "")), kAckEot);
    EXPECT_EQ(device.Receive(Frame('P', '0', "")), kDleByte);
    EXPECT_EQ(device.Receive(Frame('A', '3', "3")), kDleByte);
    device.SetPresent(true);
    EXPECT_EQ(device.Receive(Frame('P', '0', "")), kAckEot);
    EXPECT_FALSE(device.HungUp());
    EXPECT_EQ(device.Receive(Frame('P', '0', "") + Frame('V', '\0', "")), "");
    EXPECT_TRUE(device.HungUp());
    EXPECT_EQ(device.Receive(Frame('V', '\0', "")), "");
    EXPECT_EQ(device.Frames().size(), 5u) << "nothing is heard after the hangup";
}

TEST(SimFaults, RandomFaultsRepeatForTheSameSeed) {
    const auto run = [](double probability, std::uint32_t seed) {
        TSimDevice device = NewDevice();
        device.SetRandomFaults(probability, seed);
        return Polls(device, 200);
    };
    const std::string first = run(0.2, 42);
    EXPECT_EQ(run(0.2, 42), first);
    EXPECT_NE(run(0.2, 43), first);
    const auto struck = std::count_if(first.begin(), first.end(), [](char c) { return c != '.'; });
    EXPECT_GT(struck, 10);
    EXPECT_LT(struck, 80);
    EXPECT_EQ(run(0, 42), std::string(200, '.'));
    EXPECT_EQ(run(1, 42).find('.'), std::string::npos);
    EXPECT_THROW(run(1.5, 1), ESimSetup);

    // A listed fault does not shift the random ones that follow.
    TSimDevice listed = NewDevice();
    listed.SetRandomFaults(0.2, 42);
    listed.AddFault(ParseSimFault("silent@1"));
    EXPECT_EQ(Polls(listed, 200).substr(1), first.substr(1));
}

} // namespace
} // namespace korvex::sim
