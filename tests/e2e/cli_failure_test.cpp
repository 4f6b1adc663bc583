// korvex-cli when the card, the line or the user does not go along: no card
// in the slot, a card pulled out halfway, a question nobody answers, a read
// that cannot be saved. Each ends with exit code 1 (2 for bad usage), no
// success line, and neither the card nor any file half done.
#include "backgroundcli.h"
#include "clirig.h"
#include "ptysim.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {
namespace {

using namespace testing;

const std::string kPicCard = "PIC16F84-24C16";
const std::string kNotReady = "The card is not ready. Insert a card into the programmer and try "
                              "again.";

std::set<std::string> Entries(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class CliFailure : public CliE2e {
protected:
    ProgramResult Card(const TPtySim& sim, std::vector<std::string> args) const {
        args.insert(args.begin(), {"--port", sim.Path(), "--card", kPicCard, "--log", Path("log")});
        std::filesystem::remove(work / "log");
        return Cli(args);
    }
    std::string Frames() const { return FrameCommands(ReadText(work / "log")); }
    static std::string Program(const TPtySim& sim) {
        return Srec(sim.SaveDir() / "program.hex").HexText(0, 2048);
    }
    static std::string Eeprom(const TPtySim& sim) {
        return Srec(sim.SaveDir() / "eeprom.hex").HexText(0, 2048);
    }
};

TEST_F(CliFailure, AnEmptySlotRefusesEveryCardCommand) {
    TPtySim sim({"--card", kPicCard, "--absent"});
    ASSERT_FALSE(sim.Path().empty());
    const std::string program = Fixture("gpasm/card84.hex").string();
    // The auto program words it as it always has: programmer or card.
    const std::string autoNotReady = "The programmer is not connected or no card is inserted.";
    const std::vector<std::pair<std::vector<std::string>, std::string>> commands = {
        {{"write", "pic", program}, kNotReady},
        {{"verify", "pic", program}, kNotReady},
        {{"read", "pic", "-o", Path("out.hex")}, kNotReady},
        {{"auto", "--pic", program, "--eeprom", Sample24c16().string()}, autoNotReady},
        {{"--yes", "write", "eeprom", Sample24c16().string()}, kNotReady},
        {{"--yes", "read", "eeprom", "-o", Path("out.hex")}, kNotReady},
        {{"erase", "pic"}, kNotReady},
    };
    for (const auto& [args, message] : commands) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        auto run = Card(sim, args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(Contains(run.err, "error: " + message)) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(ChangesTheCard(Frames())) << Frames();
    }
    EXPECT_FALSE(std::filesystem::exists(work / "out.hex"));
    ASSERT_EQ(sim.Process().Stop(), 0);
    EXPECT_EQ(Program(sim), Repeat("FF3F", 1024));
}

TEST_F(CliFailure, ACardPulledOutHalfwayFailsWithoutAnySuccessLine) {
    const std::string program = Fixture("gpasm/card84.hex").string();
    {
        TPtySim sim({"--card", kPicCard, "--fault", "pull@B20"});
        ASSERT_FALSE(sim.Path().empty());
        auto run = Card(sim, {"write", "pic", program});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(Contains(run.err, "error: Failed to write card !")) << run.err;
        EXPECT_EQ(run.out, "");
        run = Card(sim, {"verify", "pic", program});
        EXPECT_EQ(run.exitCode, 1) << "the card is still out";
    }
    {
        TPtySim sim({"--card", kPicCard, "--fault", "pull@B20"});
        ASSERT_FALSE(sim.Path().empty());
        auto run = Card(sim, {"auto", "--pic", program, "--eeprom", Sample24c16().string()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_FALSE(Contains(run.out, "finished")) << run.out;
        EXPECT_TRUE(Contains(run.err, "error: ")) << run.err;
    }
    // A read cut short is no image: nothing is saved.
    TPtySim sim({"--card", kPicCard, "--load-program", program, "--fault", "pull@E10"});
    ASSERT_FALSE(sim.Path().empty());
    auto run = Card(sim, {"read", "pic", "-o", Path("out.hex")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "error: ")) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Entries(work.Path()), (std::set<std::string>{"log"}));
}

TEST_F(CliFailure, AQuestionWithoutAYesStopsBeforeTheCardIsTouched) {
    TPtySim sim({"--card", kPicCard, "--load-program", Fixture("gpasm/card84.hex").string(),
                 "--load-eeprom", Sample24c16().string()});
    ASSERT_FALSE(sim.Path().empty());
    const std::vector<std::vector<std::string>> commands = {
        {"write", "eeprom", Fixture("avr/blink_eeprom.hex").string()},
        {"erase", "eeprom"},
        {"verify", "eeprom", Sample24c16().string()},
        {"read", "eeprom", "-o", Path("out.hex")},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0]);
        auto run = Card(sim, args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(Contains(run.err, "give --yes")) << run.err;
        EXPECT_EQ(run.out, "");
        // The programmer was asked, but not even the loader has gone in.
        EXPECT_TRUE(Contains(Frames(), "P")) << Frames();
        EXPECT_FALSE(ChangesTheCard(Frames())) << Frames();
    }
    EXPECT_FALSE(std::filesystem::exists(work / "out.hex"));
    ASSERT_EQ(sim.Process().Stop(), 0);
    EXPECT_EQ(Program(sim), Filled(Srec(Fixture("gpasm/card84.hex")), 0, 2048, "FF3F"));
    EXPECT_EQ(Eeprom(sim), Filled(Srec(Sample24c16()), 0, 2048, "FF"));
}

// Fault: "read pic -o /nonexistent/dir/x.hex" read the whole card and only
// then said it could not write.
TEST_F(CliFailure, AReadThatCannotBeSavedLeavesNoFileBehind) {
    // The built-in simulator: the save is what matters here.
    const TempDir logs;
    const auto read = [&](std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"--port", "sim", "--card", kPicCard, "--log", (logs / "log").string()});
        auto run = Cli(args);
        EXPECT_EQ(FrameCommands(ReadText(logs / "log")).find_first_of("BCDEFGHIJ"),
                  std::string::npos)
            << "checked before the card is touched";
        return run;
    };
    auto run = read({"read", "pic", "-o", Path("missing") + "/out.hex"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "the folder " + Path("missing") + " does not exist")) << run.err;
    WriteText(work / "plain", "a file");
    std::filesystem::create_directory(work / "folder.hex");
    WriteText(work / "kept.hex", "old");
    const std::set<std::string> before = Entries(work.Path());

    run = read({"read", "pic", "-o", Path("plain") + "/out.hex"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "error: " + Path("plain") + "/out.hex")) << run.err;
    EXPECT_EQ(run.out, "");

    run = read({"--yes", "read", "pic", "-o", Path("folder.hex")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "error: " + Path("folder.hex"))) << run.err;
    run = read({"--yes", "read", "eeprom", "-o", Path("folder.hex")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(std::filesystem::is_empty(work / "folder.hex"));

    // Without --yes an existing file is not overwritten, and the question
    // comes before the card is touched: an eeprom's read writes the loader.
    for (const char* memory : {"pic", "eeprom"}) {
        run = read({"read", memory, "-o", Path("kept.hex")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(Contains(run.err, "not overwritten")) << run.err;
        EXPECT_EQ(ReadText(work / "kept.hex"), "old");
    }
    EXPECT_EQ(Entries(work.Path()), before) << "no temporary file left";

    // Two results named into one file: the second would replace the first.
    run = read({"--yes", "read", "pic", "-o", Path("one.hex"), "--data-out",
                (work / "." / "one").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "are one file")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(work / "one.hex"));

    // The name as given: another case is another file, not kept.hex replaced.
    run =
        Cli({"--port", "sim", "--card", kPicCard, "--yes", "read", "pic", "-o", Path("Kept.HEX")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(work / "Kept.HEX"));
    EXPECT_EQ(ReadText(work / "kept.hex"), "old");

    if (::geteuid() != 0) {
        // root writes into any folder, so only others can see this refused.
        const auto locked = work / "locked";
        std::filesystem::create_directory(locked);
        std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
        run = read({"read", "pic", "-o", (locked / "out.hex").string()});
        std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(std::filesystem::is_empty(locked));
    }
}

// Fault: as root, "--log /dev/full" turned the device into a file, and a FIFO
// named as the record held the run for ever.
TEST_F(CliFailure, ALogOrRecordThatIsNoFileIsRefusedBeforeAnythingIsSent) {
    ASSERT_EQ(::mkfifo((work / "fifo").c_str(), 0666), 0);
    const std::vector<std::string> runs[] = {
        {"--log", Path("fifo"), "state"},
        {"--log", Path("fifo"), "--yes", "write", "pic", Fixture("gpasm/card84.hex").string()},
        {"auto", "--pic", Fixture("gpasm/card84.hex").string(), "--watch", "--record",
         Path("fifo")},
        {"read", "pic", "-o", Path("fifo")}};
    for (const auto& args : runs) {
        std::vector<std::string> all = {"--port", "sim", "--card", kPicCard};
        all.insert(all.end(), args.begin(), args.end());
        TBackgroundCli cli(all, "/dev/null", Path("out"), Path("err"));
        EXPECT_EQ(cli.Wait(), 1) << args.back();
        EXPECT_TRUE(Contains(ReadText(work / "err"), "korvex-cli: error: " + Path("fifo") +
                                                         ": is a FIFO (named pipe), not a file"))
            << ReadText(work / "err");
        EXPECT_EQ(std::filesystem::status(work / "fifo").type(), std::filesystem::file_type::fifo);
        EXPECT_EQ(ReadText(work / "out"), "") << "no state of a port never opened";
        EXPECT_FALSE(std::filesystem::exists(work / "fifo.hex")) << "nothing made beside it";
    }
    EXPECT_FALSE(std::filesystem::exists(KeptCard(kPicCard, "program.hex"))) << "nothing sent";
}

// Faults: "--log mydata.hex" replaced the file without a question, where -o
// asks; "-o /dev/null" as root made a file "/dev/null.hex".
TEST_F(CliFailure, ALogIsReplacedOnlyWhenTheUserSaysSo) {
    WriteText(work / "kept", "old");
    for (const bool yes : {false, true}) {
        std::vector<std::string> args{"--port", "sim", "--card", kPicCard, "--log", Path("kept")};
        args.push_back(yes ? "--yes" : "--quiet");
        args.push_back("state");
        const auto run = Cli(args);
        EXPECT_EQ(run.exitCode, yes ? 0 : 1) << run.err;
        EXPECT_EQ(ReadText(work / "kept") == "old", !yes);
    }
    const auto run =
        Cli({"--port", "sim", "--card", kPicCard, "--yes", "read", "pic", "-o", "/dev/null"});
    EXPECT_TRUE(Contains(run.err, "/dev/null: is a device, not a file")) << run.err;
    EXPECT_FALSE(std::filesystem::exists("/dev/null.hex"));
}

TEST_F(CliFailure, RequestsThatDoNotSuitTheCardTypeOrPortAreRefused) {
    const auto cli = [this](const std::string& card, std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", "sim", "--card", card});
        return Cli(args);
    };
    auto run = cli(kPicCard, {"lock"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "fuses")) << "points to the fuses: " << run.err;

    run = cli(kPicCard, {"read", "pic", "-o", Path("a.hex"), "--data-out", Path("b.hex")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "--data-out")) << run.err;

    run = cli("PIC16F84", {"--yes", "read", "eeprom", "-o", Path("a.hex")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Contains(run.err, "error: The selected card type has no external eeprom."))
        << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(work.Path()));

    for (const char* command : {"write", "verify"}) {
        SCOPED_TRACE(command);
        run = Cli({"--port", "COM9", "--card", kPicCard, command, "pic",
                   Fixture("gpasm/card84.hex").string()});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(Contains(run.err, "unknown port \"COM9\"")) << run.err;
    }

    // An eeprom file named for an auto whose options leave the eeprom out:
    // a card type without one (fault: "Auto program finished.", exit 0,
    // the file left out unsaid), then options that switch it off.
    UseProgramCopy();
    run = cli("PIC16F84", {"--yes", "auto", "--pic", Fixture("gpasm/card84.hex").string(),
                           "--eeprom", Sample24c16().string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "which the card type has none of")) << run.err;
    EXPECT_FALSE(Contains(run.out + run.err, "finished")) << run.out;
    ASSERT_EQ(cli(kPicCard, {"options", "--set", "Auto/WriteEe=off", "--set", "Auto/VerifyEe=off"})
                  .exitCode,
              0);
    run = cli(kPicCard, {"--yes", "auto", "--pic", Fixture("gpasm/card84.hex").string(), "--eeprom",
                         Sample24c16().string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "--eeprom names a file the options leave")) << run.err;
    EXPECT_FALSE(Contains(run.out + run.err, "finished")) << run.out;
}

// Fault: with no EEPROM image named and none stored for the card type, "write
// eeprom --yes" writes blanks over the whole EEPROM and reports "The eeprom has
// been written." (exit 0), where "verify eeprom" and "write pic" say there is
// nothing to work on (exit 2).
TEST_F(CliFailure, WriteEepromWithoutAnImageLeavesTheEepromAlone) {
    TPtySim sim({"--card", kPicCard, "--load-eeprom", Sample24c16().string()});
    ASSERT_FALSE(sim.Path().empty());
    auto run = Card(sim, {"--yes", "write", "eeprom"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Contains(run.err, "has no eeprom file stored")) << run.err;
    ASSERT_EQ(sim.Process().Stop(), 0);
    EXPECT_EQ(Eeprom(sim), Filled(Srec(Sample24c16()), 0, 2048, "FF"));
}

// Fault: "auto" with no image named and none stored first replaces the
// processor's program with the loader and writes blanks over the EEPROM, and
// only then stops with "nothing to work on" (exit 2).
TEST_F(CliFailure, AutoWithoutAnyImageLeavesTheCardAlone) {
    TPtySim sim({"--card", kPicCard, "--load-program", Fixture("gpasm/card84.hex").string(),
                 "--load-eeprom", Sample24c16().string()});
    ASSERT_FALSE(sim.Path().empty());
    auto run = Card(sim, {"auto"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_FALSE(ChangesTheCard(Frames())) << Frames();
    ASSERT_EQ(sim.Process().Stop(), 0);
    EXPECT_EQ(Program(sim), Filled(Srec(Fixture("gpasm/card84.hex")), 0, 2048, "FF3F"));
    EXPECT_EQ(Eeprom(sim), Filled(Srec(Sample24c16()), 0, 2048, "FF"));
}

// Fault: with the window's remembered card type a PIC with its sample files,
// "--card <AVR> write pic" wrote the PIC's program into the AVR's flash and
// said "The flash has been written."; "state" with a misspelt card type
// went ahead. Without a file named, a command takes the chosen card type's
// own stored file or says it has none.
TEST_F(CliFailure, ACommandUsesOnlyTheChosenCardTypesOwnFiles) {
    const auto cards = UseProgramCopy() / "cards";
    WriteText(cards / (kPicCard + ".ini"),
              ReadText(cards / (kPicCard + ".ini")) +
                  "\n[Defaults]\nPicFile=" + Fixture("gpasm/card84.hex").string() +
                  "\nExtEeFile=" + Sample24c16().string() + "\n");
    WriteText(config.Path() / "korvex" / "settings.ini", "[Korvex]\nCard=3\nComPort=0\n");
    const std::string avr = "AT90S8515-24C64";
    // Stored files of the rows beside the program's that are no more.
    const std::string gone = Path("gone.hex"), pic877 = "PIC16F877-24C64";
    for (const auto& [card, key] : {std::pair{avr, "IntEeFile"}, {pic877, "ExtEeFile"}}) {
        WriteText(cards / (card + ".ini"),
                  ReadText(cards / (card + ".ini")) + "\n[Defaults]\n" + key + "=" + gone + "\n");
    }
    // A stored file that is empty is told as one named would be.
    const std::string empty = Path("empty.bin");
    WriteText(empty, "");
    WriteText(cards / "PIC16F84.ini",
              ReadText(cards / "PIC16F84.ini") + "\n[Defaults]\nPicFile=" + empty + "\n");
    const auto goneFile = [&](const std::string& what, const std::string& card) {
        return what + " file \"" + gone + "\" stored for card type \"" + card + "\"";
    };
    const std::pair<std::vector<std::string>, std::string> runs[] = {
        {{"--card", avr, "--yes", "write", "pic"},
         "card type \"" + avr + "\" has no program file stored"},
        {{"--card", avr, "verify", "flash"},
         "card type \"" + avr + "\" has no program file stored"},
        {{"--card", avr, "--yes", "auto"}, "card type \"" + avr + "\" has no program file stored"},
        {{"--card", pic877, "--yes", "write", "eeprom"}, goneFile("eeprom", pic877)},
        {{"--card", pic877, "--yes", "auto", "--pic", Fixture("gpasm/card84.hex").string()},
         goneFile("eeprom", pic877)},
        {{"--card", avr, "--yes", "write", "pic", Fixture("avr/sampleavr_flash.hex").string()},
         goneFile("internal eeprom", avr)},
        {{"--card", "PIC16F84", "--yes", "write", "pic"},
         "program file \"" + empty +
             "\" stored for card type \"PIC16F84\" cannot be used: the "
             "file is empty"},
        {{"--card", "PIC16F84-24C1", "state"}, "no card type named \"PIC16F84-24C1\""},
        {{"--card", "PIC16F84-24C1", "firmware"}, "no card type named \"PIC16F84-24C1\""},
    };
    for (const auto& [args, message] : runs) {
        std::vector<std::string> all{"--port", "sim"};
        all.insert(all.end(), args.begin(), args.end());
        const auto run = Cli(all);
        SCOPED_TRACE(args.back());
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(Contains(run.err, message)) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(KeptCard(avr, "program.hex")) &&
                 Contains(ReadText(KeptCard(avr, "program.hex")), "2805"));
}

} // namespace
} // namespace korvex
