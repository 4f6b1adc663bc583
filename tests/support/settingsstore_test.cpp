#include "common/scopedenv.h"
#include "common/tempdir.h"
#include "support/errors.h"
#include "support/settingsstore.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::ReadText;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteText;

TEST(TPSettingsStore, DefaultFolderHonoursXdgConfigHomeThenHome) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/tmp/cfg");
        EXPECT_EQ(TPSettingsStore::DefaultFolder(), std::filesystem::path("/tmp/cfg/korvex"));
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/cfg");
        EXPECT_EQ(TPSettingsStore::DefaultFolder(), "/home/someone/.config/korvex");
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(TPSettingsStore::DefaultFolder(), "/home/someone/.config/korvex");
}

TEST(TPSettingsStore, ReadingAMissingStoreGivesNothingAndCreatesNothing) {
    TempDir dir;
    TPSettingsStore store(dir / "korvex");
    EXPECT_EQ(store.Folder(), dir / "korvex");
    EXPECT_FALSE(store.Exists());
    EXPECT_EQ(store.ReadInteger(TPSettingsStore::kComPort), std::nullopt);
    EXPECT_EQ(store.ReadString(TPSettingsStore::kLang), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(dir / "korvex"));
}

TEST(TPSettingsStore, RoundTripCreatesFolderAndKeepsValuesApart) {
    TempDir dir;
    TPSettingsStore store(dir / "a" / "korvex");
    store.WriteInteger(TPSettingsStore::kSpeed, 9600);
    EXPECT_TRUE(store.Exists());
    store.Write({{"ComPort", "3"}, {"Card", "-2"}, {"Lang", "Deutsch"}});
    store.WriteString(TPSettingsStore::kLang, "English");

    TPSettingsStore other(dir / "a" / "korvex"); // nothing cached in between
    EXPECT_EQ(other.ReadInteger(TPSettingsStore::kSpeed), 9600);
    EXPECT_EQ(other.ReadInteger(TPSettingsStore::kComPort), 3);
    EXPECT_EQ(other.ReadInteger(TPSettingsStore::kCard), -2);
    EXPECT_EQ(other.ReadString("lang"), "English");
    EXPECT_EQ(other.ReadInteger(TPSettingsStore::kLang), std::nullopt); // not a number
    EXPECT_EQ(ReadText(store.FilePath()),
              "[Korvex]\nSpeed=9600\nComPort=3\nCard=-2\nLang=English\n");

    WriteText(store.FilePath(), "[Korvex]\nLang=\nCard=0x2\n[Other]\nComPort=4\n");
    EXPECT_EQ(other.ReadString(TPSettingsStore::kLang), ""); // present but empty
    EXPECT_EQ(other.ReadInteger(TPSettingsStore::kCard), 2);
    EXPECT_EQ(other.ReadInteger(TPSettingsStore::kComPort), std::nullopt);
}

TEST(TPSettingsStore, UnwritableStoreThrowsAndUnreadableOneReadsEmpty) {
    TempDir dir;
    WriteText(dir / "file", "not a folder");
    TPSettingsStore blocked(dir / "file" / "korvex");
    try {
        blocked.WriteInteger(TPSettingsStore::kCard, 1);
        FAIL() << "wrote below a file";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.what(), "Unable to write to " + blocked.FilePath().string());
    }

    std::filesystem::create_directories(dir / "odd" / "settings.ini");
    TPSettingsStore odd(dir / "odd");
    EXPECT_EQ(odd.ReadInteger(TPSettingsStore::kCard), std::nullopt);
    EXPECT_THROW(odd.WriteInteger(TPSettingsStore::kCard, 1), EIniFileException);
}

} // namespace korvex
