#include "sim/simbackend.h"

#include "common/fakeclock.h"
#include "sim/simtesting.h"

#include <gtest/gtest.h>

namespace korvex::sim {
namespace {

using simtest::Frame;
using simtest::kAckEot;
using testing::TFakeClock;

std::string ReadAll(TSerialBackend& line) {
    char buffer[64];
    const std::size_t got = line.Read(buffer, sizeof buffer);
    return std::string(buffer, got);
}

class SimBackendTest : public ::testing::Test {
protected:
    TSimDevice device_{TSimCard(simtest::SmallPicModel())};
    TFakeClock clock_;
};

TEST_F(SimBackendTest, AnswersAreThereAtOnceWithoutWireTime) {
    auto line = MakeSimulatorBackend(device_, clock_);
    EXPECT_EQ(line->Write(Frame('P', '0', "")), 0u) << "closed";
    EXPECT_TRUE(device_.Frames().empty());
    TLineSettings settings;
    settings.baud = 19200;
    ASSERT_TRUE(line->Open(settings).ok);
    EXPECT_TRUE(line->IsOpen());
    EXPECT_EQ(line->Write(Frame('P', '0', "")), 6u);
    EXPECT_EQ(line->BytesWaiting(), 2);
    EXPECT_TRUE(line->WaitForInput(100));
    EXPECT_EQ(clock_.SleptMs(), 0);
    EXPECT_EQ(ReadAll(*line), kAckEot);
    EXPECT_FALSE(line->WaitForInput(100)) << "nothing more";
    EXPECT_EQ(clock_.SleptMs(), 100);

    // Purging drops what was not read yet; closing too.
    line->Write(Frame('P', '0', ""));
    line->PurgeOutput();
    EXPECT_EQ(line->BytesWaiting(), 2);
    line->PurgeInput();
    EXPECT_EQ(line->BytesWaiting(), 0);
    line->Write(Frame('P', '0', ""));
    line->Close();
    EXPECT_EQ(line->BytesWaiting(), 0);
}

TEST_F(SimBackendTest, OpenTellsTheDeviceTheHostsRate) {
    TSimBackend line(device_, clock_, false);
    TLineSettings settings;
    settings.baud = 115200;
    ASSERT_TRUE(line.Open(settings).ok);
    EXPECT_EQ(line.Settings().baud, 115200);
    line.Write(Frame('P', '0', ""));
    EXPECT_EQ(line.BytesWaiting(), 0) << "the device listens at 19200";
}

TEST_F(SimBackendTest, WireTimeDelaysEachAnswerByItsBytesAtTheHostsRate) {
    auto factory = SimulatorBackendFactory(device_, clock_, true);
    auto line = factory("COM3");
    TLineSettings settings;
    settings.baud = 19200;
    line->Open(settings);
    const std::int64_t start = clock_.NowMs();
    // 6 frame bytes + 2 answer bytes, 10 bits each at 19200 baud: 4.2 ms, so 5.
    line->Write(Frame('P', '0', ""));
    EXPECT_EQ(line->BytesWaiting(), 0);
    EXPECT_EQ(ReadAll(*line), "");
    EXPECT_FALSE(line->WaitForInput(3));
    EXPECT_EQ(clock_.NowMs(), start + 3);
    EXPECT_TRUE(line->WaitForInput(100));
    EXPECT_EQ(clock_.NowMs(), start + 5) << "woke when the answer was due, not at the timeout";
    EXPECT_EQ(ReadAll(*line), kAckEot);

    // A 16-unit read: 10 bytes out, 1 + 128 + 2 + 1 back: 142 bytes, 73.96 ms.
    device_.Receive(Frame('A', '3', "3"));
    const std::int64_t readStart = clock_.NowMs();
    line->Write(Frame('E', '3', "0010"));
    clock_.Advance(73);
    EXPECT_EQ(line->BytesWaiting(), 0);
    clock_.Advance(1);
    EXPECT_EQ(line->BytesWaiting(), 132);
    EXPECT_EQ(clock_.NowMs(), readStart + 74);
}

} // namespace
} // namespace korvex::sim
