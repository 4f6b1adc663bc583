// korvex-cli programming cards served by korvex-sim on a pseudo-terminal. What
// the card holds afterwards is judged from the simulator's saved memories and
// the tool's read-back files, both read by srec_cat, against the tool-chain
// output in the fixtures.
#include "clirig.h"
#include "ptysim.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace testing;

// PIC 16F84 (1024 words, 64 data EEPROM bytes) with a 24C16 (2048 bytes).
const std::string kPicCard = "PIC16F84-24C16";
constexpr std::uint32_t kPicProgramBytes = 2 * 1024;
constexpr std::uint32_t kPicDataBytes = 64;
constexpr std::uint32_t k24c16Bytes = 2048;
// A merged PIC file keeps the configuration words at 0x4000 and the data
// EEPROM at 0x4200, both as words.
constexpr std::uint32_t kFileConfig = 0x4000;
constexpr std::uint32_t kFileData = 0x4200;
// The saved configuration area: words 0x2000..0x2007, the last one the
// configuration word.
constexpr std::uint32_t kConfigBytes = 16;

// What a 16F84 holds after card84.hex went in, area by area, as the
// simulator saves it.
void ExpectCard84(const std::filesystem::path& saved, const std::string& configWord) {
    const TSrecImage fixture = Srec(Fixture("gpasm/card84.hex"));
    const TSrecImage program = Srec(saved / "program.hex");
    EXPECT_EQ(program.HexText(0, kPicProgramBytes), Filled(fixture, 0, kPicProgramBytes, "FF3F"));
    EXPECT_EQ(program.Highest(), kPicProgramBytes - 1);
    EXPECT_EQ(Srec(saved / "data.hex").HexText(0, kPicDataBytes),
              LowBytes(fixture, kFileData, kPicDataBytes));
    EXPECT_EQ(Srec(saved / "config.hex").HexText(0, kConfigBytes), Repeat("FF3F", 7) + configWord);
}

class PicCardOverPty : public CliE2e {
protected:
    ProgramResult Card(const TPtySim& sim, std::vector<std::string> args) const {
        args.insert(args.begin(), {"--port", sim.Path(), "--card", kPicCard});
        return Cli(args);
    }
};

TEST_F(PicCardOverPty, AutoProgramsEveryMemoryAndTheCardReadsBackAsTheFiles) {
    TPtySim sim({"--card", kPicCard});
    ASSERT_FALSE(sim.Path().empty());
    const std::string program = Fixture("gpasm/card84.hex").string();

    auto run = Card(sim, {"auto", "--pic", program, "--eeprom", Sample24c16().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Auto program finished.\n");
    // Not a terminal: each step a line of its own, EEPROM before processor.
    EXPECT_EQ(run.err, "Configuration word 3FF2 (from the program file " + program +
                           ")\nWriting loader...\nWriting eeprom...\nVerifying eeprom...\n"
                           "Writing pic...\nVerifying pic...\n");

    run = Card(sim, {"--quiet", "verify", "pic", program});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Verify OK: the card matches the file(s).\n");
    EXPECT_EQ(run.err, "");

    const std::string read = Path("read84.hex");
    run = Card(sim, {"read", "pic", "-o", read});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Saved the read to " + read + "\n");
    const TSrecImage fixture = Srec(program);
    const TSrecImage back = Srec(read);
    EXPECT_EQ(back.HexText(0, kPicProgramBytes), Filled(fixture, 0, kPicProgramBytes, "FF3F"));
    EXPECT_EQ(back.HexText(kFileConfig, kConfigBytes),
              Filled(fixture, kFileConfig, kConfigBytes, "FF3F"));
    EXPECT_EQ(back.HexText(kFileData, 2 * kPicDataBytes),
              Filled(fixture, kFileData, 2 * kPicDataBytes, "FF00"));
    EXPECT_EQ(back.Highest(), kFileData + 2 * kPicDataBytes - 1);

    ASSERT_EQ(sim.Process().Stop(), 0);
    // The file's own configuration word, not the card type's stored fuses.
    ExpectCard84(sim.SaveDir(), "F23F");
    EXPECT_EQ(Srec(sim.SaveDir() / "eeprom.hex").HexText(0, k24c16Bytes),
              Filled(Srec(Sample24c16()), 0, k24c16Bytes, "FF"));
}

TEST_F(PicCardOverPty, EepromCommandsGoThroughTheLoaderAndErasingBlanksTheCard) {
    TPtySim sim({"--card", kPicCard, "--load-program", Fixture("gpasm/card84.hex").string(),
                 "--load-eeprom", Sample24c16().string()});
    ASSERT_FALSE(sim.Path().empty());

    auto run = Card(sim, {"--yes", "verify", "eeprom", Sample24c16().string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Verify OK: the card matches the file(s).\n");

    const std::string read = Path("ee.hex");
    run = Card(sim, {"--yes", "read", "eeprom", "-o", read});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const TSrecImage back = Srec(read);
    EXPECT_EQ(back.HexText(0, k24c16Bytes), Filled(Srec(Sample24c16()), 0, k24c16Bytes, "FF"));
    EXPECT_EQ(back.Highest(), k24c16Bytes - 1);

    // The loader has taken the processor's place, as the question warned.
    run = Card(sim, {"verify", "pic", Fixture("gpasm/card84.hex").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    // The loader's first instruction is where the card parts from the program.
    EXPECT_TRUE(Contains(run.err, "warning: Verify failed: the card differs from the file(s). "
                                  "First difference at program word 0x0000: expected 2805, "
                                  "found 2800;"))
        << run.err;

    run = Card(sim, {"--yes", "erase", "eeprom"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "The eeprom has been erased.\n");
    run = Card(sim, {"erase", "pic"});
    EXPECT_EQ(run.exitCode, 0) << run.err;

    ASSERT_EQ(sim.Process().Stop(), 0);
    EXPECT_EQ(Srec(sim.SaveDir() / "eeprom.hex").HexText(0, k24c16Bytes),
              Repeat("FF", k24c16Bytes));
    EXPECT_EQ(Srec(sim.SaveDir() / "program.hex").HexText(0, kPicProgramBytes),
              Repeat("FF3F", kPicProgramBytes / 2));
    EXPECT_EQ(Srec(sim.SaveDir() / "data.hex").HexText(0, kPicDataBytes),
              Repeat("FF", kPicDataBytes));
}

// 16F84 configuration word: FOSC bits 1-0 (LP 00, XT 01, HS 10, RC 11), WDTE
// bit 2 (1 on), /PWRTE bit 3 (0 on), CP bits 4-13 (0 on). One rule, as in the
// window: the card type's stored choices, unless the program file carries a
// word of its own, which takes precedence; the tool says which it writes.
TEST_F(PicCardOverPty, TheStoredFusesGiveTheWordUnlessTheProgramFileCarriesOne) {
    const auto folder = UseProgramCopy();
    const auto cardFile = folder / "cards" / (kPicCard + ".ini");
    const std::string stored = Fixture("gpasm/card84.hex").string();
    WriteText(cardFile, ReadText(cardFile) + "\n[Defaults]\nPicFile=" + stored + "\n");

    auto run = Cli(
        {"--card", kPicCard, "fuses", "--watchdog", "on", "--powerup", "ON", "--oscillator", "lp"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Card type: " + kPicCard +
                           "\nWatchdog: on\nPower-up timer: on\nCode protection: off\n"
                           "Oscillator: LP\nConfiguration word: 3FF2\nThe program file " +
                           stored +
                           " carries a configuration word of its own, which takes precedence "
                           "over these choices\n");
    EXPECT_TRUE(Contains(ReadText(cardFile), "card84.hex")) << "the stored file stays";

    const std::string wordless = Path("wordless.hex");
    WriteText(wordless, HexData(0, {0x05, 0x28}) + HexEnd());
    const std::pair<std::vector<std::string>, std::string> writes[] = {
        {{"write", "pic"}, "3FF2 (from the program file " + stored + ")"},
        {{"write", "pic", wordless},
         "3FF4 (from the fuse choices stored for card type \"" + kPicCard + "\")"},
    };
    for (const auto& [args, word] : writes) {
        TPtySim sim({"--card", kPicCard});
        ASSERT_FALSE(sim.Path().empty());
        run = Card(sim, args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "The pic has been written.\n");
        EXPECT_TRUE(Contains(run.err, "Configuration word " + word + "\n")) << run.err;
        ASSERT_EQ(sim.Process().Stop(), 0);
        EXPECT_EQ(Srec(sim.SaveDir() / "config.hex").HexText(14, 2),
                  word.substr(2, 2) + word.substr(0, 2));
    }
}

// AT90S8515 (4096 words of flash, 512 bytes of EEPROM, identification 1E9301,
// 000102 once locked) with a 24C64 (8192 bytes).
const std::string kAvrCard = "AT90S8515-24C64";
constexpr std::uint32_t kAvrDataBytes = 512;
constexpr std::uint32_t k24c64Bytes = 8192;
constexpr std::uint32_t kBlinkBytes = 0x82;

class AvrCardOverPty : public CliE2e {
protected:
    ProgramResult Card(const TPtySim& sim, std::vector<std::string> args) const {
        args.insert(args.begin(), {"--port", sim.Path(), "--card", kAvrCard});
        return Cli(args);
    }
    static std::string Identification(const TPtySim& sim) {
        return Srec(sim.SaveDir() / "config.hex").HexText(0, 3);
    }
};

TEST_F(AvrCardOverPty, AutoProgramsFlashAndBothEepromsAndReadsThemBackInTwoFiles) {
    TPtySim sim({"--card", kAvrCard});
    ASSERT_FALSE(sim.Path().empty());
    auto run =
        Card(sim, {"auto", "--pic", Fixture("avr/blink_flash.hex").string(), "--int-eeprom",
                   Fixture("avr/blink_eeprom.hex").string(), "--eeprom", Sample24c16().string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Auto program finished.\n");

    const std::string flash = Path("flash.hex");
    const std::string data = Path("data.hex");
    run = Card(sim, {"read", "pic", "-o", flash, "--data-out", data});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "Saved the read to " + flash + "\nSaved the internal eeprom to " + data + "\n");
    const TSrecImage flashBack = Srec(flash);
    EXPECT_EQ(flashBack.HexText(0, kBlinkBytes),
              Srec(Fixture("avr/blink_flash.hex")).HexText(0, kBlinkBytes));
    const std::uint32_t rest = flashBack.Highest() + 1 - kBlinkBytes;
    EXPECT_EQ(flashBack.HexText(kBlinkBytes, rest), Repeat("FF", rest));
    const TSrecImage eeprom = Srec(Fixture("avr/blink_eeprom.hex"));
    EXPECT_EQ(Srec(data).HexText(0, kAvrDataBytes), Filled(eeprom, 0, kAvrDataBytes, "FF"));

    ASSERT_EQ(sim.Process().Stop(), 0);
    EXPECT_EQ(Srec(sim.SaveDir() / "data.hex").HexText(0, kAvrDataBytes),
              Filled(eeprom, 0, kAvrDataBytes, "FF"));
    EXPECT_EQ(Srec(sim.SaveDir() / "eeprom.hex").HexText(0, k24c64Bytes),
              Filled(Srec(Sample24c16()), 0, k24c64Bytes, "FF"));
    EXPECT_EQ(Identification(sim), "1E9301") << "the lock fuse is off: no lock";
}

// "flash" stands for the processor wherever "pic" does, and a write or
// verify of an AVR's processor takes its internal EEPROM file as auto does.
TEST_F(AvrCardOverPty, WriteAndVerifyFlashTakeTheInternalEepromFile) {
    TPtySim sim({"--card", kAvrCard});
    ASSERT_FALSE(sim.Path().empty());
    const std::string flash = Fixture("avr/blink_flash.hex").string();
    const std::string eeprom = Fixture("avr/blink_eeprom.hex").string();
    auto run = Card(sim, {"write", "flash", flash, "--int-eeprom", eeprom});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "The flash has been written.\n");
    run = Card(sim, {"verify", "flash", flash, "--int-eeprom", eeprom});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    run = Cli({"--port", sim.Path(), "--card", "PIC16F84-24C16", "write", "pic",
               Fixture("gpasm/card84.hex").string(), "--int-eeprom", eeprom});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_TRUE(Contains(run.err, "--int-eeprom is for AVR-kind card types")) << run.err;
    ASSERT_EQ(sim.Process().Stop(), 0);
    EXPECT_EQ(Srec(sim.SaveDir() / "data.hex").HexText(0, kAvrDataBytes),
              Filled(Srec(eeprom), 0, kAvrDataBytes, "FF"));
}

TEST_F(AvrCardOverPty, TheLockCommandAndAutoWithTheLockFuseOnLockTheCard) {
    {
        TPtySim sim(
            {"--card", kAvrCard, "--load-program", Fixture("avr/blink_flash.hex").string()});
        ASSERT_FALSE(sim.Path().empty());
        auto run = Card(sim, {"lock"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(Contains(run.err, "Locking card...")) << run.err;
        ASSERT_EQ(sim.Process().Stop(), 0);
        EXPECT_EQ(Identification(sim), "000102");
    }
    UseProgramCopy();
    auto run = Cli({"--card", kAvrCard, "fuses", "--lock", "on"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Card type: " + kAvrCard + "\nLock: on\n");
    // The lock is what matters here; the 8 KB EEPROM would only take time.
    ASSERT_EQ(Cli({"options", "--set", "Auto/WriteEe=off", "--set", "Auto/VerifyEe=off"}).exitCode,
              0);

    TPtySim sim({"--card", kAvrCard});
    ASSERT_FALSE(sim.Path().empty());
    run = Card(sim, {"auto", "--pic", Fixture("avr/blink_flash.hex").string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Auto program finished.\n");
    ASSERT_EQ(sim.Process().Stop(), 0);
    EXPECT_EQ(Identification(sim), "000102");
}

// Fault: korvex-sim keeps an AVR's flash with each word's bytes swapped
// (high byte first) in program.hex, both when saving and for --load-program,
// so the flash file avr-gcc made neither equals what the simulator saves
// after programming it nor verifies after being loaded.
TEST_F(AvrCardOverPty, TheSimulatorKeepsFlashAsTheToolChainLaysItOut) {
    const TSrecImage blink = Srec(Fixture("avr/blink_flash.hex"));
    {
        TPtySim sim({"--card", kAvrCard});
        ASSERT_FALSE(sim.Path().empty());
        auto run = Card(sim, {"write", "pic", Fixture("avr/blink_flash.hex").string()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        ASSERT_EQ(sim.Process().Stop(), 0);
        EXPECT_EQ(Srec(sim.SaveDir() / "program.hex").HexText(0, kBlinkBytes),
                  blink.HexText(0, kBlinkBytes));
    }
    TPtySim sim({"--card", kAvrCard, "--load-program", Fixture("avr/blink_flash.hex").string()});
    ASSERT_FALSE(sim.Path().empty());
    auto run = Card(sim, {"verify", "pic", Fixture("avr/blink_flash.hex").string()});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
}

} // namespace
} // namespace korvex
