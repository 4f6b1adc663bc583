// korvex-cli changing what is kept beside the program: the write and verify
// options, and the card types.
#include "clirig.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>

namespace korvex {
namespace {

using namespace testing;

const std::string kAllOn = "Auto/WriteEe=on\nAuto/VerifyEe=on\nAuto/WritePic=on\n"
                           "Auto/VerifyPic=on\nWriteEeprom/WriteEe=on\nWriteEeprom/VerifyEe=on\n"
                           "WritePic/WritePic=on\nWritePic/VerifyPic=on\nLine/StepRetries=2\n";

using CliOptions = CliE2e;

TEST_F(CliOptions, SetOptionsAreKeptAndRefusedOnesChangeNothing) {
    const auto file = UseProgramCopy() / "options" / "options.ini";
    auto run = Cli({"options"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kAllOn);

    // Names in any letter case, as the user may type them.
    run = Cli({"options", "--set", "Auto/WriteEe=off", "--set", "auto/verifyee=OFF", "--set",
               "WritePic/VerifyPic=off", "--set", "line/stepretries=0"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string changed = "Auto/WriteEe=off\nAuto/VerifyEe=off\nAuto/WritePic=on\n"
                                "Auto/VerifyPic=on\nWriteEeprom/WriteEe=on\n"
                                "WriteEeprom/VerifyEe=on\nWritePic/WritePic=on\n"
                                "WritePic/VerifyPic=off\nLine/StepRetries=0\n";
    EXPECT_EQ(run.out, changed);
    EXPECT_EQ(Cli({"options"}).out, changed);

    const std::string kept = ReadText(file);
    for (const char* wrong :
         {"Auto/Bogus=off", "Auto/WriteEe=maybe", "AutoWriteEe", "Line/StepRetries=10"}) {
        SCOPED_TRACE(wrong);
        // A wrong one spoils the right ones beside it too.
        run = Cli({"options", "--set", "WritePic/WritePic=off", "--set", wrong});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(Contains(run.err, "korvex-cli: ")) << run.err;
        EXPECT_EQ(ReadText(file), kept);
    }
    run = Cli({"options", "--set", "Nope/WriteEe=on"});
    EXPECT_TRUE(Contains(run.err, "Auto/WriteEe, Auto/VerifyEe")) << "lists the options";
}

TEST_F(CliOptions, TheAutoProgramLeavesOutTheStepsSwitchedOff) {
    UseProgramCopy();
    ASSERT_EQ(Cli({"options", "--set", "Auto/WriteEe=off", "--set", "Auto/VerifyEe=off"}).exitCode,
              0);
    const std::string card = "PIC16F84-24C16";
    auto run = Cli(
        {"--port", "sim", "--card", card, "auto", "--pic", Fixture("gpasm/card84.hex").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Auto program finished.\n");
    EXPECT_EQ(run.err, "Configuration word 3FF2 (from the program file " +
                           Fixture("gpasm/card84.hex").string() +
                           ")\nWriting pic...\nVerifying pic...\n");
    EXPECT_EQ(Srec(KeptCard(card, "eeprom.hex")).HexText(0, 2048), Repeat("FF", 2048));
    EXPECT_EQ(Srec(KeptCard(card, "program.hex")).HexText(0, 2),
              Srec(Fixture("gpasm/card84.hex")).HexText(0, 2));
}

using CliCardTypes = CliE2e;

TEST_F(CliCardTypes, AddedCardTypesCanBeChangedAndAreDeletedOnlyWithAYes) {
    const auto cards = UseProgramCopy() / "cards";
    const auto file = cards / "Mine.ini";
    auto run = Cli({"card", "add", "Mine", "--description", "My card", "--processor", "pic 16f628",
                    "--eeprom", "24c02"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Added card type Mine\n");
    // The catalogue's own spelling is stored.
    EXPECT_TRUE(Contains(Cli({"cards", "--format", "tsv"}).out,
                         "\nMine\tMy card\tPIC 16F628\t24C02\t4\t2048\t"));

    run = Cli({"card", "add", "Mine", "--description", "Again", "--processor", "PIC 16F84",
               "--eeprom", "None"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "exists already")) << run.err;
    EXPECT_TRUE(Contains(ReadText(file), "My card"));

    run = Cli({"card", "edit", "Mine", "--description", "Renamed card"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Changed card type Mine\n");
    run = Cli({"card", "edit", "Mine", "--processor", "at90s8515"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(Cli({"cards", "--format", "tsv"}).out,
                         "\nMine\tRenamed card\tAT90S8515\t24C02\t8\t"));
    run = Cli({"--card", "Mine", "fuses"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Card type: Mine\nLock: off\n");

    run = Cli({"card", "delete", "Mine"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "--yes")) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(std::filesystem::exists(file));

    run = Cli({"--yes", "card", "delete", "Mine"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Deleted card type Mine\n");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(Contains(Cli({"cards", "--format", "tsv"}).out, "\nMine\t"));
    EXPECT_TRUE(std::filesystem::exists(cards / "PIC16F84-24C16.ini")) << "only that one goes";
}

TEST_F(CliCardTypes, ChangesThatCannotBeMadeAreRefusedWithTheReason) {
    const auto cards = UseProgramCopy() / "cards";
    auto run = Cli({"card", "edit", "Ghost", "--description", "x"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "no card type named \"Ghost\"")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(cards / "Ghost.ini"));

    run = Cli({"card", "add", "NoText", "--processor", "PIC 16F84", "--eeprom", "None"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "--description")) << run.err;

    run = Cli({"card", "add", "BadEeprom", "--description", "d", "--processor", "PIC 16F84",
               "--eeprom", "99C99"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "unknown eeprom \"99C99\"")) << run.err;
    EXPECT_TRUE(Contains(run.err, "24C16")) << "lists the known ones: " << run.err;
    EXPECT_FALSE(std::filesystem::exists(cards / "NoText.ini"));
    EXPECT_FALSE(std::filesystem::exists(cards / "BadEeprom.ini"));
}

// Fault: a name with a blank at either end was taken, and made a file the
// card type could never be found by again (the file keeps the name trimmed).
TEST_F(CliCardTypes, ANameTheFileWouldNotKeepIsBadUsageAndSaysWhy) {
    const auto cards = UseProgramCopy() / "cards";
    const auto before = std::distance(std::filesystem::directory_iterator(cards),
                                      std::filesystem::directory_iterator());
    for (const std::string name : {" Gold", "Gold ", "Two\nLines", "tab\tbed"}) {
        SCOPED_TRACE(name);
        const auto run = Cli({"card", "add", name, "--description", "d", "--processor", "PIC 16F84",
                              "--eeprom", "None"});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(Contains(run.err, "korvex-cli: error: Card type name \"")) << run.err;
        EXPECT_TRUE(Contains(run.err, "must not start or end with a blank, nor hold /, \\, \"..\" "
                                      "or control characters"))
            << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(cards),
                            std::filesystem::directory_iterator()),
              before);
}

// Fault: deleting a card type that does not exist exits 1, where editing one
// (and naming one with --card) exits 2 as bad usage.
TEST_F(CliCardTypes, DeletingAnUnknownCardTypeIsBadUsage) {
    UseProgramCopy();
    auto run = Cli({"--yes", "card", "delete", "Ghost"});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_TRUE(Contains(run.err, "Ghost")) << run.err;
}

} // namespace
} // namespace korvex
