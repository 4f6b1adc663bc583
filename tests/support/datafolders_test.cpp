#include "common/scopedenv.h"
#include "common/tempdir.h"
#include "support/datafolders.h"
#include "support/errors.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvex {

using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteText;

namespace {

class DataFoldersTest : public ::testing::Test {
protected:
    TempDir dir;
    const std::filesystem::path program = dir / "program";
    const std::filesystem::path user = dir / "user";
    const TPDataFolders folders{program, user};
};

std::vector<std::string> Names(std::vector<std::filesystem::path> entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) {
        names.push_back(entry.parent_path().parent_path().filename().string() + "/" +
                        entry.filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(TPDataFolders, TheUsersFolderFollowsXdgDataHomeThenHome) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv xdg("XDG_DATA_HOME", "/tmp/data");
        EXPECT_EQ(TPDataFolders::DefaultUserFolder(), "/tmp/data/korvex");
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", "relative/data"); // not valid by the XDG rules
        EXPECT_EQ(TPDataFolders::DefaultUserFolder(), "/home/someone/.local/share/korvex");
    }
    ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(TPDataFolders::DefaultUserFolder(), "/home/someone/.local/share/korvex");
}

TEST(TPDataFolders, AProgramFolderAloneHasNoUserFolder) {
    const TPDataFolders alone = std::filesystem::path("/opt/korvex");
    EXPECT_FALSE(alone.HasUserFolder());
    EXPECT_EQ(alone.FindFile("cards/pics.cfg"), "/opt/korvex/cards/pics.cfg");
    EXPECT_EQ(alone.WriteTarget("options/options.ini"), "/opt/korvex/options/options.ini");
    EXPECT_EQ(alone.PrepareWrite("options/options.ini"), "/opt/korvex/options/options.ini");
    EXPECT_FALSE(std::filesystem::exists("/opt/korvex/options")) << "nothing is made";
}

TEST_F(DataFoldersTest, ReadingSeesTheUsersFileWhereThereIsOne) {
    WriteText(program / "cards/pics.cfg", "shipped");
    WriteText(program / "cards/eeproms.cfg", "shipped");
    WriteText(user / "cards/pics.cfg", "own");
    EXPECT_EQ(folders.FindFile("cards/pics.cfg"), user / "cards/pics.cfg");
    EXPECT_EQ(folders.FindFile("cards/eeproms.cfg"), program / "cards/eeproms.cfg");
    EXPECT_EQ(folders.FindFile("lang/English.lang"), program / "lang/English.lang");
}

TEST_F(DataFoldersTest, AWriteGoesWhereTheNextReadLooks) {
    WriteText(program / "options/options.ini", "shipped");
    // A program folder that can be written (a build tree, a portable copy).
    EXPECT_EQ(folders.PrepareWrite("options/options.ini"), program / "options/options.ini");
    EXPECT_FALSE(std::filesystem::exists(user)) << "nothing of the user's is made";

    // The user's copy, once there, is what reading sees, so writing too.
    WriteText(user / "options/options.ini", "own");
    EXPECT_EQ(folders.WriteTarget("options/options.ini"), user / "options/options.ini");
}

TEST_F(DataFoldersTest, WhatTheProgramFolderCannotTakeGoesToTheUsersFolder) {
    // A shipped file marked read-only (root's write permission does not count).
    WriteText(program / "cards/Gold.ini", "shipped");
    ::chmod((program / "cards/Gold.ini").c_str(), 0444);
    EXPECT_EQ(folders.PrepareWrite("cards/Gold.ini"), user / "cards/Gold.ini");
    EXPECT_TRUE(std::filesystem::is_directory(user / "cards")) << "its folder is made";

    // A program folder without the subfolder is given none.
    EXPECT_EQ(folders.PrepareWrite("options/options.ini"), user / "options/options.ini");
    EXPECT_FALSE(std::filesystem::exists(program / "options"));
    EXPECT_TRUE(std::filesystem::is_directory(user / "options"));
}

TEST_F(DataFoldersTest, AUserFolderThatCannotBeMadeFailsNamingTheShippedFile) {
    WriteText(dir / "blocked", "a file where the user's folder would be");
    const TPDataFolders blocked{program, dir / "blocked" / "korvex"};
    try {
        blocked.PrepareWrite("options/options.ini");
        FAIL() << "a folder inside a file was made";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Path(), (program / "options/options.ini").string());
        EXPECT_NE(std::string(e.what()).find(dir / "blocked" / "korvex" / "options"),
                  std::string::npos)
            << e.what();
    }
}

TEST_F(DataFoldersTest, ListingMergesBothFoldersTheUsersEntryWinning) {
    WriteText(program / "cards/A.ini", "");
    WriteText(program / "cards/B.ini", "");
    WriteText(user / "cards/B.ini", "");
    WriteText(user / "cards/C.ini", "");
    EXPECT_EQ(Names(folders.List("cards")),
              (std::vector<std::string>{"program/A.ini", "user/B.ini", "user/C.ini"}));
    EXPECT_TRUE(folders.List("lang").empty());
    EXPECT_EQ(Names(TPDataFolders(program).List("cards")),
              (std::vector<std::string>{"program/A.ini", "program/B.ini"}));
}

} // namespace korvex
