// korvex-cli as a new user meets it on the built-in simulator: every command
// ends with a line that says what happened, nothing stray is printed, card
// types are found however they are typed, and choices a card type does not
// have are refused.
#include "clirig.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace testing;

class CliNewUser : public CliE2e {
protected:
    ProgramResult Sim(const std::string& card, std::vector<std::string> args) const {
        args.insert(args.begin(), {"--port", "sim", "--card", card});
        return Cli(args);
    }
};

TEST_F(CliNewUser, EveryCommandEndsWithWhatItDid) {
    auto run = Sim("PIC16F84-24C16", {"--yes", "read", "eeprom", "-o", Path("ee.hex")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(Contains(run.out, "Default")) << run.out;
    EXPECT_TRUE(Contains(run.out, "Saved the read to")) << run.out;

    run = Sim("PIC16F84-24C16", {"erase", "pic"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "The processor has been erased.\n");

    run = Sim("AT90S8515-24C64", {"lock"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "The card has been locked.\n");
}

TEST_F(CliNewUser, AnAvrReadNeverDropsTheInternalEepromUnsaid) {
    auto run = Sim("AT90S8515-24C64", {"read", "pic", "-o", Path("flash.hex")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.err, "--data-out")) << run.err;

    run = Sim("AT90S8515-24C64",
              {"read", "pic", "-o", Path("flash2.hex"), "--data-out", Path("data.hex")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "Saved the internal eeprom to " + Path("data.hex"))) << run.out;
    EXPECT_TRUE(std::filesystem::exists(work / "data.hex"));
}

TEST_F(CliNewUser, CardTypesAreFoundWithoutRegardToCase) {
    auto run = Sim("pic16f84-24C16", {"fuses"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "Card type: PIC16F84-24C16")) << run.out;
    run = Sim("at90s8515-24c64", {"state"});
    EXPECT_EQ(run.exitCode, 0) << run.err;

    run = Sim("PIC99", {"fuses"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "no card type named \"PIC99\"")) << run.err;
    EXPECT_TRUE(Contains(run.err, "AT90S8515-24C64, ATmega161-24C256, PIC16F84")) << run.err;
}

TEST_F(CliNewUser, FuseChoicesACardTypeDoesNotHaveAreRefused) {
    UseProgramCopy();
    auto run = Cli({"--card", "AT90S8515-24C64", "fuses", "--watchdog", "off"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "--watchdog")) << run.err;
    run = Cli({"--card", "PIC16F84", "fuses", "--lock", "on"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "--lock")) << run.err;
    // Nothing was stored for either.
    run = Cli({"--card", "PIC16F84", "fuses"});
    EXPECT_TRUE(Contains(run.out, "Watchdog: off")) << run.out;
}

} // namespace
} // namespace korvex
