// The program's own reader on files made by gpasm, avr-gcc and srec_cat,
// judged against srec_cat's reading of the same files and against the values
// the sources ask for.
#include "images/hexbuffer.h"
#include "images/picmap.h"

#include "common/hexrecords.h"
#include "common/srecord.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace korvex {
namespace {

using testing::Repeat;
using testing::SrecReadHex;
using testing::TSrecImage;

const std::string kFixtures = KORVEX_FIXTURES_DIR;
const std::string kSamples = KORVEX_SOURCE_DATA_DIR "/samples/";

// The p16f84.inc values the configuration line of card84.asm combines.
constexpr unsigned kCpOff = 0x3FFF;
constexpr unsigned kPwrteOn = 0x3FF7;
constexpr unsigned kWdtOff = 0x3FFB;
constexpr unsigned kHsOsc = 0x3FFE;

// srec_cat's bytes as the reader's word text: high byte first, blanks as given.
std::string WordText(const TSrecImage& image, std::uint32_t first, std::uint32_t words,
                     const std::string& blank) {
    std::string text;
    for (std::uint32_t word = 0; word < words; ++word) {
        const std::uint32_t low = first + 2 * word;
        if (!image.bytes.contains(low) && !image.bytes.contains(low + 1)) {
            text += blank;
        } else {
            text += image.HexText(low + 1, 1) + image.HexText(low, 1);
        }
    }
    return text;
}

std::string FileBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The AT90S8515-24C64 card type: 4096 flash words, 512 bytes of internal
// EEPROM, a 24C64 of 8192 bytes.
constexpr std::uint32_t kAt90s8515FlashBytes = 2 * 4096;
constexpr std::uint32_t kAt90s8515EepromBytes = 512;
constexpr std::uint32_t k24c64Bytes = 8192;

class ToolchainFixtures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(testing::SrecCatPath(), "") << "srec_cat is not on PATH; install srecord";
    }
};

TEST_F(ToolchainFixtures, GpasmCardSplitsIntoTheWordsItWasAssembledWith) {
    const std::string file = kFixtures + "/gpasm/card84.hex";
    const TSrecImage reference = SrecReadHex(file);
    ASSERT_TRUE(reference.ok) << reference.complaints;

    THexFileBuffer config(65536);
    config.SetFillPattern("FF3F");
    config.LoadHexSwapped(file, kPicConfigAddress, kPicConfigLimit);
    char word[5];
    std::snprintf(word, sizeof word, "%04X", kCpOff & kPwrteOn & kWdtOff & kHsOsc);
    EXPECT_STREQ(word, "3FF2");
    EXPECT_EQ(config.GetHexText(0, -1), Repeat("3FFF", 7) + word);

    THexFileBuffer program(4 * 1024);
    program.SetFillPattern("FF3F");
    program.LoadHexSwapped(file, 0, 2 * 1024 - 1);
    EXPECT_EQ(program.GetHexText(0, 4 * 1024 - 1), WordText(reference, 0, 1024, "3FFF"));
    EXPECT_EQ(program.HighestWritten(), 4 * 0x20 + 3) << "the last word is the return at 0x20";

    THexFileBuffer eeprom(4 * 64);
    eeprom.SetFillPattern("FF3F");
    eeprom.LoadHexSwapped(file, kPicEepromAddress, -1);
    EXPECT_EQ(eeprom.GetLowByteText(0, 4 * 64 - 1),
              testing::HexOf(std::string("Hello, card 84!\0", 16)) + Repeat("FF", 48));
}

TEST_F(ToolchainFixtures, AvrFlashAndEepromLoadFromAddressZero) {
    for (const char* name : {"blink_flash.hex", "blink_eeprom.hex"}) {
        const std::string file = kFixtures + "/avr/" + name;
        const TSrecImage reference = SrecReadHex(file);
        ASSERT_TRUE(reference.ok) << reference.complaints;
        ASSERT_EQ(reference.Lowest(), 0u) << name;
        const auto size = static_cast<std::uint32_t>(reference.bytes.size());
        ASSERT_EQ(reference.Highest() + 1, size) << name << " has holes";

        THexFileBuffer image(2 * 8192);
        image.LoadHex(file, 0, -1);
        EXPECT_EQ(image.GetHexText(0, -1), reference.HexText(0, size)) << name;
        EXPECT_EQ(image.HighestWritten(), 2 * size - 1) << name;
    }
}

TEST_F(ToolchainFixtures, The24C16SampleFitsItsEeprom) {
    const std::string file = kSamples + "sample24c16.hex";
    const TSrecImage reference = SrecReadHex(file);
    ASSERT_TRUE(reference.ok) << reference.complaints;

    THexFileBuffer image(2 * 2048);
    image.LoadHex(file, 0, -1);
    EXPECT_EQ(image.GetHexText(0, 2 * 2048 - 1),
              reference.HexText(0, 256) + Repeat("FF", 2048 - 256));
}

TEST_F(ToolchainFixtures, AvrSamplesAreTheFixturesAndFitTheAt90s8515) {
    struct Sample {
        const char* name;
        std::uint32_t memoryBytes;
    };
    for (const Sample sample : {Sample{"sampleavr_flash.hex", kAt90s8515FlashBytes},
                                Sample{"sampleavr_eeprom.hex", kAt90s8515EepromBytes}}) {
        const std::string file = kSamples + sample.name;
        EXPECT_EQ(FileBytes(file), FileBytes(kFixtures + "/avr/" + sample.name))
            << sample.name << " differs from the avr-gcc output its README names";
        const TSrecImage reference = SrecReadHex(file);
        ASSERT_TRUE(reference.ok) << reference.complaints;
        ASSERT_FALSE(reference.bytes.empty()) << sample.name;
        ASSERT_EQ(reference.Lowest(), 0u) << sample.name;
        const auto size = static_cast<std::uint32_t>(reference.bytes.size());
        ASSERT_EQ(reference.Highest() + 1, size) << sample.name << " has holes";
        EXPECT_LE(size, sample.memoryBytes) << sample.name << " does not fit";

        THexFileBuffer image(2 * sample.memoryBytes);
        image.LoadHex(file, 0, sample.memoryBytes - 1);
        EXPECT_EQ(image.GetHexText(0, 2 * sample.memoryBytes - 1),
                  reference.HexText(0, size) + Repeat("FF", sample.memoryBytes - size))
            << sample.name;
    }
    const TSrecImage eeprom = SrecReadHex(kSamples + "sampleavr_eeprom.hex");
    EXPECT_EQ(eeprom.HexText(0, 16), testing::HexOf(std::string("Korvex AVR card\0", 16)))
        << "the greeting sampleavr.c keeps first in the EEPROM";
}

TEST_F(ToolchainFixtures, The24C64SampleReachesTheLastPageOfItsEeprom) {
    const std::string file = kSamples + "sample24c64.hex";
    const TSrecImage reference = SrecReadHex(file);
    ASSERT_TRUE(reference.ok) << reference.complaints;
    EXPECT_EQ(reference.Highest(), k24c64Bytes - 1);

    THexFileBuffer image(2 * k24c64Bytes);
    image.LoadHex(file, 0, -1);
    std::string expected;
    for (std::uint32_t address = 0; address < k24c64Bytes; ++address) {
        const std::string byte = reference.HexText(address, 1);
        expected += byte == "--" ? "FF" : byte;
    }
    EXPECT_EQ(image.GetHexText(0, 2 * k24c64Bytes - 1), expected);
}

} // namespace
} // namespace korvex
