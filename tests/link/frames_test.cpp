#include "link/frames.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string text;
    for (const int v : values) {
        text += static_cast<char>(v);
    }
    return text;
}

TEST(Frames, WorkedFramesAreExactOnTheWire) {
    EXPECT_EQ(FrameText(MakeFrame('P', '0', "")), Bytes({0x01, 0x50, 0x30, 0x38, 0x31, 0x0D}));
    EXPECT_EQ(FrameText(MakeFrame('V', 0, "")), Bytes({0x01, 0x56, 0x35, 0x37, 0x0D}));
    EXPECT_EQ(FrameText(MakeFrame('A', DeviceDigit(0), "0")),
              Bytes({0x01, 0x41, 0x30, 0x30, 0x41, 0x32, 0x0D}));
    EXPECT_EQ(FrameText(MakeFrame('A', DeviceDigit(2), "3")),
              Bytes({0x01, 0x41, 0x32, 0x33, 0x41, 0x37, 0x0D}));
    EXPECT_EQ(FrameText(MakeFrame('H', DeviceDigit(2), "")),
              Bytes({0x01, 0x48, 0x32, 0x37, 0x42, 0x0D}));
    EXPECT_EQ(FrameText(MakeFrame('E', DeviceDigit(2), CountText(16))),
              Bytes({0x01, 0x45, 0x32, 0x30, 0x30, 0x31, 0x30, 0x33, 0x39, 0x0D}));
    EXPECT_EQ(FrameText(MakeFrame('D', '8', "")), Bytes({0x01, 0x44, 0x38, 0x37, 0x44, 0x0D}));
}

TEST(Frames, ChecksumKeepsTheLastTwoDigitsOfLongSums) {
    // 0x01 + 'B' + '3' + 32 x 'F' = 0x936: only "36" goes out.
    TFrame frame = MakeFrame('B', '3', std::string(32, 'F'));
    EXPECT_EQ(std::string({frame.checksumHigh, frame.checksumLow}), "36");
    frame.data = "0";
    FrameChecksum(frame);
    EXPECT_EQ(std::string({frame.checksumHigh, frame.checksumLow}), "A6");
}

TEST(Frames, DeviceDigitIsTheFirstDecimalCharacter) {
    EXPECT_EQ(DeviceDigit(0), '0');
    EXPECT_EQ(DeviceDigit(9), '9');
    EXPECT_EQ(DeviceDigit(10), '1');
    EXPECT_EQ(DeviceDigit(19), '1');
    EXPECT_EQ(DeviceDigit(-1), '-');
}

TEST(Frames, CountIsFourUppercaseHexDigits) {
    EXPECT_EQ(CountText(3), "0003");
    EXPECT_EQ(CountText(16), "0010");
    EXPECT_EQ(CountText(255), "00FF");
}

TEST(Frames, ReplyChecksumJudgement) {
    // 0x02 + "12" = 0x02 + 0x31 + 0x32 = 0x65
    EXPECT_TRUE(ReplyChecksumOk(std::string("\x02") + "1265"));
    EXPECT_FALSE(ReplyChecksumOk(std::string("\x02") + "1266"));
    // Compared case-sensitively: the digits must be uppercase.
    EXPECT_TRUE(ReplyChecksumOk("\x02"
                                "z7C"));
    EXPECT_FALSE(ReplyChecksumOk("\x02"
                                 "z7c"));
    EXPECT_FALSE(ReplyChecksumOk(""));
    EXPECT_FALSE(ReplyChecksumOk("5"));
}

} // namespace
} // namespace korvex
