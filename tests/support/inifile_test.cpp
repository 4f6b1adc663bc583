#include "common/tempdir.h"
#include "support/errors.h"
#include "support/inifile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvex {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

TEST(TPIniFile, MissingFileIsEmptyAndIsNotCreatedUntilUpdate) {
    TempDir dir;
    TPIniFile ini(dir / "a.ini");
    EXPECT_EQ(ini.Path(), dir / "a.ini");
    EXPECT_FALSE(ini.SectionExists("Any"));
    EXPECT_EQ(ini.ReadString("Any", "Key", "def"), "def");
    ini.WriteString("S", "K", "v");
    EXPECT_FALSE(std::filesystem::exists(dir / "a.ini"));
    ini.UpdateFile();
    EXPECT_EQ(ReadText(dir / "a.ini"), "[S]\nK=v\n");
}

TEST(TPIniFile, WritesKeysInOrderNewSectionsLastAndReplacesInPlace) {
    TempDir dir;
    TPIniFile ini(dir / "a.ini");
    ini.WriteString("CardType", "CardName", "Test");
    ini.WriteString("CardType", "PicName", "PIC 16F84");
    ini.WriteString("Defaults", "PicFile", "a.hex");
    ini.WriteString("CardType", "EepromName", "None");  // appended to its own section
    ini.WriteString("cardtype", "CARDNAME", "Renamed"); // replaced where it stands
    ini.WriteInteger("Defaults", "PowerUp", -3);
    ini.UpdateFile();
    EXPECT_EQ(ReadText(dir / "a.ini"), "[CardType]\nCardName=Renamed\nPicName=PIC 16F84\n"
                                       "EepromName=None\n\n[Defaults]\nPicFile=a.hex\n"
                                       "PowerUp=-3\n");
}

TEST(TPIniFile, LooksUpNamesWithoutRegardToCaseAndKeepsTheFileSpelling) {
    TempDir dir;
    WriteText(dir / "a.ini", "[Defaults]\nPicFile = x.hex \nEmpty=\n");
    TPIniFile ini(dir / "a.ini");
    EXPECT_TRUE(ini.SectionExists("DEFAULTS"));
    EXPECT_TRUE(ini.ValueExists("defaults", "PICFILE"));
    EXPECT_EQ(ini.ReadString("dEfAuLtS", "picfile", ""), "x.hex");
    EXPECT_TRUE(ini.ValueExists("Defaults", "Empty"));
    EXPECT_EQ(ini.ReadString("Defaults", "Empty", "def"), "");
    EXPECT_FALSE(ini.ValueExists("Defaults", "Other"));
    ini.WriteString("DEFAULTS", "PICFILE", "y.hex");
    ini.UpdateFile();
    EXPECT_EQ(ReadText(dir / "a.ini"), "[Defaults]\nPicFile=y.hex\nEmpty=\n");
}

TEST(TPIniFile, SectionWithoutKeysDoesNotExist) {
    TPIniFile ini("unused.ini");
    ini.LoadText("[Empty]\n[Full]\nk=1\n");
    EXPECT_FALSE(ini.SectionExists("Empty"));
    EXPECT_TRUE(ini.SectionExists("full"));
}

TEST(TPIniFile, ReadsDecimalAndHexIntegersAndFallsBackOnAnythingElse) {
    TPIniFile ini("unused.ini");
    ini.LoadText("[D]\ndec=42\nneg=-7\nplus=+5\nhex=0x2\nupper=0X1f\nall=0xFFFFFFFF\n"
                 "letters=abc\nempty=\nhalf=12abc\nbare=0x\nbadhex=0xG\nlong=0x123456789\n"
                 "big=99999999999\n");
    EXPECT_EQ(ini.ReadInteger("D", "dec", 1), 42);
    EXPECT_EQ(ini.ReadInteger("D", "neg", 1), -7);
    EXPECT_EQ(ini.ReadInteger("D", "plus", 1), 5);
    EXPECT_EQ(ini.ReadInteger("D", "hex", 1), 2);
    EXPECT_EQ(ini.ReadInteger("D", "upper", 1), 31);
    EXPECT_EQ(ini.ReadInteger("D", "all", 1), -1);
    for (const char* key : {"letters", "empty", "half", "bare", "badhex", "long", "big", "none"}) {
        EXPECT_EQ(ini.ReadInteger("D", key, 77), 77) << key;
    }
}

TEST(TPIniFile, ValuesStaySingleLines) {
    TempDir dir;
    TPIniFile ini(dir / "a.ini");
    ini.WriteString("S", "K", " a\r\n[Evil]\nX=1 ");
    EXPECT_EQ(ini.ReadString("S", "K", ""), "a[Evil]X=1");
    ini.UpdateFile();
    TPIniFile again(dir / "a.ini");
    EXPECT_FALSE(again.SectionExists("Evil"));
    EXPECT_EQ(again.ReadString("S", "K", ""), "a[Evil]X=1");
}

TEST(TPIniFile, KeepsCrLfLineEndsOfTheFileItRead) {
    TempDir dir;
    WriteText(dir / "a.ini", "[A]\r\nx=1\r\n");
    TPIniFile ini(dir / "a.ini");
    ini.WriteString("A", "y", "2");
    ini.UpdateFile();
    EXPECT_EQ(ReadText(dir / "a.ini"), "[A]\r\nx=1\r\ny=2\r\n");
}

// Fault: comment lines after the last key were dropped by a rewrite, and so
// was the start of a comment block whose later lines were indented.
TEST(TPIniFile, HandWrittenCommentsSurviveARewrite) {
    TempDir dir;
    WriteText(dir / "a.ini", "; Card type of the workshop\n"
                             "[CardType]\n"
                             "; the name the list shows\n"
                             "  ; keep it short\n"
                             "CardName=Gold\n"
                             "# processor as pics.cfg names it\n"
                             "PicName=PIC 16F84\n"
                             "\n"
                             "; settings the program keeps\n"
                             "[Defaults]\n"
                             "PowerUp=1\n"
                             "; last words\n"
                             "\n"
                             "\n"
                             "# really the last\n");
    {
        TPIniFile ini(dir / "a.ini");
        ini.WriteString("CardType", "PicName", "PIC 16F628");
        ini.WriteString("Defaults", "PowerUp", "0");
        ini.WriteString("Defaults", "Oscil", "2");
        ini.UpdateFile();
    }
    const std::string text = ReadText(dir / "a.ini");
    EXPECT_EQ(text, "; Card type of the workshop\n"
                    "\n"
                    "[CardType]\n"
                    "\n"
                    "; the name the list shows\n"
                    "; keep it short\n"
                    "CardName=Gold\n"
                    "\n"
                    "# processor as pics.cfg names it\n"
                    "PicName=PIC 16F628\n"
                    "\n"
                    "; settings the program keeps\n"
                    "[Defaults]\n"
                    "PowerUp=0\n"
                    "Oscil=2\n"
                    "\n"
                    "; last words\n"
                    "\n"
                    "# really the last\n");
    // What reads back is what was there, comments or not.
    TPIniFile again(dir / "a.ini");
    EXPECT_EQ(again.ReadString("CardType", "CardName", ""), "Gold");
    EXPECT_EQ(again.Text(), text);

    // A file of comments alone keeps all of them.
    TPIniFile notes(dir / "notes.ini");
    notes.LoadText("; one\n\n; two\n");
    EXPECT_EQ(notes.Text(), "; one\n\n; two\n");
}

TEST(TPIniFile, FailedWriteThrowsTheIniMessageAndKeepsTheOldFile) {
    TempDir dir;
    const auto missing = dir / "nofolder" / "options.ini";
    TPIniFile lost(missing);
    lost.WriteString("A", "B", "1");
    try {
        lost.UpdateFile();
        FAIL() << "wrote into a missing folder";
    } catch (const EIniFileException& e) {
        EXPECT_STREQ(e.what(), ("Unable to write to " + missing.string()).c_str());
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "nofolder"));

    WriteText(dir / "ro.ini", "[A]\nB=old\n");
    ::chmod((dir / "ro.ini").c_str(), 0444);
    TPIniFile readOnly(dir / "ro.ini");
    readOnly.WriteString("A", "B", "new");
    EXPECT_THROW(readOnly.UpdateFile(), EIniFileException);
    EXPECT_EQ(ReadText(dir / "ro.ini"), "[A]\nB=old\n");
}

TEST(TPIniFile, UnreadableFileThrowsInOutErrorNamingIt) {
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.ini");
    try {
        TPIniFile ini(dir / "folder.ini");
        FAIL() << "a folder read as an INI file";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Path(), (dir / "folder.ini").string());
        EXPECT_NE(std::string(e.what()).find("is a folder, not a file"), std::string::npos)
            << e.what();
    }
}

} // namespace korvex
