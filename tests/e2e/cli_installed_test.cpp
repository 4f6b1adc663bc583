// korvex-cli run by an ordinary user from a program folder that user cannot
// change, as a package installs it.
#include "installedrig.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvex {
namespace {

using namespace testing;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Fault: one card type file the user cannot read made "cards" fail as a
// whole, hiding every card type.
TEST_F(InstalledCli, ACardTypeFileTheUserCannotReadIsLeftOutWithAWarning) {
    const auto secret = program / "cards" / "Secret.ini";
    WriteText(secret, "[CardType]\nCardName=Secret\n");
    ::chmod(secret.c_str(), 0);
    SealProgramFolder();

    const auto run = Cli({"cards"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "\nPIC16F84-24C16\t")) << run.out;
    EXPECT_FALSE(Contains(run.out, "Secret")) << run.out;
    EXPECT_EQ(run.err, "korvex-cli: warning: " + secret.string() +
                           ": Permission denied; it is left out of the card types\n");
}

} // namespace
} // namespace korvex
