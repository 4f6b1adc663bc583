// Saved memories are judged by srec_cat, an Intel HEX reader of its own.
#include "sim/simhexfiles.h"

#include "common/hexrecords.h"
#include "common/tempdir.h"
#include "sim/simtesting.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace korvex::sim {
namespace {

using testing::HexOf;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

const std::filesystem::path kData = KORVEX_SOURCE_DATA_DIR;

class SimHexFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_STRNE(KORVEX_SREC_CAT, "") << "srec_cat was not found; install srecord";
    }

    // The file's bytes from address 0 as srec_cat reads them, in hex.
    std::string Srec(const std::string& name) {
        const auto out = dir_ / "srec.bin";
        const std::string command = std::string("'") + KORVEX_SREC_CAT + "' '" +
                                    (dir_ / name).string() + "' -intel -o '" + out.string() +
                                    "' -binary 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << name;
        return HexOf(ReadText(out));
    }

    TempDir dir_;
};

TEST_F(SimHexFiles, PicFilesHoldWordsLowByteFirst) {
    TSimCard card(SimCardModelForParts(kData, "PIC 16F877", "24C64"));
    card.Write(TSimMemory::Program, 0, "2805123A");
    card.Write(TSimMemory::Program, 32764, "0ABC"); // the last word
    card.Write(TSimMemory::Data, 2, "5A");
    card.Write(TSimMemory::Config, 28, "3F7A");
    card.Write(TSimMemory::Eeprom, 16382, "C3");
    SaveSimCard(card, dir_.Path());

    const std::string program = Srec("program.hex");
    ASSERT_EQ(program.size(), 8192u * 4);
    EXPECT_EQ(program.substr(0, 12), "05283A12FF3F");
    EXPECT_EQ(program.substr(32764), "BC0A");
    EXPECT_EQ(Srec("config.hex"), testing::Repeat("FF3F", 6) + "A0097A3F");
    EXPECT_EQ(Srec("data.hex"), "FF5A" + testing::Repeat("FF", 254));
    const std::string eeprom = Srec("eeprom.hex");
    ASSERT_EQ(eeprom.size(), 8192u * 2);
    EXPECT_EQ(eeprom.substr(16380), "FFC3");
}

TEST_F(SimHexFiles, SaveAndLoadGiveTheSameCard) {
    for (const char* processor : {"PIC 16F628", "AT90S8515"}) {
        const TSimCardModel model = SimCardModelForParts(kData, processor, "24C02");
        TSimCard card(model);
        card.Load(TSimMemory::Program, "0123456789ABCDEF");
        card.Load(TSimMemory::Data, "A5");
        card.Load(TSimMemory::Eeprom, "77");
        card.Load(TSimMemory::Config, model.IsAvr() ? "1E9402AA" : "0000");
        SaveSimCard(card, dir_ / "saved");

        TSimCard loaded(model);
        for (TSimMemory memory :
             {TSimMemory::Program, TSimMemory::Data, TSimMemory::Config, TSimMemory::Eeprom}) {
            LoadSimMemory(loaded, memory, dir_ / "saved" / SimMemoryFileName(memory));
            EXPECT_EQ(loaded.Text(memory), card.Text(memory)) << processor;
        }
    }
}

TEST_F(SimHexFiles, AMemoryTheCardDoesNotHaveGetsNoFile) {
    // A folder that held a card with an EEPROM before.
    WriteText(dir_ / "eeprom.hex", ":0100000055AA\r\n:00000001FF\r\n");
    const TSimCard card(SimCardModelForParts(kData, "PIC 16F84", "None"));
    SaveSimCard(card, dir_.Path());
    EXPECT_FALSE(std::filesystem::exists(dir_ / "eeprom.hex"));
    for (const char* name : {"program.hex", "data.hex", "config.hex"}) {
        EXPECT_TRUE(std::filesystem::exists(dir_ / name)) << name;
    }

    // What an absent memory was once saved as, told apart from files with
    // data and from files that are not HEX at all.
    WriteText(dir_ / "empty.hex", ":00000001FF\r\n");
    WriteText(dir_ / "nothing.hex", "");
    WriteText(dir_ / "bad.hex", ":0200000001G2FF\r\n");
    EXPECT_TRUE(IsHexFileWithoutData(dir_ / "empty.hex"));
    EXPECT_TRUE(IsHexFileWithoutData(dir_ / "nothing.hex"));
    EXPECT_FALSE(IsHexFileWithoutData(dir_ / "program.hex"));
    EXPECT_FALSE(IsHexFileWithoutData(dir_ / "bad.hex"));
    EXPECT_FALSE(IsHexFileWithoutData(dir_ / "missing.hex"));
}

TEST_F(SimHexFiles, ProgramOfAMergedGpasmFileLeavesTheRestOut) {
    TSimCard card(SimCardModelForParts(kData, "PIC 16F84"));
    card.Write(TSimMemory::Program, 4, "0000");
    LoadSimMemory(card, TSimMemory::Program,
                  std::filesystem::path(KORVEX_FIXTURES_DIR) / "gpasm" / "blink84.hex");
    EXPECT_EQ(card.Read(TSimMemory::Program, 0, 8), "28053FFF") << "old contents gone";
    EXPECT_EQ(card.Read(TSimMemory::Program, 16, 8), "00091683");
    EXPECT_EQ(card.Read(TSimMemory::Program, 4 * 0x3FF, 4), "0000");
}

TEST_F(SimHexFiles, FilesThatDoNotFitOrDoNotExistAreRefused) {
    TSimCard card(simtest::SmallPicModel());
    WriteText(dir_ / "big.hex",
              testing::HexData(0, std::vector<std::uint8_t>(9, 0)) + testing::HexEnd());
    EXPECT_THROW(LoadSimMemory(card, TSimMemory::Program, dir_ / "big.hex"), EImageFileError);
    EXPECT_THROW(LoadSimMemory(card, TSimMemory::Data, dir_ / "none.hex"), EInOutError);
    EXPECT_EQ(card.Text(TSimMemory::Program), "3FFF3FFF3FFF3FFF") << "the card is untouched";
}

} // namespace
} // namespace korvex::sim
