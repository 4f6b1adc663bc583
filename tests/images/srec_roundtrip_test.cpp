// Every file the writer produces must read back, through srec_cat, as the data
// that went in: an independent reader catches what a test of our own writer
// against our own reader could not.
#include "images/hexreader.h"

#include "common/hexrecords.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace korvex {
namespace {

using testing::HexOf;
using testing::ReadText;
using testing::Repeat;
using testing::TempDir;

struct TSrecResult {
    int status = -1;
    std::string complaints;
    std::string bytes; // the image from address 0, holes as srec_cat leaves them
};

TSrecResult ReadWithSrecCat(const TempDir& dir, const std::filesystem::path& hexFile) {
    const auto out = dir / "out.bin";
    const auto err = dir / "err.txt";
    std::filesystem::remove(out);
    const std::string command = std::string("'") + KORVEX_SREC_CAT + "' '" + hexFile.string() +
                                "' -intel -o '" + out.string() + "' -binary 2> '" + err.string() +
                                "'";
    TSrecResult result;
    result.status = std::system(command.c_str());
    result.complaints = ReadText(err);
    result.bytes = ReadText(out);
    return result;
}

std::string RandomHex(std::size_t bytes, unsigned seed) {
    std::mt19937 random(seed);
    std::string data;
    for (std::size_t i = 0; i < bytes; ++i) {
        data += static_cast<char>(random() & 0xFF);
    }
    return HexOf(data);
}

// Word text high byte first, as the file wants it low byte first.
std::string FileOrder(const std::string& words) {
    std::string text = words;
    for (std::size_t pos = 0; pos + 4 <= text.size(); pos += 4) {
        std::swap(text[pos], text[pos + 2]);
        std::swap(text[pos + 1], text[pos + 3]);
    }
    return text;
}

class SrecRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_STRNE(KORVEX_SREC_CAT, "")
            << "srec_cat was not found when the tests were configured; install srecord";
        ASSERT_TRUE(std::filesystem::exists(KORVEX_SREC_CAT)) << KORVEX_SREC_CAT;
    }

    // Saves the writer's file and reads it back; the image must be complaint-free.
    std::string RoundTrip(TPHexReader& writer, int layout) {
        const auto file = dir_ / "image.hex";
        EXPECT_TRUE(writer.SaveToFile(file, layout, [](const auto&) { return true; }));
        const TSrecResult result = ReadWithSrecCat(dir_, file);
        EXPECT_EQ(result.status, 0) << result.complaints;
        EXPECT_EQ(result.complaints, "");
        return HexOf(result.bytes);
    }

    TempDir dir_;
};

TEST_F(SrecRoundTrip, PicLayoutPlacesProgramConfigurationAndEeprom) {
    TPHexReader writer;
    const std::string program = RandomHex(2 * 1001, 1); // 1001 words, not a whole record
    const std::string eeprom = RandomHex(64, 2);
    const std::string config = "3FFF3FFF3FFF3FFF3FFF3FFF3FFF3FF1";
    writer.SetArea(0, program);
    writer.SetArea(1, eeprom);
    writer.SetArea(3, config);
    const std::string image = RoundTrip(writer, 2);
    ASSERT_EQ(image.size(), 2u * (0x4200 + 2 * 64));
    EXPECT_EQ(image.substr(0, program.size()), FileOrder(program));
    EXPECT_EQ(image.substr(program.size(), 28), Repeat("FF3F", 7)) << "completed blank words";
    EXPECT_EQ(image.substr(2 * 0x4000, config.size()), FileOrder(config));
    std::string eepromWords;
    for (std::size_t i = 0; i < eeprom.size(); i += 2) {
        eepromWords += eeprom.substr(i, 2) + "00";
    }
    EXPECT_EQ(image.substr(2 * 0x4200), eepromWords);
}

TEST_F(SrecRoundTrip, PicLayoutOfABlankCard) {
    TPHexReader writer;
    writer.SetArea(0, "");
    writer.SetArea(1, "");
    writer.SetArea(3, "");
    EXPECT_EQ(RoundTrip(writer, 2), Repeat("FF3F", 8));
}

TEST_F(SrecRoundTrip, PlainLayoutSmallLargeAndEmpty) {
    TPHexReader writer;
    const std::string small = RandomHex(1000, 3);
    writer.SetArea(2, small);
    EXPECT_EQ(RoundTrip(writer, 3), small);

    const std::string large = RandomHex(0x10000 + 0x1234, 4);
    TPHexReader big;
    big.SetArea(2, large);
    EXPECT_EQ(RoundTrip(big, 3), large);
}

TEST_F(SrecRoundTrip, AnEmptyPlainAreaReadsAsNoData) {
    // Its single empty record draws a warning, but the file is read.
    TPHexReader empty;
    const auto file = dir_ / "empty.hex";
    ASSERT_TRUE(empty.SaveToFile(file, 3, nullptr));
    const TSrecResult result = ReadWithSrecCat(dir_, file);
    EXPECT_EQ(result.status, 0) << result.complaints;
    EXPECT_NE(result.complaints.find("empty data record"), std::string::npos) << result.complaints;
    EXPECT_EQ(result.bytes, "");
}

TEST_F(SrecRoundTrip, PicLayoutBeyond64KiB) {
    TPHexReader writer;
    const std::string program = RandomHex(0x10000 + 64, 5);
    // No configuration or EEPROM: with a program this big they would share
    // addresses with it, which no real 14-bit PIC does.
    writer.SetArea(0, program);
    writer.SetArea(1, "");
    writer.SetArea(3, "");
    EXPECT_EQ(RoundTrip(writer, 2), FileOrder(program));
}

} // namespace
} // namespace korvex
