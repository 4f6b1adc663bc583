// PIC files assembled by gpasm, loaded the way a program file is split into
// the three images of a card. The expected words were read off srec_cat's hex
// dump and gpdasm's listing of the same files (see tests/fixtures/gpasm/README).
#include "images/hexbuffer.h"

#include "common/hexrecords.h"

#include <gtest/gtest.h>

#include <map>

namespace korvex {
namespace {

using testing::Repeat;

const std::string kFolder = KORVEX_FIXTURES_DIR "/gpasm/";

struct TPicImages {
    THexFileBuffer eeprom{131072};
    THexFileBuffer config{65536};
    THexFileBuffer program{524288};

    TPicImages(const std::string& file, int programWords) {
        for (THexFileBuffer* buffer : {&eeprom, &config, &program}) {
            buffer->SetFillPattern("FF3F");
        }
        eeprom.LoadHexSwapped(file, 0x4200, -1);
        config.LoadHexSwapped(file, 0x4000, 0x4010);
        program.LoadHexSwapped(file, 0, 2 * programWords - 1);
    }
};

std::string ProgramText(int words, const std::map<int, std::string>& programmed) {
    std::string text = Repeat("3FFF", static_cast<std::size_t>(words));
    for (const auto& [address, word] : programmed) {
        text.replace(4 * static_cast<std::size_t>(address), 4, word);
    }
    return text;
}

TEST(GpasmFiles, A16F84ProgramSplitsIntoProgramConfigurationAndEeprom) {
    TPicImages images(kFolder + "blink84.hex", 1024);
    EXPECT_EQ(images.program.GetHexText(0, 4 * 1024 - 1), ProgramText(1024, {{0x000, "2805"},
                                                                             {0x004, "0009"},
                                                                             {0x005, "1683"},
                                                                             {0x006, "0186"},
                                                                             {0x007, "1283"},
                                                                             {0x008, "3055"},
                                                                             {0x009, "0086"},
                                                                             {0x00A, "0986"},
                                                                             {0x00B, "2808"},
                                                                             {0x3FF, "0000"}}));
    EXPECT_EQ(images.program.HighestWritten(), 4 * 1024 - 1);
    EXPECT_EQ(images.config.GetHexText(0, -1), Repeat("3FFF", 7) + "3FF1");
    EXPECT_EQ(images.eeprom.GetLowByteText(0, 4 * 64), "1234ABCD486900FF" + Repeat("FF", 56));
    EXPECT_EQ(images.eeprom.GetLowByteText(0, -1), "1234ABCD486900FF");
}

TEST(GpasmFiles, WordsInUpperPagesLandInPlaceOrAreLeftOutByTheLimit) {
    TPicImages big(kFolder + "far876.hex", 8192);
    EXPECT_EQ(big.program.GetHexText(0, 4 * 8192 - 1), ProgramText(8192, {{0x0000, "158A"},
                                                                          {0x0001, "120A"},
                                                                          {0x0002, "2800"},
                                                                          {0x0800, "30A5"},
                                                                          {0x0801, "0008"},
                                                                          {0x1FFF, "0063"}}));
    EXPECT_EQ(big.config.GetHexText(28, 31), "3F7A");
    EXPECT_EQ(big.eeprom.GetLowByteText(0, -1), "0102");

    // The same file for a 1K processor: the upper words are not its own.
    TPicImages small(kFolder + "far876.hex", 1024);
    EXPECT_EQ(small.program.GetHexText(0, 4 * 1024 - 1),
              ProgramText(1024, {{0x0000, "158A"}, {0x0001, "120A"}, {0x0002, "2800"}}));
    EXPECT_EQ(small.program.HighestWritten(), 11);
}

} // namespace
} // namespace korvex
