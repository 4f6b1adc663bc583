// korvex-cli run by an ordinary user from a program folder that user cannot
// change, as a package installs it.
#include "installedrig.h"

#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace korvex {
namespace {

using namespace testing;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Every file below the folder with its contents, to show nothing changed.
std::map<std::string, std::string> Files(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename() != "korvex-cli") {
            files[entry.path().string()] = ReadText(entry.path());
        }
    }
    return files;
}

const std::string kShipped = "PIC16F84-24C16";

// The shipped files end their lines with CR LF, and copies keep that.
std::string LfText(const std::filesystem::path& file) {
    std::string text = ReadText(file);
    std::erase(text, '\r');
    return text;
}

// Fault: one card type file the user cannot read made "cards" fail as a
// whole, hiding every card type.
TEST_F(InstalledCli, ACardTypeFileTheUserCannotReadIsLeftOutWithAWarning) {
    const auto secret = program / "cards" / "Secret.ini";
    WriteText(secret, "[CardType]\nCardName=Secret\n");
    ::chmod(secret.c_str(), 0);
    SealProgramFolder();

    const auto run = Cli({"cards", "--format", "tsv"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "\nPIC16F84-24C16\t")) << run.out;
    EXPECT_FALSE(Contains(run.out, "Secret")) << run.out;
    EXPECT_EQ(run.err, "korvex-cli: warning: " + secret.string() +
                           ": Permission denied; it is left out of the card types\n");
}

// Fault: with the program folder read-only, as a package installs it, a
// new card type could not be added anywhere.
TEST_F(InstalledCli, ANewCardTypeGoesToTheUsersFolderAndIsListedBesideTheShippedOnes) {
    SealProgramFolder();
    const auto shipped = Files(program);
    auto run = Cli({"card", "add", "Mine", "--description", "My card", "--processor", "PIC 16F628",
                    "--eeprom", "24C02"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Added card type Mine\n");
    EXPECT_TRUE(Contains(ReadText(UserFile("cards/Mine.ini")), "CardName=Mine\n"));

    run = Cli({"cards", "--format", "tsv"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "\nMine\tMy card\tPIC 16F628\t24C02\t")) << run.out;
    EXPECT_TRUE(Contains(run.out, "\n" + kShipped + "\t")) << run.out;

    run = Cli({"card", "edit", "Mine", "--description", "Changed"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(Cli({"cards", "--format", "tsv"}).out, "\nMine\tChanged\t"));
    run = Cli({"--yes", "card", "delete", "Mine"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(std::filesystem::exists(UserFile("cards/Mine.ini")));
    EXPECT_EQ(Files(program), shipped);
}

// Fault: saving a shipped card type's fuse choices failed on the read-only
// program folder.
TEST_F(InstalledCli, FuseChoicesOfAShippedCardTypeAreKeptInTheUsersCopy) {
    SealProgramFolder();
    const auto shipped = Files(program);
    auto run = Cli({"--card", kShipped, "fuses", "--watchdog", "off"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string own = LfText(UserFile("cards/" + kShipped + ".ini"));
    EXPECT_TRUE(Contains(own, "CardName=" + kShipped + "\n")) << own;
    EXPECT_TRUE(Contains(own, "EepromName=24C16\n")) << own;
    EXPECT_TRUE(Contains(own, "WatchDog=1\n")) << own;

    run = Cli({"--card", kShipped, "fuses", "--watchdog", "on", "--oscillator", "HS"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = Cli({"--card", kShipped, "fuses"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "Watchdog: on\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "Oscillator: HS\n")) << run.out;
    EXPECT_EQ(Files(program), shipped);
}

// Fault: changing an option failed on the read-only program folder.
TEST_F(InstalledCli, OptionsAreChangedInTheUsersOptionsFile) {
    SealProgramFolder();
    const auto shipped = Files(program);
    auto run = Cli({"options", "--set", "Auto/WriteEe=off"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(LfText(UserFile("options/options.ini")), "WriteEe=0\n"));
    run = Cli({"options"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "Auto/WriteEe=off\nAuto/VerifyEe=on\n")) << run.out;
    EXPECT_EQ(Files(program), shipped);
}

TEST_F(InstalledCli, AShippedCardTypeCannotBeDeletedAndSaysWhy) {
    SealProgramFolder();
    const auto shipped = Files(program);
    // Also not once the user keeps a copy of it: the shipped one would return.
    ASSERT_EQ(Cli({"--card", kShipped, "fuses", "--watchdog", "on"}).exitCode, 0);
    const auto run = Cli({"--yes", "card", "delete", kShipped});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Contains(run.err, "\"" + kShipped +
                                      "\" comes with the program and cannot be "
                                      "deleted"))
        << run.err;
    EXPECT_TRUE(std::filesystem::exists(UserFile("cards/" + kShipped + ".ini")));
    EXPECT_TRUE(Contains(Cli({"cards", "--format", "tsv"}).out, "\n" + kShipped + "\t"));
    EXPECT_EQ(Files(program), shipped);
}

} // namespace
} // namespace korvex
