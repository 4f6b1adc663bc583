#include "images/hexreader.h"
#include "support/errors.h"

#include "common/hexrecords.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace korvex {
namespace {

using testing::ReadText;
using testing::Record;
using testing::Repeat;
using testing::TempDir;
using testing::WriteText;

const std::string kEnd = ":00000001FF\r\n";
constexpr int kPic = 2;
constexpr int kPlain = 3;

std::string Crlf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) {
        ++count;
    }
    return count;
}

TEST(HexWriter, PicLayoutGivesTheKnownRecords) {
    TPHexReader writer;
    writer.SetArea(0, "2805" + Repeat("3FFF", 3) + "0009");
    writer.SetArea(3, Repeat("3FFF", 4));
    writer.SetArea(1, Repeat("12", 8));
    EXPECT_EQ(writer.BuildFile(kPic),
              Crlf({":100000000528FF3FFF3FFF3F0900FF3FFF3FFF3F46", ":08400000FF3FFF3FFF3FFF3FC0",
                    ":10420000120012001200120012001200120012001E"}) +
                  kEnd);
}

TEST(HexWriter, PicLayoutWritesOneBlankRecordForAnEmptyProgram) {
    TPHexReader writer;
    EXPECT_EQ(writer.BuildFile(kPic), Crlf({Record("10000000" + Repeat("FF3F", 8))}) + kEnd);
    writer.SetArea(0, "");
    writer.SetArea(1, "");
    writer.SetArea(3, "");
    EXPECT_EQ(writer.BuildFile(kPic), Crlf({Record("10000000" + Repeat("FF3F", 8))}) + kEnd);
}

TEST(HexWriter, PicLayoutCompletesShortRecordsFromThePresets) {
    TPHexReader writer;
    writer.SetArea(0, Repeat("0123", 9)); // one word into the second record
    writer.SetArea(1, "AB");              // one EEPROM byte, seven blank ones
    writer.SetArea(3, Repeat("0000", 5)); // one word into the second record
    EXPECT_EQ(writer.BuildFile(kPic),
              Crlf({Record("10000000" + Repeat("2301", 8)),
                    Record("10001000" + std::string("2301") + Repeat("FF3F", 7)),
                    Record("08400000" + Repeat("0000", 4)),
                    Record("08400800" + std::string("0000") + Repeat("FF3F", 3)),
                    Record("10420000AB00" + Repeat("FF00", 7))}) +
                  kEnd);
}

TEST(HexWriter, PlainLayoutCutsSixteenByteRecords) {
    TPHexReader writer;
    writer.SetArea(2, Repeat("FF", 16));
    EXPECT_EQ(writer.BuildFile(kPlain),
              Crlf({":10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00"}) + kEnd);

    writer.SetArea(2, Repeat("0102", 12));
    EXPECT_EQ(writer.BuildFile(0), Crlf({Record("10000000" + Repeat("0102", 8)),
                                         Record("08001000" + Repeat("0102", 4))}) +
                                       kEnd);

    TPHexReader empty;
    EXPECT_EQ(empty.BuildFile(kPlain), Crlf({":0000000000"}) + kEnd);
    empty.SetArea(2, "abc");
    EXPECT_EQ(empty.BuildFile(kPlain), Crlf({":01000000AB54"}) + kEnd)
        << "the odd digit is dropped";
}

TEST(HexWriter, ImagesBeyond64KiBGetExtendedAddressesOnlyWhereNeeded) {
    TPHexReader writer;
    writer.SetArea(2, Repeat("5A", 0x10000 + 20)); // longer than the plain area's preset size
    const std::string plain = writer.BuildFile(kPlain);
    EXPECT_EQ(Count(plain, ":02000004"), 1u);
    const auto upper = plain.find(":020000040001F9\r\n");
    ASSERT_NE(upper, std::string::npos);
    EXPECT_EQ(plain.substr(upper - 45, 45), Record("10FFF000" + Repeat("5A", 16)) + "\r\n");
    EXPECT_EQ(plain.substr(upper + 17),
              Crlf({Record("10000000" + Repeat("5A", 16)), Record("04001000" + Repeat("5A", 4))}) +
                  kEnd);

    writer.SetArea(0, Repeat("1234", 0x8000 + 8)); // 64 KiB of words and one more record
    writer.SetArea(3, "3FF1");
    const std::string pic = writer.BuildFile(kPic);
    EXPECT_NE(pic.find(":020000040001F9\r\n" + Record("10000000" + Repeat("3412", 8)) +
                       "\r\n:020000040000FA\r\n" + Record("08400000F13F" + Repeat("FF3F", 3))),
              std::string::npos);
    EXPECT_EQ(Count(pic, ":02000004"), 2u);

    TPHexReader small;
    small.SetArea(0, Repeat("1234", 0x8000)); // exactly 64 KiB
    EXPECT_EQ(Count(small.BuildFile(kPic), ":02000004"), 0u);
}

TEST(HexWriter, SaveAsksBeforeReplacingAFile) {
    TempDir dir;
    const auto file = dir / "out.hex";
    TPHexReader writer;
    writer.SetArea(2, "00");
    int asked = 0;
    EXPECT_TRUE(writer.SaveToFile(file, kPlain, [&](const std::filesystem::path&) {
        ++asked;
        return true;
    }));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ReadText(file), Crlf({":0100000000FF"}) + kEnd);

    writer.SetArea(2, "11");
    std::filesystem::path question;
    EXPECT_FALSE(writer.SaveToFile(file, kPlain, [&](const std::filesystem::path& path) {
        question = path;
        return false;
    }));
    EXPECT_EQ(question, file);
    EXPECT_EQ(ReadText(file), Crlf({":0100000000FF"}) + kEnd) << "left as it was";
    EXPECT_FALSE(writer.SaveToFile(file, kPlain, nullptr)) << "nobody to say yes";

    EXPECT_TRUE(writer.SaveToFile(file, kPlain, [](const std::filesystem::path&) { return true; }));
    EXPECT_EQ(ReadText(file), Crlf({":0100000011EE"}) + kEnd);
}

TEST(HexWriter, SaveReportsAFileThatCannotBeWritten) {
    TempDir dir;
    TPHexReader writer;
    EXPECT_THROW(writer.SaveToFile(dir / "no" / "such" / "folder.hex", kPic, nullptr), EInOutError);
    WriteText(dir / "locked.hex", "old");
    ::chmod((dir / "locked.hex").c_str(), 0444);
    EXPECT_THROW(writer.SaveToFile(dir / "locked.hex", kPic,
                                   [](const std::filesystem::path&) { return true; }),
                 EInOutError);
    EXPECT_EQ(ReadText(dir / "locked.hex"), "old");
}

TEST(HexWriter, RejectsTextsThatAreNotHexAndUnknownAreas) {
    TPHexReader writer;
    writer.SetArea(2, "zz");
    EXPECT_THROW(writer.BuildFile(kPlain), EConvertError);
    EXPECT_THROW(writer.SetArea(4, ""), std::out_of_range);
}

} // namespace
} // namespace korvex
