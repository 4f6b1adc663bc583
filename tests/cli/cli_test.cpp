#include "common/hexrecords.h"
#include "common/runprogram.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace korvex {

using testing::HexData;
using testing::HexEnd;
using testing::ProgramResult;
using testing::RunProgram;
using testing::TempDir;
using testing::WriteText;

namespace {

ProgramResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data", KORVEX_PROGRAM_DIR});
    return RunProgram(KORVEX_CLI, args);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST(CliCards, ListsEveryShippedCardTypeWithItsCatalogueValues) {
    auto result = Cli({"cards", "--format", "tsv"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    auto lines = Lines(result.out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Name\tDescription\tProcessor\tEEPROM\tProcessor kind\tProgram size\t"
                        "Internal EEPROM size\tEEPROM kind\tEEPROM size");
    bool seen84 = false, seenAvr = false;
    for (const auto& line : lines) {
        seen84 = seen84 || line.find("\tPIC 16F84\t24C16\t3\t1024\t64\t") != std::string::npos;
        seenAvr = seenAvr || line.find("\tAT90S8515\t24C64\t8\t4096\t512\t") != std::string::npos;
    }
    EXPECT_TRUE(seen84) << result.out;
    EXPECT_TRUE(seenAvr) << result.out;
}

TEST(CliCards, TheTableNamesTheProcessorFamilyAndTheEeprom) {
    const auto result = Cli({"cards"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* row : {"Name +Family +Processor +EEPROM +Description\n",
                            "\nPIC16F84 +PIC +PIC 16F84 +none +PIC 16F84 card without external",
                            "\nAT90S8515-24C64 +AVR +AT90S8515 +24C64 +AT90S8515 card"}) {
        EXPECT_TRUE(std::regex_search(result.out, std::regex(row))) << row << '\n' << result.out;
    }
}

// What the tools answer besides a command, and to a command they do not have.
TEST(CliUsage, VersionAndUnknownCommands) {
    const std::string commands = "state, firmware, cards, view, read, write, verify, erase, auto, "
                                 "lock, options, fuses, card, records";
    struct Case {
        const char* program;
        std::vector<std::string> args;
        int exitCode;
        std::string out, err;
    };
    for (const Case& c : std::vector<Case>{
             {KORVEX_CLI, {"--version"}, 0, "korvex-cli " KORVEX_VERSION "\n", ""},
             {KORVEX_SIM, {"--version"}, 0, "korvex-sim " KORVEX_VERSION "\n", ""},
             {KORVEX_CLI,
              {"--port", "sim", "wirte", "pic"},
              2,
              "",
              "korvex-cli: error: unknown command 'wirte'; the commands are: " + commands + "\n"},
         }) {
        const auto run = RunProgram(c.program, c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.front();
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
    }
}

TEST(CliView, PrintsTheDumpOfAGpasmFile) {
    auto result = Cli({"view", std::string(KORVEX_FIXTURES_DIR) + "/gpasm/blink84.hex"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    auto lines = Lines(result.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].substr(0, 8), " 0000 : ");
    bool config = false, eeprom = false;
    for (const auto& line : lines) {
        config = config || line.rfind(" 4000 : ", 0) == 0;
        eeprom = eeprom || line.rfind(" 4200 : ", 0) == 0;
    }
    EXPECT_TRUE(config && eeprom) << result.out;
}

TEST(CliView, CardTypeDecidesTheKindAndEepromFilesAreDumpedPlain) {
    TempDir dir;
    WriteText(dir / "prog.hex", HexData(0, {0x0C, 0x94, 0x34, 0x00}) + HexEnd());
    auto avr = Cli({"view", (dir / "prog.hex").string(), "--card", "AT90S8515-24C64"});
    ASSERT_EQ(avr.exitCode, 0) << avr.err;
    EXPECT_EQ(avr.out, " 0000 : 940C0034\n");
    auto same = Cli({"view", (dir / "prog.hex").string(), "--avr"});
    EXPECT_EQ(same.out, avr.out);
    auto ee = Cli({"view", (dir / "prog.hex").string(), "--eeprom"});
    EXPECT_EQ(ee.out, " 0000 : 0C943400\n");
}

TEST(CliHelp, EveryCommandsHelpNamesTheOptionsOfTheWholeTool) {
    for (const char* command : {"state", "firmware", "cards", "view", "read", "write", "verify",
                                "erase", "auto", "lock", "options", "fuses", "card"}) {
        const auto result = Cli({command, "--help"});
        EXPECT_EQ(result.exitCode, 0) << command;
        for (const char* option :
             {"--data", "--port", "--speed", "--card", "--yes", "--quiet", "--log"}) {
            EXPECT_NE(result.out.find(option), std::string::npos) << command << ' ' << option;
        }
    }
    // view has a --card of its own; its help shows that one only.
    const std::string view = Cli({"view", "--help"}).out;
    EXPECT_EQ(view.find("Card type to work with"), std::string::npos) << view;
}

TEST(CliErrors, OneClearLineOnStderrAndExitCodeTwo) {
    TempDir dir;
    WriteText(dir / "bad.hex", ":0200000001G2FF\r\n" + HexEnd());
    WriteText(dir / "notes.txt", "not an image\n");
    struct Case {
        std::vector<std::string> args;
        std::string mentions;
    };
    std::vector<Case> cases{
        {{"view", (dir / "missing.hex").string()}, "missing.hex"},
        {{"view", (dir / "bad.hex").string()}, "bad.hex:1:"},
        {{"view", (dir / "bad.hex").string(), "--card", "No Such Card"}, "No Such Card"},
        // Neither HEX nor binary by its name: no empty dump that looks like an image.
        {{"view", (dir / "notes.txt").string()}, "notes.txt: not an image file"},
        {{"view", (dir / "notes.txt").string(), "--eeprom"}, ".hex or .bin"},
        {{"view", (dir / "notes.txt").string(), "--avr"}, ".hex or .bin"},
        // Refused before anything is tried, and never echoed with the password.
        {{"records", "--db", "host=db password=s3cret"}, "string host=db holds a password"},
        {{"--port", "sim", "auto", "--watch", "--db", "postgresql://db/k?pass%77ord=s3cret"},
         "URI postgresql://db/k holds a password"},
        {{"records", "--record", "r.csv", "--audit", "--since", "2026-12-07"}, "--since and"},
    };
    for (const auto& c : cases) {
        auto result = Cli(c.args);
        EXPECT_EQ(result.exitCode, 2) << c.mentions;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
        EXPECT_NE(result.err.find(c.mentions), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("s3cret"), std::string::npos) << result.err;
    }

    // A program folder without catalogues.
    auto noCatalogue = RunProgram(KORVEX_CLI, {"--data", dir.Path().string(), "cards"});
    EXPECT_EQ(noCatalogue.exitCode, 2);
    EXPECT_NE(noCatalogue.err.find("pics.cfg: no such file"), std::string::npos) << noCatalogue.err;

    auto usage = Cli({"frobnicate"});
    EXPECT_EQ(usage.exitCode, 2);

    // The command was right; the database failed it.
    for (const std::string more : {"", "--audit", "--sync"}) {
        std::vector<std::string> args = {"records", "--db", "postgresql://korvex@/k?host=/none",
                                         "--record", (dir / "r.csv").string()};
        if (more.empty()) {
            args.resize(3);
        } else {
            args.push_back(more);
        }
        auto away = Cli(args);
        EXPECT_EQ(away.exitCode, 1) << more;
        EXPECT_EQ(away.err.rfind("korvex-cli: error: Cannot connect to the database", 0), 0u)
            << away.err;
    }
}

} // namespace korvex
