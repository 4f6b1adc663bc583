#include "common/tempdir.h"
#include "support/lang.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::TempDir;
using testing::WriteText;

namespace {

std::string NumberedLines(int count, const char* end = "\r\n", const char* word = "Entry") {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += word + (" " + std::to_string(i)) + end;
    }
    return text;
}

} // namespace

// Fault: with the shipped English.lang empty or garbled every text read
// "Undefined"; the table the program carries is that file as it was built.
TEST(TPLang, ANewTableHoldsTheEnglishFileAsBuilt) {
    TPLang lang;
    TPLang file;
    file.LoadText(testing::ReadText(KORVEX_SOURCE_DATA_DIR "/lang/English.lang"));
    ASSERT_GT(file.EntryCount(), 141);
    EXPECT_EQ(lang.EntryCount(), file.EntryCount());
    EXPECT_EQ(lang.ProgramEntries(), file.EntryCount());
    for (int entry = 0; entry <= lang.EntryCount(); ++entry) {
        EXPECT_EQ(lang.GetText(entry), file.GetText(entry)) << entry;
    }
    EXPECT_EQ(lang.GetText(-1), "Undefined");
    lang.LoadLanguage("English"); // no folder yet: nothing to load
    EXPECT_EQ(lang.GetText(13), "Not Connected");
}

TEST(TPLang, LinesAreEntriesWhateverTheLineEnds) {
    TPLang lang;
    lang.LoadText("a\r\n\r\n  b  \nc\rd");
    ASSERT_EQ(lang.EntryCount(), 5);
    EXPECT_EQ(lang.GetText(0), "a");
    EXPECT_EQ(lang.GetText(1), ""); // an empty line is a valid entry
    EXPECT_EQ(lang.GetText(2), "  b  ");
    EXPECT_EQ(lang.GetText(3), "c");
    EXPECT_EQ(lang.GetText(4), "d");
    EXPECT_EQ(lang.GetText(5), "Undefined");

    lang.LoadText("x\n\n");
    EXPECT_EQ(lang.EntryCount(), 2);
    lang.LoadText("\xEF\xBB\xBFx\r");
    EXPECT_EQ(lang.EntryCount(), 1);
    EXPECT_EQ(lang.GetText(0), "x");
    lang.LoadText("");
    EXPECT_EQ(lang.EntryCount(), 0);
}

TEST(TPLang, LoadsFilesAndKeepsThePreviousTableWhenALoadFails) {
    TempDir dir;
    WriteText(dir / "lang" / "Full.lang", NumberedLines(141, "\n"));
    WriteText(dir / "Outside.lang", NumberedLines(3));
    std::filesystem::create_directory(dir / "lang" / "Folder.lang");
    TPLang lang(NumberedLines(141));
    lang.SetLangDir(dir / "lang");
    lang.SetLangDir(dir / "missing"); // ignored
    EXPECT_EQ(lang.LangDir(), dir / "lang");

    lang.LoadLanguage("Full");
    ASSERT_EQ(lang.EntryCount(), 141);
    EXPECT_EQ(lang.GetText(140), "Entry 140");
    EXPECT_EQ(lang.GetText(141), "Undefined");

    for (const char* name : {"Nothing", "Folder", "../Outside", "..", "", "full"}) {
        lang.LoadLanguage(name);
        EXPECT_EQ(lang.EntryCount(), 141) << name;
    }
}

TEST(TPLang, ListsLanguageFilesSortedWithoutExtension) {
    TempDir dir;
    TPLang lang("y\n");
    EXPECT_TRUE(lang.GetLanguages().empty());
    for (const char* name : {"Svenska.lang", "Deutsch.lang", "A&B.lang", "English.lang",
                             "notes.txt", "Upper.LANG", "English.lang.bak"}) {
        WriteText(dir / name, "x\n");
    }
    std::filesystem::create_directory(dir / "Folder.lang");
    lang.SetLangDir(dir.Path());
    const std::vector<std::string> expected = {"A&B", "Deutsch", "English", "Svenska"};
    EXPECT_EQ(lang.GetLanguages(), expected);
    EXPECT_EQ(lang.GetLanguages(), expected); // asking again does not pile up
    lang.LoadLanguage("A&B");
    EXPECT_EQ(lang.GetText(0), "x");
}

TEST(TPLang, TheUsersLanguagesJoinTheShippedOnesAndTakeTheirPlace) {
    TempDir dir;
    WriteText(dir / "program/lang/English.lang", "shipped English\n");
    WriteText(dir / "program/lang/Deutsch.lang", "shipped Deutsch\n");
    WriteText(dir / "user/lang/English.lang", "own English\n");
    WriteText(dir / "user/lang/Dansk.lang", "own Dansk\n");
    TPLang lang("built in\n");
    lang.SetLangDirs(TPDataFolders{dir / "program", dir / "user"});
    EXPECT_EQ(lang.LangDir(), dir / "user/lang");
    EXPECT_EQ(lang.GetLanguages(), (std::vector<std::string>{"Dansk", "Deutsch", "English"}));
    lang.LoadLanguage("English");
    EXPECT_EQ(lang.GetText(0), "own English");
    lang.LoadLanguage("Deutsch");
    EXPECT_EQ(lang.GetText(0), "shipped Deutsch");

    // Without a lang folder of the user's, the shipped one alone.
    TPLang shipped;
    shipped.SetLangDirs(TPDataFolders{dir / "program", dir / "nobody"});
    EXPECT_EQ(shipped.GetLanguages(), (std::vector<std::string>{"Deutsch", "English"}));
    // Neither folder there: the folders set before stay.
    shipped.SetLangDirs(TPDataFolders{dir / "gone", dir / "nobody"});
    EXPECT_EQ(shipped.LangDir(), dir / "program/lang");
}

// Fault: an empty or garbled English.lang in the user's data folder made
// every message "Undefined"; one with a line too many (a carriage return
// inside a line) put each text after it in the place of the next.
TEST(TPLang, ALanguageFileThatCannotBeOneGivesWayWithOneWarningNamingFileAndLine) {
    const std::string good = NumberedLines(10),
                      texts = " of the 10 texts the program has, one a line";
    const std::pair<std::string, std::string> cases[] = {
        {"", "it is empty"},
        {"Eintr\xE4g\n" + NumberedLines(9), "it is not UTF-8 text"},
        {NumberedLines(3), "it ends at line 3, short" + texts},
        {NumberedLines(11), "line 11 is one more than the 10 texts the program has, one a line"},
        {NumberedLines(3, "\n") + "Ent\rry 3\n" + NumberedLines(6, "\n"),
         "a carriage return inside line 4 splits it in two and moves every text after it down a "
         "line"}};
    // With the shipped file broken too, the built-in texts, both files named.
    for (const std::string& shipped : {good, std::string()}) {
        for (const auto& [user, said] : cases) {
            TempDir dir;
            WriteText(dir / "program/lang/English.lang", shipped);
            WriteText(dir / "user/lang/English.lang", user);
            TPLang lang(NumberedLines(10, "\n", "Built"));
            lang.SetLangDirs(TPDataFolders{dir / "program", dir / "user"});
            lang.LoadLanguage("English");
            EXPECT_EQ(lang.GetText(9), shipped.empty() ? "Built 9" : "Entry 9") << said;
            const auto problems = lang.TakeProblems();
            ASSERT_EQ(problems.size(), shipped.empty() ? 2u : 1u) << said;
            EXPECT_EQ(problems.front().Text(),
                      (dir / "user/lang/English.lang").string() + " cannot be used: " + said +
                          (shipped.empty()
                               ? "; the English texts built into the program are used instead"
                               : "; the one shipped with the program is used instead"));
            lang.LoadLanguage("English");
            EXPECT_TRUE(lang.TakeProblems().empty()) << "told once: " << said;
        }
    }
}

TEST(TPLang, ShippedLanguagesAreCompleteAndAlike) {
    TPLang lang;
    lang.SetLangDir(KORVEX_SOURCE_DATA_DIR "/lang");
    const std::vector<std::string> names = lang.GetLanguages();
    ASSERT_NE(std::find(names.begin(), names.end(), "English"), names.end());
    ASSERT_NE(std::find(names.begin(), names.end(), "Deutsch"), names.end());
    lang.LoadLanguage("English");
    const int count = lang.EntryCount();
    EXPECT_GE(count, 141);
    EXPECT_EQ(lang.GetText(13), "Not Connected");
    EXPECT_EQ(lang.GetText(121), "File found");
    EXPECT_EQ(lang.GetText(80), "help/English.html");
    EXPECT_EQ(lang.GetText(76) + " Test\r\n" + lang.GetText(77) + " ?",
              "Delete card type Test\r\nAre you sure ?");
    lang.LoadLanguage("Deutsch");
    EXPECT_EQ(lang.EntryCount(), count);
    // The loader field recognises this word in any language.
    EXPECT_EQ(lang.GetText(139), "Default");
    for (const std::string& name : names) {
        lang.LoadLanguage(name);
        EXPECT_EQ(lang.EntryCount(), count) << name;
        for (int entry : {8, 13, 14, 15, 121}) {
            EXPECT_FALSE(lang.GetText(entry).empty()) << name << " entry " << entry;
        }
    }
}

} // namespace korvex
