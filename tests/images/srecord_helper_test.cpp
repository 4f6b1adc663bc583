// The srec_cat helper on files whose contents are known from their sources:
// if it misplaced, dropped or invented bytes, these expectations could not hold.
#include "common/srecord.h"

#include "common/hexrecords.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using testing::HexOf;
using testing::SrecCompareHex;
using testing::SrecReadHex;
using testing::TSrecImage;

const std::string kFixtures = KORVEX_FIXTURES_DIR;
const std::string kSamples = KORVEX_SOURCE_DATA_DIR "/samples/";

// Each byte of `text` as the low byte of a word, as PIC data EEPROM is stored.
std::string AsWordLowBytes(const std::string& text) {
    std::string words;
    for (const char c : text) {
        words += HexOf(std::string(1, c)) + "00";
    }
    return words;
}

class SrecordHelper : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(testing::SrecCatPath(), "") << "srec_cat is not on PATH; install srecord";
    }
};

TEST_F(SrecordHelper, ReadsTheGpasmFileWithItsHoles) {
    const TSrecImage card = SrecReadHex(kFixtures + "/gpasm/card84.hex");
    ASSERT_TRUE(card.ok) << card.complaints;
    EXPECT_EQ(card.HexText(0x4200, 32), AsWordLowBytes(std::string("Hello, card 84!\0", 16)));
    EXPECT_EQ(card.Highest(), 0x421Fu);
    // goto start at word 0, then nothing until the interrupt vector at word 4.
    EXPECT_EQ(card.HexText(0, 10), "0528------------0900");
    EXPECT_EQ(card.HexText(0x400C, 4), "----F23F");

    const TSrecImage cropped = SrecReadHex(kFixtures + "/gpasm/card84.hex", 0x4000, 0x4200);
    ASSERT_TRUE(cropped.ok) << cropped.complaints;
    EXPECT_EQ(cropped.bytes.size(), 2u);
    EXPECT_EQ(cropped.Lowest(), 0x400Eu);
}

TEST_F(SrecordHelper, ReadsTheAvrFlashAndEepromFiles) {
    const TSrecImage flash = SrecReadHex(kFixtures + "/avr/blink_flash.hex");
    ASSERT_TRUE(flash.ok) << flash.complaints;
    EXPECT_EQ(flash.Lowest(), 0u);
    EXPECT_EQ(flash.Highest(), 0x81u);
    EXPECT_EQ(flash.bytes.size(), 0x82u) << "the program is one block without holes";
    EXPECT_EQ(flash.HexText(0, 2), "0CC0") << "rjmp over the interrupt vectors";

    const TSrecImage eeprom = SrecReadHex(kFixtures + "/avr/blink_eeprom.hex");
    ASSERT_TRUE(eeprom.ok) << eeprom.complaints;
    EXPECT_EQ(eeprom.HexText(0, 17), HexOf(std::string("AVR card 8515!\n\0", 16)) + "--");
}

TEST_F(SrecordHelper, ComparesContentNotRecordLayout) {
    // The same bytes in records of 32 bytes instead of 16 still compare equal;
    // one changed configuration byte does not.
    testing::TempDir dir;
    const std::string card = kFixtures + "/gpasm/card84.hex";
    const auto relaid = dir / "relaid.hex";
    const auto result =
        testing::RunProgram(testing::SrecCatPath(), {card, "-intel", "-o", relaid.string(),
                                                     "-intel", "-output_block_size", "32"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    ASSERT_NE(testing::ReadText(relaid), testing::ReadText(card));
    EXPECT_EQ(SrecCompareHex(relaid, card, 0, 0x4400), "");

    // The configuration words differ only in their low byte at 0x400E; the
    // range is half open.
    const std::string blink = kFixtures + "/gpasm/blink84.hex";
    EXPECT_EQ(SrecCompareHex(card, blink, 0x4000, 0x4010), "0x400E: F2 vs F1\n");
    EXPECT_EQ(SrecCompareHex(card, blink, 0x400E, 0x400F), "0x400E: F2 vs F1\n");
    EXPECT_EQ(SrecCompareHex(card, blink, 0x4000, 0x400E), "");
    EXPECT_NE(SrecCompareHex(card, kFixtures + "/avr/blink_flash.hex", 0, 0x100), "");
}

TEST_F(SrecordHelper, SaysWhyAFileCannotBeRead) {
    testing::TempDir dir;
    const TSrecImage missing = SrecReadHex(dir / "missing.hex");
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.complaints.find("missing.hex"), std::string::npos) << missing.complaints;

    testing::WriteText(dir / "bad.hex", ":10000000FFFF\n");
    const TSrecImage bad = SrecReadHex(dir / "bad.hex");
    EXPECT_FALSE(bad.ok);
    EXPECT_NE(bad.complaints, "");
    EXPECT_NE(SrecCompareHex(dir / "bad.hex", dir / "bad.hex", 0, 16), "");
}

TEST_F(SrecordHelper, SamplesHoldWhatTheirReadmeDescribes) {
    EXPECT_EQ(SrecCompareHex(kSamples + "sample84.hex", kFixtures + "/gpasm/card84.hex", 0, 0x4400),
              "");

    // The 24C16 image: a line of text, then from 0x40 each byte its own address.
    const TSrecImage sample = SrecReadHex(kSamples + "sample24c16.hex");
    ASSERT_TRUE(sample.ok) << sample.complaints;
    ASSERT_EQ(sample.bytes.size(), 256u);
    EXPECT_EQ(sample.Highest(), 0xFFu);
    EXPECT_EQ(sample.HexText(0, 64),
              HexOf("Sample 24C16 image. From 0x40 on every byte holds its address.\r\n"));
    std::string counting;
    for (int value = 0x40; value < 0x100; ++value) {
        counting += static_cast<char>(value);
    }
    EXPECT_EQ(sample.HexText(0x40, 0xC0), HexOf(counting));
}

} // namespace
} // namespace korvex
