#include "catalogue/carderrors.h"
#include "catalogue/cfgreader.h"
#include "catalogue/configcalc.h"
#include "common/tempdir.h"
#include "support/errors.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

namespace korvex {
namespace {

using namespace std::string_literals;

TPCardReader Parse(const std::string& text) {
    return TPCardReader::FromText(text, "mem.cfg");
}

// The text an exception carries, or "" when the call did not throw that type.
template <typename Exception, typename Call>
std::string MessageOf(Call call) {
    try {
        call();
    } catch (const Exception& e) {
        return e.what();
    }
    return "";
}

const std::string kLocation = "[0-9A-F]{8}";

TEST(CardReader, SkippedLinesLeaveAnEmptyCatalogue) {
    const TPCardReader reader = Parse("// comment\r\n\r\nab\n\nx\r\n//PIC 16F84,3\n  \n");
    EXPECT_EQ(reader.GetCount(), 0);
    int entry = 5;
    EXPECT_EQ(reader.FindName("ab", 42, entry), 42);
    EXPECT_EQ(entry, 0);
    EXPECT_EQ(reader.GetField(1, 1), "");
}

TEST(CardReader, OnlyLongerLinesAndNoDoubleSlashMakeEntries) {
    const TPCardReader reader = Parse("ab\nabc\n/x,1\n//y,2\n //z\n");
    ASSERT_EQ(reader.GetCount(), 3);
    EXPECT_EQ(reader.GetField(1, 1), "abc");
    EXPECT_EQ(reader.GetField(1, 2), "");
    EXPECT_EQ(reader.GetField(2, 1), "/x");
    EXPECT_EQ(reader.GetField(2, 2), "1");
    EXPECT_EQ(reader.GetField(3, 1), " //z");
}

TEST(CardReader, FieldsAreSplitAtEverySeparatorWithoutTrimming) {
    const TPCardReader reader =
        Parse("PIC 16F84,3,1024\n a ,,c,\n"
              "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25\n");
    ASSERT_EQ(reader.GetCount(), 3);
    EXPECT_EQ(reader.GetField(1, 1), "PIC 16F84");
    EXPECT_EQ(reader.GetField(1, 2), "3");
    EXPECT_EQ(reader.GetField(1, 3), "1024");
    for (int field = 4; field <= 20; ++field) {
        EXPECT_EQ(reader.GetField(1, field), "") << field;
    }
    EXPECT_EQ(reader.GetField(2, 1), " a ");
    EXPECT_EQ(reader.GetField(2, 2), "");
    EXPECT_EQ(reader.GetField(2, 3), "c");
    EXPECT_EQ(reader.GetField(2, 4), "");
    EXPECT_EQ(reader.GetField(3, 19), "19");
    EXPECT_EQ(reader.GetField(3, 20), "20");
}

TEST(CardReader, LineEndsAndEndOfFileMark) {
    const TPCardReader reader = Parse("one,1\r\ntwo,2\nth\rree,3\nfour,4\x1A"
                                      "five,5\n");
    ASSERT_EQ(reader.GetCount(), 4);
    EXPECT_EQ(reader.GetField(1, 2), "1");
    EXPECT_EQ(reader.GetField(2, 1), "two");
    EXPECT_EQ(reader.GetField(3, 1), "three");
    EXPECT_EQ(reader.GetField(4, 1), "four");
    EXPECT_EQ(reader.GetField(4, 2), "4");

    EXPECT_EQ(Parse("last,9").GetField(1, 2), "9");
    // A line that is a CR pair and one character is still too short.
    EXPECT_EQ(Parse("a\r\r\n").GetCount(), 0);
}

// Fault: a byte order mark, as editors saving UTF-8 write it, became part of
// the first entry's name (or turned a first comment line into an entry).
TEST(CardReader, AByteOrderMarkAtTheStartIsSkipped) {
    const std::string bom = "\xEF\xBB\xBF";
    const TPCardReader pics = Parse(bom + "PIC 16F84,3,1024\r\n");
    int entry = 0;
    EXPECT_EQ(pics.FindName("PIC 16F84", 0, entry), 3);
    EXPECT_EQ(entry, 1);
    EXPECT_EQ(Parse(bom + "// eeproms\n24C16,1,2048,1\n").GetCount(), 1);
    // Only at the very start: elsewhere the bytes are text like any other.
    EXPECT_EQ(Parse("X,1\n" + bom + "Y,2\n").GetField(2, 1), bom + "Y");

    testing::TempDir dir;
    testing::WriteText(dir / "cards/configwords.cfg", bom + "1,x,x,x,x,x,x,x,11111111111111\n");
    EXPECT_EQ(TPConfigCalculator(1, dir.Path()).GetDefaultWord(), "3FFF");
}

TEST(CardReader, NulByteEndsTheFieldButNotTheEntry) {
    const TPCardReader reader = Parse("ab\0cd,7,x\n"s);
    ASSERT_EQ(reader.GetCount(), 1);
    EXPECT_EQ(reader.GetField(1, 1), "ab");
    EXPECT_EQ(reader.GetField(1, 2), "7");
    EXPECT_EQ(reader.GetField(1, 3), "x");
}

TEST(CardReader, TableLimitsAreEnforcedWhileLoading) {
    const std::string longest(29, 'n');
    const TPCardReader fits = Parse(longest + "," + longest + "\n");
    EXPECT_EQ(fits.GetField(1, 1), longest);
    EXPECT_EQ(fits.GetField(1, 2), longest);

    const std::regex loadMessage("mem.cfg line [12]: field [12] is longer than 29 characters \\(" +
                                 kLocation + "\\)");
    for (const std::string& text :
         {longest + "n,1\n", "a,1\n" + longest + "n\n", "a," + longest + "n,\n"}) {
        const std::string message = MessageOf<ECfgOutOfBounds>([&] { Parse(text); });
        EXPECT_TRUE(std::regex_match(message, loadMessage)) << message;
    }

    std::string fifty;
    for (int i = 1; i <= 50; ++i) {
        fifty += "entry" + std::to_string(i) + "," + std::to_string(i) + "\n// between\n";
    }
    const TPCardReader full = Parse(fifty);
    EXPECT_EQ(full.GetCount(), 50);
    EXPECT_EQ(full.GetField(50, 1), "entry50");
    const std::string message = MessageOf<ECfgOutOfBounds>([&] { Parse(fifty + "one more\n"); });
    EXPECT_TRUE(std::regex_match(
        message, std::regex("mem.cfg line 101: more than 50 entries \\(" + kLocation + "\\)")))
        << message;
}

// Fault: "24C16,1,-2048,1" made an EEPROM write send nothing and say
// "written"; a number that did not parse or a field missing surfaced later
// as "'99999999999' is not a valid integer value", naming no file; a program
// of 1048576 words beyond the programmer's reach sent padding for minutes.
TEST(CardReader, ACatalogueLineThatCannotBeRightNamesTheFileAndLine) {
    const std::string oneByte = "must be from 1 to 2048 bytes: kind 1 has one address byte, "
                                "which with the three block bits of the device address reaches "
                                "no further";
    const std::string picWords = "must be from 1 to 8192 words: a PIC kind's configuration words "
                                 "begin at word 0x2000, where the programmer's addresses leave "
                                 "its program memory";
    const std::pair<std::string, std::string> bad[] = {
        {"eeproms.cfg", "24C16,1,-2048,1|the size \"-2048\" " + oneByte},
        {"eeproms.cfg", "24C16,1,99999999999,1|the size \"99999999999\" " + oneByte},
        {"eeproms.cfg", "24C32,2,4096,1|the size \"4096\" " + oneByte},
        {"eeproms.cfg", "24C1024,2,131072,2|the size \"131072\" must be from 1 to 65536 bytes: "
                        "two address bytes reach no further"},
        {"eeproms.cfg", "24C16,1,2048|3 fields where 4 are needed: name, kind, size, AVR kind"},
        {"pics.cfg", "PIC 1,3,0,64,,L,1|the program size \"0\" " + picWords},
        {"pics.cfg", "PIC 1,3,1048576,64,,L,1|the program size \"1048576\" " + picWords},
        {"pics.cfg", "PIC 1,3,1024,257,,L,1|the EEPROM size \"257\" must be from 0 to 256 bytes: "
                     "a PIC kind's data EEPROM has one address byte"},
        {"pics.cfg", "AVR 1,9,65537,512,1E9401,L,0|the program size \"65537\" must be from 1 to "
                     "65536 words: an AVR kind's 16-bit word addresses, on which the programmer "
                     "writes, reach no further"},
        {"pics.cfg", "AVR 1,8,4096,512,1E93,L,0|the identification \"1E93\" in field 5 must be "
                     "the six hex digits an AVR card identifies itself with"},
        {"pics.cfg", "PIC 1,3,1024,64,,../x,1|the loader \"../x\" must be a name of a file in "
                     "defaults/, without / or \\ or .."},
        {"pics.cfg", "PIC 1,A,1024,64,,L,1|the kind \"A\" must be a digit from 0 to 9 (PIC kinds "
                     "0 to 7, AVR kinds 8 and 9)"},
        {"configwords.cfg", "2,0,x,x,x,x,x,x,2|field 9 \"2\" must be a bit pattern of 0, 1 and x, "
                            "at most 14 bits long (a configuration word has 14)"},
        {"configwords.cfg", "2,0,x,x,x,x,x,x,111111111111111|field 9 \"111111111111111\" must be "
                            "a bit pattern of 0, 1 and x, at most 14 bits long (a configuration "
                            "word has 14)"},
    };
    const std::map<std::string, std::string> good = {{"eeproms.cfg", "None,-1,0,-1"},
                                                     {"pics.cfg", "PIC 2,8,1024,0,1E9301,L,0"},
                                                     {"configwords.cfg", "1,0,1,x,x,x,x,x,X"}};
    for (const auto& [file, row] : bad) {
        testing::TempDir dir;
        const std::string line = row.substr(0, row.find('|'));
        testing::WriteText(dir / "cards" / file, "// comment\n" + good.at(file) + "\n" + line);
        EXPECT_EQ(MessageOf<EErrorsInCfg>([&, &file = file] {
                      TPCardReader(TPDataFolders(dir.Path()), "cards/" + file);
                  }),
                  (dir / "cards" / file).string() + " line 3: " + row.substr(line.size() + 1));
        EXPECT_NO_THROW(TPCardReader(dir / "cards" / file)) << "the file alone is only read";
    }
}

TEST(CardReader, GetFieldOutsideTheTableNamesFieldThenEntry) {
    const TPCardReader reader = Parse("PIC 16F84,3\n");
    EXPECT_EQ(reader.GetField(2, 1), "");
    EXPECT_EQ(reader.GetField(50, 20), "");

    struct Case {
        int entry, field;
        std::string prefix;
    };
    for (const Case& c : {Case{0, 1, "1 0  "}, Case{51, 3, "3 51  "}, Case{1, 0, "0 1  "},
                          Case{1, 21, "21 1  "}, Case{-2, 5, "5 -2  "}}) {
        const std::string message =
            MessageOf<ECfgOutOfBounds>([&] { reader.GetField(c.entry, c.field); });
        EXPECT_TRUE(
            std::regex_match(message, std::regex("Cfg out of bounds " + c.prefix + kLocation)))
            << message;
    }
}

TEST(CardReader, FindNameComparesAsciiLettersWithoutCase) {
    const TPCardReader reader = Parse("PIC 16F84,3,1024\nNone,-1\npic 16f84,7\n");
    int entry = 9;
    EXPECT_EQ(reader.FindName("pic 16f84", 0, entry), 3);
    EXPECT_EQ(entry, 1);
    EXPECT_EQ(reader.FindName("PIC 16F84", 0, entry), 3); // first of two equal names wins
    EXPECT_EQ(entry, 1);
    EXPECT_EQ(reader.FindName("NONE", 0, entry), -1);
    EXPECT_EQ(entry, 2);
    EXPECT_EQ(reader.FindName("PIC 16F84 ", 5, entry), 5);
    EXPECT_EQ(entry, 0);
    EXPECT_EQ(reader.FindName(" PIC 16F84", 5, entry), 5);
    EXPECT_EQ(reader.FindName("", 6, entry), 6);
    EXPECT_EQ(entry, 0);
}

TEST(CardReader, FindNameReportsAKindThatIsNoNumber) {
    const TPCardReader reader = TPCardReader::FromText("good,1\nbad,x1\n", "/cards/pics.cfg");
    int entry = 4;
    EXPECT_EQ(reader.FindName("good", 0, entry), 1);
    entry = 4;
    const std::string message = MessageOf<EErrorsInCfg>([&] { reader.FindName("BAD", 0, entry); });
    EXPECT_TRUE(
        std::regex_match(message, std::regex("Error in cfg file /cards/pics.cfg\r\n" + kLocation)))
        << message;
    EXPECT_EQ(entry, 4);
    // An empty kind is as bad as a wrong one.
    EXPECT_THROW(Parse("name\n").FindName("name", 0, entry), EErrorsInCfg);
}

TEST(CardReader, ReadsFilesAndReportsTheOnesItCannot) {
    testing::TempDir dir;
    const auto file = dir / "cards" / "pics.cfg";
    testing::WriteText(file, "// processors\r\nPIC 16F84,3,1024,64\r\n");
    const TPCardReader reader(file);
    EXPECT_EQ(reader.GetCount(), 1);
    EXPECT_EQ(reader.GetField(1, 4), "64");
    EXPECT_EQ(reader.GetPath(), file.string());

    const auto missing = dir / "cards" / "eeproms.cfg";
    try {
        TPCardReader{missing};
        ADD_FAILURE() << "a missing file loaded";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "no such file");
        EXPECT_EQ(e.Path(), missing.string());
    }

    try {
        TPCardReader{dir / "cards"};
        ADD_FAILURE() << "a folder loaded";
    } catch (const EInOutError& e) {
        EXPECT_STRNE(e.what(), "no such file");
        EXPECT_STRNE(e.what(), "");
    }
}

} // namespace
} // namespace korvex
