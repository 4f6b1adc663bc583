// The card the built-in simulator keeps between runs of korvex-cli: a card
// without some memory, files left by older versions, and files spoilt on disk.
#include "clirig.h"

#include <gtest/gtest.h>

#include <sstream>

namespace korvex {
namespace {

using namespace testing;

using CliSimCard = CliE2e;

constexpr const char* kNoEepromCard = "PIC16F84";

// The lines of a text that contain `part`.
int LinesWith(const std::string& text, const std::string& part) {
    std::istringstream in(text);
    int count = 0;
    for (std::string line; std::getline(in, line);) {
        count += Contains(line, part) ? 1 : 0;
    }
    return count;
}

TEST_F(CliSimCard, ACardWithoutAnEepromIsKeptFromRunToRun) {
    const std::string program = Fixture("gpasm/card84.hex").string();
    const auto run = [&](std::vector<std::string> command) {
        command.insert(command.begin(), {"--port", "sim", "--card", kNoEepromCard, "--yes"});
        return Cli(command);
    };
    for (int time = 1; time <= 2; ++time) {
        SCOPED_TRACE(time);
        const auto write = run({"write", "pic", program});
        EXPECT_EQ(write.exitCode, 0) << write.err;
        EXPECT_FALSE(std::filesystem::exists(KeptCard(kNoEepromCard, "eeprom.hex")));
    }
    const auto verify = run({"verify", "pic", program});
    EXPECT_EQ(verify.exitCode, 0) << verify.err;
    EXPECT_EQ(LinesWith(verify.err, "warning"), 0) << verify.err;

    // What an older version kept for the missing EEPROM: no data at all. It
    // is no reason to fail, and the next save removes it.
    WriteText(KeptCard(kNoEepromCard, "eeprom.hex"), ":00000001FF\r\n");
    const auto again = run({"verify", "pic", program});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(LinesWith(again.err, "warning"), 0) << again.err;
    EXPECT_FALSE(std::filesystem::exists(KeptCard(kNoEepromCard, "eeprom.hex")));
}

TEST_F(CliSimCard, AKeptCardThatCannotBeLoadedStartsBlankWithOneWarning) {
    const std::string card = "PIC16F84-24C16";
    const std::string program = Fixture("gpasm/card84.hex").string();
    const auto run = [&](std::vector<std::string> command) {
        command.insert(command.begin(), {"--port", "sim", "--card", card, "--yes", "--quiet"});
        return Cli(command);
    };
    ASSERT_EQ(run({"write", "pic", program}).exitCode, 0);

    struct Spoilt {
        const char* file;
        std::string content;
    };
    for (const Spoilt& spoilt : {
             Spoilt{"program.hex", "this is no HEX file\n"},
             Spoilt{"data.hex", ":0200000001G2FF\r\n:00000001FF\r\n"},
             // More than the 24C16's 2048 bytes.
             Spoilt{"eeprom.hex", ":02100000ABCD76\r\n:00000001FF\r\n"},
         }) {
        SCOPED_TRACE(spoilt.file);
        ASSERT_EQ(run({"write", "pic", program}).exitCode, 0);
        WriteText(KeptCard(card, spoilt.file), spoilt.content);

        // The whole card starts blank: the program kept beside the bad file
        // is gone too, so the verify finds a difference.
        const auto verify = run({"verify", "pic", program});
        EXPECT_EQ(verify.exitCode, 1) << verify.err;
        EXPECT_EQ(LinesWith(verify.err, "warning"), 2)
            << "the blank card's and the verify's: " << verify.err;
        EXPECT_EQ(LinesWith(verify.err, "warning: " + KeptCard(card, spoilt.file).string()), 1)
            << verify.err;
        EXPECT_EQ(LinesWith(verify.err, "the simulated card starts blank"), 1) << verify.err;
        EXPECT_FALSE(Contains(verify.err, "cannot open")) << verify.err;

        // Saved blank at the end of that run, it loads again without a word.
        const auto write = run({"write", "pic", program});
        EXPECT_EQ(write.exitCode, 0) << write.err;
        EXPECT_FALSE(Contains(write.err, "warning")) << write.err;
    }

    // A card that cannot be kept is said to be lost, not kept in silence.
    std::filesystem::remove(KeptCard(card, "program.hex"));
    std::filesystem::create_directory(KeptCard(card, "program.hex"));
    const auto write = run({"write", "pic", program});
    EXPECT_EQ(write.exitCode, 0) << write.err;
    EXPECT_EQ(LinesWith(write.err, "warning: the simulated card could not be kept"), 1)
        << write.err;
}

} // namespace
} // namespace korvex
