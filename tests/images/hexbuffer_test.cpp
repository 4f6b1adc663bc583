#include "images/hexbuffer.h"
#include "support/errors.h"

#include "common/hexrecords.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using testing::Record;
using testing::Repeat;
using testing::TempDir;
using testing::WriteText;

const std::string kEnd = ":00000001FF\n";

TEST(HexBuffer, BeforeAnyClearOrLoadThereIsNoTextAndNeverANonHexCharacter) {
    THexFileBuffer buffer(16);
    EXPECT_EQ(buffer.Capacity(), 16u);
    EXPECT_EQ(buffer.GetHexText(0, 15), "");
    EXPECT_EQ(buffer.HighestWritten(), 0);
    // A binary load never clears; what it does not reach must still be hex.
    buffer.LoadBinaryContent(std::string("\x12\xab", 2), "a.bin", 0, -1);
    EXPECT_EQ(buffer.GetHexText(0, 15), "12AB" + Repeat("F", 12));
}

TEST(HexBuffer, ClearLaysThePatternAndFillsAShortRemainderWithF) {
    THexFileBuffer buffer(10);
    buffer.SetFillPattern("FF3F");
    EXPECT_EQ(buffer.GetHexText(0, 9), "") << "a new pattern is not laid before Clear";
    buffer.Clear();
    EXPECT_EQ(buffer.GetHexText(0, 9), "FF3FFF3FFF");
    EXPECT_EQ(buffer.GetHexText(0, -1), "") << "highest written is 0 after Clear";

    buffer.SetFillPattern("ab12");
    buffer.Clear();
    EXPECT_EQ(buffer.GetHexText(0, 9), "AB12AB12FF");

    EXPECT_THROW(buffer.SetFillPattern("FFF"), std::invalid_argument);
    EXPECT_THROW(buffer.SetFillPattern("FFXF"), std::invalid_argument);
}

TEST(HexBuffer, SwapWordBytesSwapsEveryWholeGroupOfTheCapacity) {
    THexFileBuffer buffer(10);
    buffer.LoadBinaryContent(std::string("\x05\x00\xff\x3f\x12", 5), "a.bin", 0, -1);
    buffer.SwapWordBytes();
    EXPECT_EQ(buffer.GetHexText(0, 9), "00053FFF12");

    THexFileBuffer tiny(3);
    tiny.Clear();
    tiny.SwapWordBytes();
    EXPECT_EQ(tiny.GetHexText(0, 2), "FFF");
}

TEST(HexBuffer, RangesFollowTheHighestWrittenPositionAndTheFill) {
    THexFileBuffer buffer(16);
    buffer.SetFillPattern("FF3F");
    buffer.LoadHexContent(Record("020000000528") + "\n" + kEnd, "a.hex", 0, -1);
    EXPECT_EQ(buffer.HighestWritten(), 3);
    EXPECT_EQ(buffer.GetHexText(0, -1), "0528");
    EXPECT_EQ(buffer.GetHexText(5, 5), "");
    EXPECT_EQ(buffer.GetHexText(6, 5), "");
    EXPECT_EQ(buffer.GetHexText(2, 3), "28");
    EXPECT_EQ(buffer.GetHexText(0, 7), "0528FF3F") << "an explicit end reads the fill";
    EXPECT_EQ(buffer.GetHexText(12, 40), "FF3F") << "clipped at the capacity";
}

TEST(HexBuffer, LowByteTextKeepsTheSecondByteOfEveryWord) {
    THexFileBuffer buffer(16);
    buffer.LoadBinaryContent(std::string("\x00\xab\x00\xcd\x00\x12", 6), "a.bin", 0, -1);
    EXPECT_EQ(buffer.GetLowByteText(0, -1), "ABCD12");
    EXPECT_EQ(buffer.GetLowByteText(0, 6), "ABC") << "a group of three gives its third";
    EXPECT_EQ(buffer.GetLowByteText(0, 5), "AB") << "a group of two gives nothing";
    EXPECT_EQ(buffer.GetLowByteText(4, 11), "CD12");
}

TEST(HexBuffer, SwappedLoadsOfAPicFile) {
    TempDir dir;
    const auto file = dir / "prog.hex";

    THexFileBuffer program(64);
    program.SetFillPattern("FF3F");
    WriteText(file, Record("020000000528") + "\n" + kEnd);
    EXPECT_TRUE(program.LoadHexSwapped(file, 0, 2 * 16 - 1));
    EXPECT_EQ(program.GetHexText(0, 7), "28053FFF");

    // Two EEPROM words: each data byte followed by 00.
    THexFileBuffer eeprom(64);
    eeprom.SetFillPattern("FF3F");
    WriteText(file, Record("020000000528") + "\n" + Record("04420000AB00CD00") + "\n" + kEnd);
    eeprom.LoadHexSwapped(file, 0x4200, -1);
    EXPECT_EQ(eeprom.GetLowByteText(0, -1), "ABCD");

    // No data EEPROM records at all: the write text is all blank bytes.
    WriteText(file, Record("020000000528") + "\n" + kEnd);
    eeprom.LoadHexSwapped(file, 0x4200, -1);
    EXPECT_EQ(eeprom.GetLowByteText(0, 4 * 8), Repeat("FF", 8));
}

TEST(BinaryLoad, TakesTheBytesBetweenTheOffsetsFromPositionZero) {
    TempDir dir;
    const auto file = dir / "data.bin";
    WriteText(file, "0123456789");

    THexFileBuffer buffer(64);
    EXPECT_TRUE(buffer.LoadBinary(file, 0, -1));
    EXPECT_EQ(buffer.GetHexText(0, -1), "30313233343536373839");
    EXPECT_EQ(buffer.HighestWritten(), 19);

    buffer.LoadBinary(file, 2, 4);
    EXPECT_EQ(buffer.GetHexText(0, -1), "323334");
    EXPECT_EQ(buffer.GetHexText(0, 9), "3233343334") << "the longer load's tail stays";

    buffer.LoadBinary(file, 8, 1000);
    EXPECT_EQ(buffer.GetHexText(0, -1), "3839");
}

TEST(BinaryLoad, AShortFileKeepsTheTailOfALongerHexImage) {
    THexFileBuffer buffer(32);
    buffer.LoadHexContent(Record("080000001122334455667788") + "\n" + kEnd, "a.hex", 0, -1);
    buffer.LoadBinaryContent(std::string("\xaa\xbb\xcc\xdd", 4), "b.bin", 0, -1);
    EXPECT_EQ(buffer.GetHexText(0, 15), "AABBCCDD55667788");
    EXPECT_EQ(buffer.HighestWritten(), 7);
}

TEST(BinaryLoad, AnEmptyRangeLeavesNoText) {
    THexFileBuffer buffer(16);
    buffer.LoadBinaryContent("", "empty.bin", 0, -1);
    EXPECT_EQ(buffer.HighestWritten(), 0);
    EXPECT_EQ(buffer.GetHexText(0, -1), "");
    buffer.LoadBinaryContent("abc", "a.bin", 5, -1);
    EXPECT_EQ(buffer.GetHexText(0, -1), "");
    buffer.LoadBinaryContent("abc", "a.bin", 2, 1);
    EXPECT_EQ(buffer.HighestWritten(), 0);
}

TEST(BinaryLoad, AFileTooBigForTheImageIsRefusedWhole) {
    TempDir dir;
    const auto file = dir / "big.bin";
    WriteText(file, std::string(9, 'x'));
    THexFileBuffer buffer(16);
    buffer.Clear();
    try {
        buffer.LoadBinary(file, 0, -1);
        FAIL() << "no error";
    } catch (const EImageFileError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(file.string()), std::string::npos) << message;
        EXPECT_NE(message.find("9 bytes"), std::string::npos) << message;
        EXPECT_NE(message.find("8 bytes"), std::string::npos) << message;
    }
    EXPECT_EQ(buffer.GetHexText(0, 15), Repeat("F", 16));
    EXPECT_NO_THROW(buffer.LoadBinary(file, 1, -1)) << "eight of them fit";
}

TEST(BinaryLoad, ExternalEepromWriteTextHasTheCardSizeEitherWay) {
    const std::size_t cardBytes = 8;
    THexFileBuffer buffer(64);
    buffer.Clear();
    buffer.LoadBinaryContent("abc", "short.bin", 0, -1);
    EXPECT_EQ(buffer.GetHexText(0, 2 * cardBytes - 1).size(), 2 * cardBytes);
    buffer.LoadBinaryContent(std::string(20, 'x'), "long.bin", 0, -1);
    EXPECT_EQ(buffer.GetHexText(0, 2 * cardBytes - 1).size(), 2 * cardBytes);
}

TEST(BinaryLoad, AMissingFileIsAnInOutError) {
    TempDir dir;
    THexFileBuffer buffer(16);
    try {
        buffer.LoadBinary(dir / "none.bin", 0, -1);
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), "no such file");
        EXPECT_EQ(error.Path(), (dir / "none.bin").string());
    }
}

} // namespace
} // namespace korvex
