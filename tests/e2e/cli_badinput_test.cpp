// korvex-cli given input it cannot use: malformed or oversized image files,
// card types and processors that do not exist, settings it cannot write.
// Each must end in one clear message and the documented exit code, with the
// card and the files as they were.
#include "clirig.h"
#include "ptysim.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

namespace korvex {
namespace {

using namespace testing;

const std::string kPicCard = "PIC16F84-24C16";

class CliBadInput : public CliE2e {
protected:
    ProgramResult Card(const TPtySim& sim, std::vector<std::string> args) const {
        args.insert(args.begin(), {"--port", sim.Path(), "--card", kPicCard, "--log", Path("log")});
        std::filesystem::remove(work / "log");
        return Cli(args);
    }
    std::string Write(const std::string& name, const std::string& text) const {
        WriteText(work / name, text);
        return Path(name);
    }
    // The card as card84.hex and the sample image left it.
    static void ExpectUntouched(const TPtySim& sim) {
        EXPECT_EQ(Srec(sim.SaveDir() / "program.hex").HexText(0, 2048),
                  Filled(Srec(Fixture("gpasm/card84.hex")), 0, 2048, "FF3F"));
        EXPECT_EQ(Srec(sim.SaveDir() / "eeprom.hex").HexText(0, 2048),
                  Filled(Srec(Sample24c16()), 0, 2048, "FF"));
    }
};

TEST_F(CliBadInput, MalformedImagesAreNamedAndTheCardStaysAsItWas) {
    TPtySim sim({"--card", kPicCard, "--load-program", Fixture("gpasm/card84.hex").string(),
                 "--load-eeprom", Sample24c16().string()});
    ASSERT_FALSE(sim.Path().empty());
    const std::string good = HexData(0, {0x05, 0x28});
    const std::string malformed[] = {
        good + ":02000200ZZ28D1\r\n" + HexEnd(),   // not a hex digit
        good + ":0200020005280F\r\n" + HexEnd(),   // wrong checksum
        good + ":04000200052800\r\n" + HexEnd(),   // shorter than its count
        good + "020002000528CF\r\n" + HexEnd(),    // no colon
        good + ":020002060528C9\r\n" + HexEnd(),   // unknown record type
        std::string("\x01\x02\xFF binary junk\n"), // not text at all
    };
    int n = 0;
    for (const std::string& text : malformed) {
        SCOPED_TRACE(text);
        const std::string file = Write("bad" + std::to_string(++n) + ".hex", text);
        auto run = Card(sim, {"write", "pic", file});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err.rfind("korvex-cli: error: " + file, 0), 0u) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(ChangesTheCard(FrameCommands(ReadText(work / "log"))));
    }

    const std::string bad = Write("bad.hex", malformed[0]);
    const std::vector<std::vector<std::string>> commands = {
        {"auto", "--pic", Fixture("gpasm/card84.hex").string(), "--eeprom", bad},
        {"auto", "--pic", bad, "--eeprom", Sample24c16().string()},
        {"--yes", "write", "eeprom", bad},
        {"verify", "pic", bad},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[1] + " " + args[2]);
        auto run = Card(sim, args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(Contains(run.err, "error: " + bad)) << run.err;
        EXPECT_FALSE(ChangesTheCard(FrameCommands(ReadText(work / "log"))));
    }

    auto run = Card(sim, {"write", "pic", Path("missing.hex")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, Path("missing.hex") + ": no such file")) << run.err;
    run = Card(sim, {"write", "pic", Write("notes.txt", good + HexEnd())});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "not an image file")) << run.err;

    // Fault: an empty file was told in the window's words, "the row 'File to
    // Eeprom'", or, viewed, showed nothing and ended with 0.
    const std::string empty = Write("empty.bin", "");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--yes", "write", "eeprom", empty},
                                               {"verify", "pic", empty},
                                               {"auto", "--pic", empty},
                                               {"view", empty, "--eeprom"}}) {
        run = Card(sim, args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err + run.out,
                  "korvex-cli: error: " + empty + ": the file is empty: there is no image in it\n");
    }
    ASSERT_EQ(sim.Process().Stop(), 0);
    ExpectUntouched(sim);
}

TEST_F(CliBadInput, ImagesBiggerThanTheCardNameTheAddressTheyReach) {
    TPtySim sim({"--card", kPicCard, "--load-program", Fixture("gpasm/card84.hex").string(),
                 "--load-eeprom", Sample24c16().string()});
    ASSERT_FALSE(sim.Path().empty());
    // 16F84 program memory and 24C16 both end at byte 0x7FF.
    const std::string big =
        Write("big.hex", HexData(0x7F0, std::vector<std::uint8_t>(32, 0x12)) + HexEnd());
    const std::vector<std::vector<std::string>> commands = {
        {"write", "pic", big},
        {"auto", "--pic", big},
        {"--yes", "write", "eeprom", big},
        {"auto", "--pic", Fixture("gpasm/card84.hex").string(), "--eeprom", big},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[1] + " " + args[2]);
        auto run = Card(sim, args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(Contains(run.err, "error: " + big)) << run.err;
        EXPECT_TRUE(Contains(run.err, "0x080F")) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(ChangesTheCard(FrameCommands(ReadText(work / "log"))));
    }
    ASSERT_EQ(sim.Process().Stop(), 0);
    ExpectUntouched(sim);
}

TEST_F(CliBadInput, CardTypesThatDoNotExistAreBadUsage) {
    const std::vector<std::vector<std::string>> commands = {
        {"write", "pic", Fixture("gpasm/card84.hex").string()},
        {"read", "pic", "-o", Path("out.hex")},
        {"auto", "--pic", Fixture("gpasm/card84.hex").string()},
        {"fuses", "--watchdog", "on"},
        {"lock"},
        {"state"},
        {"firmware"},
        {"view", Fixture("gpasm/card84.hex").string()},
    };
    // Fault: without a port, "state" said "no port chosen" instead.
    for (const std::string port : {"sim", ""}) {
        for (auto args : commands) {
            SCOPED_TRACE(args[0] + " on port \"" + port + "\"");
            args.insert(args.begin(), {"--card", "Nope"});
            if (!port.empty()) {
                args.insert(args.begin(), {"--port", port});
            }
            auto run = Cli(args);
            EXPECT_EQ(run.exitCode, 2);
            EXPECT_TRUE(Contains(run.err, "no card type named \"Nope\"; the card types are: "))
                << run.err;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(work / "out.hex"));
}

TEST_F(CliBadInput, UnknownProcessorsAreRefusedWhenAddedAndWhenACardTypeNamesOne) {
    const auto cards = UseProgramCopy() / "cards";
    auto run = Cli({"card", "add", "Mine", "--description", "d", "--processor", "PIC 99",
                    "--eeprom", "24C16"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "unknown processor \"PIC 99\"")) << run.err;
    EXPECT_TRUE(Contains(run.err, "PIC 16F84") && Contains(run.err, "AT90S8515"))
        << "lists the valid ones: " << run.err;
    EXPECT_FALSE(std::filesystem::exists(cards / "Mine.ini"));

    WriteText(cards / "Odd.ini", "[CardType]\nCardName=Odd\nCardDescription=odd\n"
                                 "PicName=PIC 99X\nEepromName=24C16\n");
    run = Cli({"--card", "Odd", "fuses", "--watchdog", "on"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "\"PIC 99X\"")) << run.err;
    EXPECT_FALSE(Contains(ReadText(cards / "Odd.ini"), "WatchDog"));
    for (const char* command : {"auto", "lock"}) {
        SCOPED_TRACE(command);
        run = Cli({"--port", "sim", "--card", "Odd", command});
        EXPECT_GE(run.exitCode, 1);
        EXPECT_LE(run.exitCode, 2);
        EXPECT_TRUE(Contains(run.err, "\"PIC 99X\"")) << run.err;
        EXPECT_EQ(run.out, "");
    }
    // Such a card type can still be put right, or deleted.
    run = Cli({"card", "edit", "Odd", "--processor", "PIC 16F84"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Cli({"--card", "Odd", "fuses"}).exitCode, 0);
}

// Fault: a card type naming a processor the catalogue does not list makes
// "fuses" exit 2, but read, write, verify, erase, auto and lock exit 1,
// although the input is just as unusable.
TEST_F(CliBadInput, CardCommandsOnACardTypeWithAnUnknownProcessorAreBadUsage) {
    const auto cards = UseProgramCopy() / "cards";
    WriteText(cards / "Odd.ini", "[CardType]\nCardName=Odd\nCardDescription=odd\n"
                                 "PicName=PIC 99X\nEepromName=24C16\n");
    const std::vector<std::vector<std::string>> commands = {
        {"write", "pic", Fixture("gpasm/card84.hex").string()},
        {"verify", "pic", Fixture("gpasm/card84.hex").string()},
        {"read", "pic", "-o", Path("out.hex")},
        {"erase", "pic"},
        {"auto"},
        {"lock"},
    };
    for (auto args : commands) {
        SCOPED_TRACE(args[0]);
        args.insert(args.begin(), {"--port", "sim", "--card", "Odd"});
        EXPECT_EQ(Cli(args).exitCode, 2);
    }
}

TEST_F(CliBadInput, SettingsThatCannotBeWrittenFailAndStayAsTheyWere) {
    const auto folder = UseProgramCopy();
    BlockUserDataFolder();
    const auto options = folder / "options";
    const std::string keptOptions = ReadText(options / "options.ini");
    const auto entries = [](const std::filesystem::path& path) {
        return std::distance(std::filesystem::directory_iterator(path),
                             std::filesystem::directory_iterator());
    };

    if (::geteuid() != 0) {
        // root writes into any folder, so only others can see this refused.
        std::filesystem::permissions(options, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        auto run = Cli({"options", "--set", "Auto/WriteEe=off"});
        std::filesystem::permissions(options, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(Contains(run.err, "options.ini")) << run.err;
        EXPECT_EQ(ReadText(options / "options.ini"), keptOptions);
        EXPECT_EQ(entries(options), 1) << "no temporary file left";
    }

    // An options "folder" that is a file cannot be written by anybody.
    std::filesystem::rename(options, folder / "options.away");
    WriteText(options, "not a folder");
    auto run = Cli({"options", "--set", "Auto/WriteEe=off"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "options.ini")) << run.err;
    EXPECT_EQ(ReadText(options), "not a folder");

    // WriteFileAtomically leaves a file without write permission alone, for
    // root too.
    const auto card = folder / "cards" / (kPicCard + ".ini");
    const std::string keptCard = ReadText(card);
    const auto cardFiles = entries(folder / "cards");
    std::filesystem::permissions(card, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    run = Cli({"--card", kPicCard, "fuses", "--watchdog", "on"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, card.string())) << run.err;
    EXPECT_EQ(ReadText(card), keptCard);
    EXPECT_EQ(entries(folder / "cards"), cardFiles) << "no temporary file left";
}

// Fault: "options" prints each option's name before reading it, so when the
// options file cannot be made, stdout keeps a dangling "Auto/WriteEe=".
// Fault: an empty or garbled language file in the user's data folder turned
// every message into "Undefined", and so did the shipped one.
TEST_F(CliBadInput, LanguageFilesThatAreNoneGiveWayWithOneWarningEach) {
    const std::filesystem::path files[] = {data / "korvex/lang/English.lang",
                                           UseProgramCopy() / "lang/English.lang"};
    for (const auto& file : files) {
        WriteText(file, std::string("\0\x01\xFF", 3));
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--port", "sim", "state"},
          std::vector<std::string>{"--card", kPicCard, "fuses"}}) {
        const auto run = Cli(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_FALSE(Contains(run.out, "Undefined")) << run.out;
        for (const auto& file : files) {
            EXPECT_TRUE(Contains(run.err, file.string() + " cannot be used: it is not UTF-8 text"))
                << run.err;
        }
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
    }
}

TEST_F(CliBadInput, OptionsThatCannotBeReadLeaveNoHalfLine) {
    const auto options = UseProgramCopy() / "options";
    BlockUserDataFolder();
    std::filesystem::remove_all(options);
    WriteText(options, "not a folder");
    auto run = Cli({"options"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
}

} // namespace
} // namespace korvex
