// korvex-cli never reports success unless the card holds what was asked:
// nothing to compare is no match, a configuration word the programmer refused
// is no written card, an EEPROM nobody named is left alone, and an AVR's whole
// flash is written and read back.
#include "clirig.h"
#include "ptysim.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace testing;

const std::string kPicCard = "PIC16F84-24C16";

class CliTrust : public CliE2e {
public:
    ProgramResult Card(const TPtySim& sim, const std::string& card,
                       std::vector<std::string> args) const {
        args.insert(args.begin(), {"--port", sim.Path(), "--card", card, "--log", Path("log")});
        std::filesystem::remove(work / "log");
        return Cli(args);
    }
    std::string Frames() const { return FrameCommands(ReadText(work / "log")); }
    using CliE2e::Path;
};

TEST_F(CliTrust, NothingLoadedToCompareIsNeverAMatch) {
    TPtySim sim({"--card", kPicCard, "--load-program", Fixture("gpasm/card84.hex").string()});
    ASSERT_FALSE(sim.Path().empty());
    WriteText(work / "x.crd", "not an image");
    for (const char* memory : {"pic", "eeprom"}) {
        SCOPED_TRACE(memory);
        const auto run = Card(sim, kPicCard, {"--yes", "verify", memory, Path("x.crd")});
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_TRUE(Contains(run.err, "x.crd: not an image file")) << run.err;
        EXPECT_FALSE(Contains(run.out, "Verify OK")) << run.out;
        // Polls, and the release as the tool lets go of the programmer.
        EXPECT_EQ(Frames().find_first_not_of("P"), Frames().size() - 1) << Frames();
    }
}

TEST_F(CliTrust, AConfigurationWordTheProgrammerRefusesFailsTheWrite) {
    std::vector<std::string> args = {"--card", kPicCard};
    // Refused every time it is sent, on every try of the step.
    for (int i = 1; i <= 3 * 21; ++i) {
        args.insert(args.end(), {"--fault", "nack@D" + std::to_string(i)});
    }
    TPtySim sim(args);
    ASSERT_FALSE(sim.Path().empty());
    const auto run = Card(sim, kPicCard, {"write", "pic", Fixture("gpasm/card84.hex").string()});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(Contains(run.err, "did not accept the configuration word")) << run.err;
    EXPECT_FALSE(Contains(run.out, "has been written")) << run.out;
}

TEST_F(CliTrust, AutoWithoutAnEepromImageLeavesTheEepromAlone) {
    TPtySim sim({"--card", kPicCard, "--load-eeprom", Sample24c16().string()});
    ASSERT_FALSE(sim.Path().empty());
    const auto run = Card(sim, kPicCard, {"auto", "--pic", Fixture("gpasm/card84.hex").string()});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_TRUE(Contains(run.err, "There is no eeprom image to write")) << run.err;
    EXPECT_FALSE(ChangesTheCard(Frames())) << Frames();
    ASSERT_EQ(sim.Process().Stop(), 0);
    EXPECT_EQ(Srec(sim.SaveDir() / "eeprom.hex").HexText(0, 2048),
              Filled(Srec(Sample24c16()), 0, 2048, "FF"));
}

// An image filling the whole flash goes in, compares equal and reads back
// byte for byte; one byte more is refused before anything reaches the card.
void WholeFlash(const CliTrust& test, const std::string& card, std::uint32_t flashBytes) {
    TPtySim sim({"--card", card});
    ASSERT_FALSE(sim.Path().empty());
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t i = 0; i < flashBytes; ++i) {
        bytes.push_back(static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF));
    }
    const std::string flash = test.Path("flash.hex");
    WriteText(flash, HexData(0, bytes) + HexEnd());

    auto run = test.Card(sim, card, {"write", "pic", flash});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    run = test.Card(sim, card, {"verify", "pic", flash});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string back = test.Path("back.hex");
    run = test.Card(sim, card, {"read", "pic", "-o", back, "--data-out", test.Path("ee.hex")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Srec(back).HexText(0, flashBytes) == Srec(flash).HexText(0, flashBytes));

    bytes.push_back(0x5A);
    WriteText(test.Path("big.hex"), HexData(0, bytes) + HexEnd());
    run = test.Card(sim, card, {"write", "pic", test.Path("big.hex")});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_FALSE(ChangesTheCard(test.Frames())) << test.Frames();

    ASSERT_EQ(sim.Process().Stop(), 0);
    EXPECT_TRUE(Srec(sim.SaveDir() / "program.hex").HexText(0, flashBytes) ==
                Srec(flash).HexText(0, flashBytes));
}

// Kind 8 reads units of two words, kind 9 units of one word, asked for twice as often.
TEST_F(CliTrust, TheWholeFlashOfAKind8AvrIsWrittenVerifiedAndReadBack) {
    WholeFlash(*this, "AT90S8515-24C64", 8192);
}

TEST_F(CliTrust, TheWholeFlashOfAKind9AvrIsWrittenVerifiedAndReadBack) {
    WholeFlash(*this, "ATmega161-24C256", 16384);
}

} // namespace
} // namespace korvex
