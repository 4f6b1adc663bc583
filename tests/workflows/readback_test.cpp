#include "common/tempdir.h"
#include "images/hexbuffer.h"
#include "support/errors.h"
#include "workflows/session/readback.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

namespace {

constexpr std::size_t kCapacity = 262144;

// A text of `bytes` bytes counting up from `first`, two hex digits each.
std::string Counting(int bytes, int first) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < bytes; ++i) {
        const int value = (first + i) & 0xFF;
        text += kDigits[value >> 4];
        text += kDigits[value & 0x0F];
    }
    return text;
}

// Answers the overwrite question and remembers who asked.
struct Answer {
    bool yes = false;
    std::vector<std::filesystem::path> asked;
    TPHexReader::OverwriteQuestion Ask() {
        return [this](const std::filesystem::path& file) {
            asked.push_back(file);
            return yes;
        };
    }
};

std::size_t FileCount(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

// The addresses of the data records of a HEX file's text.
std::vector<std::string> RecordAddresses(const std::string& file) {
    std::vector<std::string> addresses;
    for (std::size_t pos = 0; (pos = file.find(':', pos)) != std::string::npos; ++pos) {
        if (file.compare(pos + 7, 2, "00") == 0) {
            addresses.push_back(file.substr(pos + 3, 4));
        }
    }
    return addresses;
}

} // namespace

// The name as given, in its case (another case is another file here), ending
// in ".hex" in any case.
TEST(ReadBackSaveName, KeepsTheNameAndEndsItInHex) {
    EXPECT_EQ(TPReadBack::SaveName("dump"), "dump.hex");
    EXPECT_EQ(TPReadBack::SaveName("DUMP.HEX"), "DUMP.HEX");
    EXPECT_EQ(TPReadBack::SaveName("dump.hexx"), "dump.hexx.hex");
    EXPECT_EQ(TPReadBack::SaveName("Dump.Bin"), "Dump.Bin.hex");
    EXPECT_EQ(TPReadBack::SaveName("hex"), "hex.hex");
    EXPECT_EQ(TPReadBack::SaveName("a"), "a.hex");
    EXPECT_EQ(TPReadBack::SaveName(".HEX"), ".HEX");
    EXPECT_EQ(TPReadBack::SaveName("/home/Ann/Dumps/Card1"), "/home/Ann/Dumps/Card1.hex");
    EXPECT_EQ(TPReadBack::SaveName("/Data.HEX/X"), "/Data.HEX/X.hex");
}

TEST(ReadBack, PicReadShowsProgramConfigurationAndEeprom) {
    const std::string program(100, 'A');
    const std::string config = "0001000200030004"
                               "3FFF3FFF3FFF3FF1";
    TPReadBack view(false, false, config, Counting(64, 0xA0), program);
    EXPECT_EQ(view.ModeLabel(), "Pic");
    auto lines = view.MemoLines();
    ASSERT_EQ(lines.size(), 2u + 1u + 2u);
    EXPECT_EQ(lines[0], " 0000 : " + std::string(64, 'A'));
    EXPECT_EQ(lines[1], " 0020 : " + std::string(36, 'A'));
    EXPECT_EQ(lines[2], " 4000 : " + config);
    EXPECT_EQ(lines[3], " 4200 : " + Counting(32, 0xA0));
    EXPECT_EQ(lines[4], " 4220 : " + Counting(32, 0xC0));
}

TEST(ReadBack, EepromReadShowsAndSavesThePlainImage) {
    TempDir dir;
    const std::string eeprom = Counting(24, 0x10);
    TPReadBack view(false, true, "", "", eeprom);
    EXPECT_EQ(view.ModeLabel(), "Eeprom");
    EXPECT_EQ(view.MemoLines(), (std::vector<std::string>{" 0000 : " + eeprom}));

    Answer answer;
    EXPECT_TRUE(view.Save(dir / "Ext", answer.Ask()));
    THexFileBuffer back(kCapacity);
    back.LoadHex(dir / "Ext.hex", 0, -1);
    EXPECT_EQ(back.GetHexText(0, -1), eeprom);
    EXPECT_TRUE(answer.asked.empty());
}

TEST(ReadBack, PicReadIsSavedInOneFileAtTheUsualAddresses) {
    TempDir dir;
    const std::string program = Counting(64, 0); // 32 words, two records
    const std::string config = "0001000200030004"
                               "3FFF3FFF3FFF3FF1";
    const std::string eeprom = Counting(16, 0xE0);
    TPReadBack view(false, false, config, eeprom, program);
    Answer answer;
    EXPECT_TRUE(view.Save(dir / "Card.HEX", answer.Ask()));
    ASSERT_TRUE(std::filesystem::exists(dir / "Card.HEX"));

    // Read back the way the main window splits a PIC program file.
    THexFileBuffer words(kCapacity);
    words.SetFillPattern("FF3F");
    words.LoadHexSwapped(dir / "Card.HEX", 0, 0x3FFF);
    EXPECT_EQ(words.GetHexText(0, -1), program);
    THexFileBuffer configuration(kCapacity);
    configuration.LoadHexSwapped(dir / "Card.HEX", 0x4000, 0x4010);
    EXPECT_EQ(configuration.GetHexText(0, -1), config);
    THexFileBuffer data(kCapacity);
    data.LoadHexSwapped(dir / "Card.HEX", 0x4200, -1);
    EXPECT_EQ(data.GetLowByteText(0, -1), eeprom);
}

// The read stays to be saved after a refused overwrite or a cancelled
// dialog, in either part of an AVR read.
TEST(ReadBack, RefusedOverwriteOrCancelledDialogWritesNothingAndKeepsTheRead) {
    for (const bool avr : {false, true}) {
        TempDir dir;
        WriteText(dir / "dump.hex", "old contents");
        TPReadBack view(avr, false, "", Counting(8, 0), Counting(32, 0));
        const std::vector<std::string> shown = view.MemoLines();
        Answer answer;
        EXPECT_FALSE(view.Save(dir / "dump", answer.Ask()));
        ASSERT_EQ(answer.asked, std::vector<std::filesystem::path>{dir / "dump.hex"});
        EXPECT_EQ(ReadText(dir / "dump.hex"), "old contents");
        EXPECT_FALSE(view.Save(std::nullopt, answer.Ask()));
        EXPECT_EQ(FileCount(dir.Path()), 1u);
        EXPECT_EQ(view.MemoLines(), shown);
        EXPECT_FALSE(view.SecondStage());

        answer.yes = true;
        EXPECT_TRUE(view.Save(dir / "dump", answer.Ask()));
        EXPECT_NE(ReadText(dir / "dump.hex"), "old contents");
        EXPECT_EQ(view.SecondStage(), avr);
    }
}

TEST(ReadBack, AvrReadIsSavedInTwoStages) {
    TempDir dir;
    const std::string program = Counting(32, 0x40);
    const std::string eeprom = Counting(20, 0x80);
    TPReadBack view(true, false, "FFFF", eeprom, program);
    EXPECT_EQ(view.ModeLabel(), "Atmel - Processor");
    // Only the program memory until it has been saved; fuses are no
    // configuration words.
    EXPECT_EQ(view.MemoLines(), (std::vector<std::string>{" 0000 : " + program}));

    Answer answer;
    EXPECT_TRUE(view.Save(dir / "Prog", answer.Ask()));
    EXPECT_TRUE(view.SecondStage());
    EXPECT_EQ(view.ModeLabel(), "Atmel - Internal eeprom");
    EXPECT_EQ(view.MemoLines(), (std::vector<std::string>{" 0000 : " + eeprom}));

    const std::string first = ReadText(dir / "Prog.hex");
    EXPECT_EQ(RecordAddresses(first), (std::vector<std::string>{"0000", "0010"})) << first;
    THexFileBuffer words(kCapacity);
    words.LoadHexSwapped(dir / "Prog.hex", 0, -1);
    EXPECT_EQ(words.GetHexText(0, -1), program);

    EXPECT_TRUE(view.Save(dir / "Ee", answer.Ask()));
    THexFileBuffer bytes(kCapacity);
    bytes.LoadHex(dir / "Ee.hex", 0, -1);
    EXPECT_EQ(bytes.GetHexText(0, -1), eeprom);
    EXPECT_EQ(ReadText(dir / "Prog.hex"), first);
}

TEST(ReadBack, WriteErrorReachesTheCallerAndKeepsTheStage) {
    TempDir dir;
    TPReadBack view(true, false, "", Counting(4, 0), Counting(32, 0));
    Answer answer;
    EXPECT_THROW(view.Save(dir / "no/such/folder/prog", answer.Ask()), EInOutError);
    EXPECT_FALSE(view.SecondStage());
    EXPECT_EQ(view.ModeLabel(), "Atmel - Processor");
}

} // namespace korvex
