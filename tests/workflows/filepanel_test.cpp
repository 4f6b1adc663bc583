#include "workflowrig.h"
#include "workflows/entries.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;

struct PanelRig : TWorkflowRig {
    explicit PanelRig(const std::string& cardType = kPicCard) : TWorkflowRig(cardType) { Start(); }
    bool Set(TFileRow row, const std::string& text) {
        return flows.SetFileField(row, text) == TIntentResult::irDone;
    }
    TRowStatus Loaded() { return {Text(entries::kFileFound), TStatusColour::scLime, true}; }
    TRowStatus NoFile() { return {Text(entries::kNoFile), TStatusColour::scRed, false}; }
    std::string ProgramImage() { return Bench().rows.Images().program.GetHexText(0, 4 * 8 - 1); }
};

TEST(FilePanel, ProgramRowShowsLoadedOnlyForAFileThatWasRead) {
    PanelRig rig;
    const auto row = TFileRow::frProgram;

    EXPECT_TRUE(rig.Set(row, (rig.dir / "files" / "none.hex").string()));
    EXPECT_EQ(rig.view.Row(row), rig.NoFile());

    EXPECT_TRUE(rig.Set(row, rig.File("prog.hex", PicHexFile(SomeWords(8, 1), {}, {}))));
    EXPECT_EQ(rig.view.Row(row), rig.Loaded());
    EXPECT_EQ(rig.ProgramImage(), WordsText(SomeWords(8, 1)));

    // The extension in capitals counts; the name itself is taken as typed.
    EXPECT_TRUE(rig.Set(row, rig.File("PROG2.HEX", PicHexFile(SomeWords(8, 2), {}, {}))));
    EXPECT_EQ(rig.view.Row(row), rig.Loaded());
    EXPECT_EQ(rig.ProgramImage(), WordsText(SomeWords(8, 2)));
    EXPECT_TRUE(rig.Set(row, (rig.dir / "files" / "prog2.hex").string()));
    EXPECT_EQ(rig.view.Row(row), rig.NoFile());

    // A .crd file is usable but holds no image: nothing of the file before
    // it stays to stand in for it.
    EXPECT_TRUE(rig.Set(row, rig.File("card.crd", "whatever")));
    EXPECT_EQ(rig.view.Row(row), rig.Loaded());
    EXPECT_EQ(rig.ProgramImage(), "");
    EXPECT_TRUE(rig.prompts.messages.empty());

    EXPECT_FALSE(rig.Set(row, rig.File("bad.hex", ":0G000000FF\r\n")));
    EXPECT_EQ(rig.view.Row(row), rig.NoFile());
    ASSERT_EQ(rig.prompts.messages.size(), 1u);
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    EXPECT_EQ(rig.prompts.messages[0].entry, -1);
}

TEST(FilePanel, FilesBeyondTheirMemoryAreRefusedNamingTheAddress) {
    PanelRig rig;
    // PIC 16F84: 1024 words are bytes 0 to 0x7FF; configuration and data
    // EEPROM records lie above 0x4000 and are no program data.
    EXPECT_TRUE(rig.Set(TFileRow::frProgram,
                        rig.File("fits.hex", PicHexFile(SomeWords(1024), SomeBytes(64), 0x3FF2))));
    EXPECT_EQ(rig.view.Row(TFileRow::frProgram), rig.Loaded());

    EXPECT_FALSE(rig.Set(TFileRow::frProgram,
                         rig.File("big.hex", HexData(0x07FE, {1, 2, 3, 4}) + HexEnd())));
    EXPECT_EQ(rig.view.Row(TFileRow::frProgram), rig.NoFile());
    ASSERT_EQ(rig.prompts.messages.size(), 1u);
    EXPECT_NE(rig.prompts.messages[0].text.find("0x0801"), std::string::npos)
        << rig.prompts.messages[0].text;

    // 24C16: 2048 bytes.
    rig.prompts.Clear();
    EXPECT_TRUE(
        rig.Set(TFileRow::frEeprom, rig.File("ee.hex", HexData(0x07F0, SomeBytes(16)) + HexEnd())));
    EXPECT_EQ(rig.view.Row(TFileRow::frEeprom), rig.Loaded());
    EXPECT_FALSE(rig.Set(TFileRow::frEeprom,
                         rig.File("bigee.hex", HexData(0x07F0, SomeBytes(17)) + HexEnd())));
    EXPECT_EQ(rig.view.Row(TFileRow::frEeprom), rig.NoFile());
    ASSERT_EQ(rig.prompts.messages.size(), 1u);
    EXPECT_NE(rig.prompts.messages[0].text.find("0x0800"), std::string::npos)
        << rig.prompts.messages[0].text;
}

TEST(FilePanel, AvrProgramFilesMayCarryTheirOtherSections) {
    PanelRig rig(kAvrCard); // 8192 program bytes
    const std::string eepromSection =
        HexRecord(0, 0x04, {0x00, 0x81}) + HexRecord(0, 0, {1, 2, 3, 4});
    EXPECT_TRUE(rig.Set(TFileRow::frProgram,
                        rig.File("elf.hex", HexData(0, SomeBytes(64)) + eepromSection + HexEnd())));
    EXPECT_EQ(rig.view.Row(TFileRow::frProgram), rig.Loaded());
    EXPECT_TRUE(rig.prompts.messages.empty());

    EXPECT_FALSE(rig.Set(TFileRow::frProgram,
                         rig.File("big.hex", HexData(0x2000, SomeBytes(2)) + HexEnd())));
    EXPECT_EQ(rig.view.Row(TFileRow::frProgram), rig.NoFile());
    ASSERT_EQ(rig.prompts.messages.size(), 1u);
    EXPECT_NE(rig.prompts.messages[0].text.find("0x2001"), std::string::npos);
}

TEST(FilePanel, InternalEepromRowReadsOnlyForAvrCards) {
    PanelRig pic;
    pic.Set(TFileRow::frProgram, pic.File("prog.hex", PicHexFile(SomeWords(4), {0x11, 0x22}, {})));
    EXPECT_TRUE(pic.Set(TFileRow::frIntEeprom, pic.File("int.hex", HexData(0, {0x99}) + HexEnd())));
    EXPECT_EQ(pic.view.Row(TFileRow::frIntEeprom).text, "") << "a PIC's comes with its program";
    EXPECT_EQ(pic.Bench().rows.Images().intEeprom.GetLowByteText(0, 7), "1122");

    PanelRig avr(kAvrCard); // 512 bytes
    EXPECT_TRUE(avr.Set(TFileRow::frIntEeprom, avr.File("int.hex", HexData(0, {0x99}) + HexEnd())));
    EXPECT_EQ(avr.Bench().rows.Images().intEeprom.GetHexText(0, -1), "99");
    EXPECT_FALSE(
        avr.Set(TFileRow::frIntEeprom, avr.File("big.hex", HexData(0x200, {0x99}) + HexEnd())));
    EXPECT_EQ(avr.view.Row(TFileRow::frIntEeprom), avr.NoFile());
}

TEST(FilePanel, LoaderRowFindsTheDefaultLoader) {
    PanelRig rig;
    const auto row = TFileRow::frLoader;
    const TRowStatus defaultState{"Default", TStatusColour::scLime, true};
    const TRowStatus missing{"Missing", TStatusColour::scRed, false};

    EXPECT_TRUE(rig.Set(row, "DEFAULT"));
    EXPECT_EQ(rig.view.Row(row), defaultState);
    // loader84.hex: goto 0 (0x2800), configuration word 0x3FF1.
    EXPECT_EQ(rig.Bench().rows.Images().loader.GetHexText(0, -1), "2800");
    EXPECT_EQ(rig.Bench().rows.Images().loaderConfig.GetHexText(0, -1), Repeat("3FFF", 7) + "3FF1");

    EXPECT_TRUE(rig.Set(row, "abc"));
    EXPECT_EQ(rig.view.Row(row), rig.NoFile());
    EXPECT_TRUE(rig.Set(row, ""));
    EXPECT_EQ(rig.view.Row(row), defaultState);

    EXPECT_TRUE(rig.Set(row, rig.File("mine.hex", HexRecord(0, 0, {0x05, 0x28}) + HexEnd())));
    EXPECT_EQ(rig.view.Row(row), rig.Loaded());
    EXPECT_EQ(rig.Bench().rows.Images().loader.GetHexText(0, -1), "2805");

    std::filesystem::remove(rig.folder / "defaults" / "loader84.hex");
    EXPECT_TRUE(rig.Set(row, "Default"));
    EXPECT_EQ(rig.view.Row(row), missing);
    EXPECT_TRUE(rig.Set(row, ""));
    EXPECT_EQ(rig.view.Row(row), missing);
}

} // namespace
} // namespace korvex
