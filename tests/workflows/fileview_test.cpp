#include "common/hexrecords.h"
#include "common/tempdir.h"
#include "images/hexdump.h"
#include "support/errors.h"
#include "workflows/filerows/fileview.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::HexData;
using testing::HexEnd;
using testing::HexRecord;
using testing::TempDir;
using testing::WriteText;

TEST(DumpLines, FormatAndLastLine) {
    std::string text(100, 'A');
    auto lines = DumpLines(text, 64, 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], " 0000 : " + std::string(64, 'A'));
    EXPECT_EQ(lines[1], " 0020 : " + std::string(36, 'A'));
    EXPECT_EQ(DumpLines("0102", 64, 0x12345)[0], " 12345 : 0102");
    EXPECT_TRUE(DumpLines("", 64, 0).empty());
}

TEST(FileView, PicProgramFileShowsProgramConfigurationAndEeprom) {
    TempDir dir;
    std::vector<std::uint8_t> program(4096);
    for (std::size_t i = 0; i < program.size(); i += 2) {
        program[i] = static_cast<std::uint8_t>(i / 2); // low byte first
        program[i + 1] = 0x28;
    }
    std::vector<std::uint8_t> config{0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00,
                                     0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xF1, 0x3F};
    std::vector<std::uint8_t> eeprom;
    for (int k = 0; k < 64; ++k) {
        eeprom.push_back(static_cast<std::uint8_t>(0xA0 + k % 16));
        eeprom.push_back(0x00);
    }
    WriteText(dir / "card.hex", HexRecord(0, 4, {0, 0}) + HexData(0, program) +
                                    HexData(0x4000, config) + HexData(0x4200, eeprom) + HexEnd());

    TPFileView view(dir / "card.hex", TViewKind::vkProgram, false);
    auto lines = view.MemoLines();
    ASSERT_EQ(lines.size(), 128u + 1u + 2u);
    EXPECT_EQ(lines[0].substr(0, 16), " 0000 : 28002801");
    EXPECT_EQ(lines[127].substr(0, 8), " 0FE0 : ");
    EXPECT_EQ(lines[128], " 4000 : 00010002000300043FFF3FFF3FFF3FF1");
    EXPECT_EQ(lines[129].substr(0, 16), " 4200 : A0A1A2A3");
    EXPECT_EQ(lines[129].size(), 8u + 64u);
    EXPECT_EQ(lines[130].substr(0, 8), " 4220 : ");
    EXPECT_EQ(view.Caption(), "HexView - " + (dir / "card.hex").string());
}

TEST(FileView, ExtensionsInAnyCaseAndBinaryFiles) {
    TempDir dir;
    WriteText(dir / "AVR.HEX", HexData(0, {0x0C, 0x94, 0x34, 0x00}) + HexEnd());
    auto avr = TPFileView(dir / "AVR.HEX", TViewKind::vkProgram, true).MemoLines();
    ASSERT_EQ(avr.size(), 1u);
    EXPECT_EQ(avr[0], " 0000 : 940C0034"); // words shown high byte first

    WriteText(dir / "ee.BIN", std::string("\x01\x02\xff", 3));
    auto ee = TPFileView(dir / "ee.BIN", TViewKind::vkEeprom, false).MemoLines();
    EXPECT_EQ(ee, (std::vector<std::string>{" 0000 : 0102FF"}));

    // An EEPROM file of any other name is read as Intel HEX.
    WriteText(dir / "ee.txt", HexData(0, {0x55}) + HexEnd());
    EXPECT_EQ(TPFileView(dir / "ee.txt", TViewKind::vkEeprom, false).MemoLines(),
              (std::vector<std::string>{" 0000 : 55"}));
}

TEST(FileView, ReadErrorsReachTheCaller) {
    TempDir dir;
    EXPECT_THROW(TPFileView(dir / "missing.hex", TViewKind::vkProgram, false), EInOutError);
    WriteText(dir / "bad.hex", HexData(0, {1, 2}) + ":0200000001G2FF\r\n" + HexEnd());
    try {
        TPFileView(dir / "bad.hex", TViewKind::vkProgram, false);
        FAIL() << "a malformed line was accepted";
    } catch (const EImageFileError& e) {
        EXPECT_NE(std::string(e.what()).find("bad.hex:2:"), std::string::npos) << e.what();
    }
    // An AVR program whose .eeprom section kept its link address.
    WriteText(dir / "avr.hex", HexData(0, {0xFF, 0xCF}) + HexRecord(0, 4, {0x00, 0x81}) +
                                   HexData(0, {0x12}) + HexEnd());
    try {
        TPFileView(dir / "avr.hex", TViewKind::vkProgram, true);
        FAIL() << "EEPROM data at 0x810000 was accepted";
    } catch (const EImageFileError& e) {
        EXPECT_NE(std::string(e.what()).find(".eeprom"), std::string::npos) << e.what();
    }
}

} // namespace korvex
