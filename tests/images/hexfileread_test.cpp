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

const std::string kEnd = ":00000001FF";

std::string Lines(std::initializer_list<std::string> lines, const std::string& end = "\n") {
    std::string text;
    for (const auto& line : lines) {
        text += line + end;
    }
    return text;
}

// The message of the EImageFileError a load raises, "" when there is none.
std::string LoadError(THexFileBuffer& buffer, const std::string& content, std::int64_t base = 0,
                      std::int64_t limit = -1) {
    try {
        buffer.LoadHexContent(content, "f.hex", base, limit);
    } catch (const EImageFileError& error) {
        return error.what();
    }
    return "";
}

TEST(HexRead, BaseAndLimitSplitAPicFileIntoItsRegions) {
    const std::string file =
        Lines({Record("04000000AABBCCDD"), Record("020FFE001122"), Record("021000003344"),
               Record("02400E00F13F"), Record("0442000012003400"), kEnd});
    THexFileBuffer eeprom(64);
    eeprom.LoadHexContent(file, "f.hex", 0x4200, -1);
    EXPECT_EQ(eeprom.GetHexText(0, -1), "12003400");

    THexFileBuffer config(64);
    config.LoadHexContent(file, "f.hex", 0x4000, 0x4010);
    EXPECT_EQ(config.GetHexText(28, 31), "F13F");
    EXPECT_EQ(config.HighestWritten(), 31) << "the EEPROM record at 0x4200 is skipped";

    THexFileBuffer program(0x2000);
    program.LoadHexContent(file, "f.hex", 0, 0x0FFF);
    EXPECT_EQ(program.GetHexText(0, 7), "AABBCCDD");
    EXPECT_EQ(program.GetHexText(0x1FFC, -1), "1122") << "0x1000 lies above the limit";
}

TEST(HexRead, OnlyARecordsStartIsComparedWithTheLimitAndLaterRecordsWin) {
    THexFileBuffer buffer(64);
    buffer.LoadHexContent(
        Lines({Record("0400020011223344"), Record("01000300EE"), Record("00000400"), kEnd}),
        "f.hex", 0, 3);
    EXPECT_EQ(buffer.GetHexText(0, -1), "FFFF11EE3344");
}

TEST(HexRead, ExtendedAddressRecordsSetTheUpperAddress) {
    THexFileBuffer buffer(64);
    // gpasm starts every PIC file this way.
    buffer.LoadHexContent(Lines({":020000040000FA", Record("020000000528"), kEnd}), "f.hex", 0, -1);
    EXPECT_EQ(buffer.GetHexText(0, -1), "0528");

    const std::string linear =
        Lines({Record("020000001122"), Record("020000040001"), Record("020002003344"),
               Record("0400000555667788"), Record("0400000300001000"), kEnd});
    buffer.LoadHexContent(linear, "f.hex", 0x10000, -1);
    EXPECT_EQ(buffer.GetHexText(0, -1), "FFFF3344") << "start records are skipped";
    buffer.LoadHexContent(linear, "f.hex", 0, 0xFFFF);
    EXPECT_EQ(buffer.GetHexText(0, -1), "1122") << "0x10002 lies above the limit";

    buffer.LoadHexContent(Lines({Record("020000021000"), Record("020004005566"), kEnd}), "f.hex",
                          0x10000, -1);
    EXPECT_EQ(buffer.GetHexText(0, -1), "FFFFFFFF5566");

    THexFileBuffer large(0x40010);
    large.LoadHexContent(Lines({Record("020000040002"), Record("020000007788"), kEnd}), "f.hex", 0,
                         -1);
    EXPECT_EQ(large.GetHexText(0x40000, 0x40003), "7788") << "-1 is no limit at all";

    EXPECT_EQ(LoadError(buffer, Lines({Record("03000004000100"), kEnd})),
              "f.hex:1: address record carries 3 bytes, not 2");
    EXPECT_EQ(LoadError(buffer, Lines({Record("020000000528"), Record("00000006"), kEnd})),
              "f.hex:2: unsupported record type 06");
}

TEST(HexRead, MalformedLinesAreErrorsNamingFileAndLine) {
    THexFileBuffer buffer(64);
    const std::string good = Record("020000000528");
    EXPECT_EQ(LoadError(buffer, Lines({good, ":01000000C03E"})),
              "f.hex:2: checksum is 3E, expected 3F");
    EXPECT_EQ(LoadError(buffer, Lines({good, ":02000000G528D1"})),
              "f.hex:2: character 10 ('G') is not a hexadecimal digit");
    EXPECT_EQ(LoadError(buffer, Lines({good, ":0Z0000000528D1"})),
              "f.hex:2: character 3 ('Z') is not a hexadecimal digit");
    EXPECT_EQ(LoadError(buffer, Lines({":0200000005D1"})),
              "f.hex:1: record is shorter than its byte count announces: 13 characters, "
              "expected 15");
    EXPECT_EQ(LoadError(buffer, Lines({":020000000528AAD1"})),
              "f.hex:1: record is longer than its byte count announces: 17 characters, "
              "expected 15");
    EXPECT_EQ(LoadError(buffer, Lines({":0200"})),
              "f.hex:1: record is too short: 5 characters, a record has at least 11");
    EXPECT_EQ(LoadError(buffer, Lines({good, "020000000528D1"})),
              "f.hex:2: line does not start with ':'");
    EXPECT_EQ(LoadError(buffer, Lines({good, " " + good})),
              "f.hex:2: line does not start with ':'");
    EXPECT_EQ(LoadError(buffer, Lines({good, Record("020020000102"), kEnd})),
              "f.hex:2: data at address 0x0020 fall beyond the image, which holds 32 bytes from "
              "address 0x0000");
    EXPECT_EQ(LoadError(buffer, ""), "f.hex: no data records");
    EXPECT_EQ(LoadError(buffer, Lines({":020000040000FA", Record("00001000"), kEnd})),
              "f.hex: no data records");
    EXPECT_EQ(LoadError(buffer, Lines({kEnd, good})), "f.hex: no data records");
}

// A file is checked whole before anything of it is placed: a bad line
// anywhere leaves the image blank, so no part of a broken file is written.
TEST(HexRead, ABadLineAnywherePlacesNothingOfTheFile) {
    THexFileBuffer buffer(64);
    buffer.SetFillPattern("FF3F");
    EXPECT_NE(
        LoadError(buffer, Lines({Record("020000000528"), Record("02000200AABB"),
                                 Record("020004000102").erase(13) + "00", Record("020006003344")})),
        "");
    EXPECT_EQ(buffer.GetHexText(0, 15), "FF3FFF3FFF3FFF3F");
    EXPECT_EQ(buffer.HighestWritten(), 0);
}

TEST(HexRead, BlankLinesAreSkippedAndAnyLineEndIsAccepted) {
    THexFileBuffer buffer(64);
    const std::string a = Record("020000000528");
    const std::string b = Record("02000200AABB");
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        const std::string file = a + end + end + "  \t" + end + b + end + kEnd + end;
        EXPECT_EQ(LoadError(buffer, file), "") << "line end " << end.size();
        EXPECT_EQ(buffer.GetHexText(0, -1), "0528AABB");
    }
    EXPECT_EQ(LoadError(buffer, a + "\n" + b + "\n" + kEnd), "") << "no last line end";
    // Fault: a file cut short (head -n 40 of a full one) was written as if the
    // rest of the card were meant to be blank.
    EXPECT_EQ(LoadError(buffer, a + "\n" + b + "\n"),
              "f.hex: ends without an end-of-file record: the file may be cut short");
    EXPECT_EQ(LoadError(buffer, "\n\n" + Record("0100000011") + "\r\n" + a + "xyz"),
              "f.hex:4: character 16 ('x') is not a hexadecimal digit");
}

TEST(HexRead, NothingAfterTheEndOfFileRecordIsRead) {
    THexFileBuffer buffer(64);
    buffer.LoadHexContent(Lines({Record("020000000528"), kEnd, Record("02000200AABB"), "junk"}),
                          "f.hex", 0, -1);
    EXPECT_EQ(buffer.GetHexText(0, -1), "0528");
}

TEST(HexRead, DataAreStoredUpperCased) {
    THexFileBuffer buffer(64);
    buffer.LoadHexContent(Lines({Record("04000000abcdef12"), kEnd}), "f.hex", 0, -1);
    EXPECT_EQ(buffer.GetHexText(0, -1), "ABCDEF12");
}

TEST(HexRead, AnAvrEepromSectionAtItsLinkAddressSaysHowToMoveIt) {
    THexFileBuffer buffer(131072);
    try {
        buffer.LoadHex(KORVEX_FIXTURES_DIR "/hex/avr_eeprom_unrelocated.hex", 0, -1);
        FAIL() << "no error";
    } catch (const EImageFileError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind(KORVEX_FIXTURES_DIR "/hex/avr_eeprom_unrelocated.hex:2: ", 0), 0u)
            << message;
        EXPECT_NE(message.find("--change-section-lma .eeprom=0"), std::string::npos) << message;
        EXPECT_NE(message.find("internal EEPROM"), std::string::npos) << message;
    }
}

TEST(HexRead, AFileThatCannotBeReadIsAnInOutErrorAfterTheClear) {
    TempDir dir;
    THexFileBuffer buffer(8);
    buffer.SetFillPattern("FF3F");
    buffer.LoadBinaryContent("\x01\x02\x03\x04", "a.bin", 0, -1);
    try {
        buffer.LoadHexSwapped(dir / "missing.hex", 0, -1);
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), "no such file");
        EXPECT_EQ(error.Path(), (dir / "missing.hex").string());
    }
    EXPECT_EQ(buffer.GetHexText(0, 7), "3FFF3FFF") << "cleared, and blank words swapped";

    try {
        buffer.LoadHex(dir.Path(), 0, -1);
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), "is a folder, not a file");
    }
}

TEST(HexRead, LoadsFromFilesLikeFromMemory) {
    TempDir dir;
    WriteText(dir / "a.hex", Lines({Record("020000000528"), kEnd}, "\r\n"));
    THexFileBuffer buffer(64);
    EXPECT_TRUE(buffer.LoadHex(dir / "a.hex", 0, -1));
    EXPECT_EQ(buffer.GetHexText(0, -1), "0528");
    WriteText(dir / "b.hex", Lines({":01000000C03E"}));
    try {
        buffer.LoadHex(dir / "b.hex", 0, -1);
        FAIL() << "no error";
    } catch (const EImageFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  (dir / "b.hex").string() + ":1: checksum is 3E, expected 3F");
    }
}

} // namespace
} // namespace korvex
