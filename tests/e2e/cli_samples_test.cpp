// The sample images shipped in data/samples, programmed the way the README
// shows: korvex-cli on the built-in simulator (--port sim), which keeps its
// card under this test's own XDG_CONFIG_HOME between runs.
#include "clirig.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace testing;

// AT90S8515 (4096 words of flash, 512 bytes of EEPROM, identification 1E9301,
// 000102 once locked) with a 24C64 (8192 bytes).
const std::string kAvrCard = "AT90S8515-24C64";
constexpr std::uint32_t kAvrDataBytes = 512;
constexpr std::uint32_t k24c64Bytes = 8192;

std::filesystem::path Sample(const std::string& name) {
    return std::filesystem::path(KORVEX_SOURCE_DATA_DIR) / "samples" / name;
}

class AvrSamplesOnTheBuiltInSimulator : public CliE2e {
protected:
    ProgramResult Card(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--port", "sim", "--card", kAvrCard, "--yes"});
        return Cli(args);
    }
};

TEST_F(AvrSamplesOnTheBuiltInSimulator, AutoProgramThenReadGivesTheSamplesBackAndLockHolds) {
    const std::string flashSample = Sample("sampleavr_flash.hex").string();
    const std::string eepromSample = Sample("sampleavr_eeprom.hex").string();
    auto run = Card({"auto", "--pic", flashSample, "--int-eeprom", eepromSample, "--eeprom",
                     Sample("sample24c64.hex").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Auto program finished.\n");

    const std::string flash = Path("flash.hex");
    const std::string data = Path("ee.hex");
    run = Card({"read", "pic", "-o", flash, "--data-out", data});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const TSrecImage program = Srec(flashSample);
    const auto programBytes = program.Highest() + 1;
    const TSrecImage flashBack = Srec(flash);
    EXPECT_EQ(flashBack.HexText(0, programBytes), program.HexText(0, programBytes));
    ASSERT_GT(flashBack.Highest() + 1, programBytes) << "the blank rest of the flash is missing";
    const std::uint32_t rest = flashBack.Highest() + 1 - programBytes;
    EXPECT_EQ(flashBack.HexText(programBytes, rest), Repeat("FF", rest));
    EXPECT_EQ(Srec(data).HexText(0, kAvrDataBytes),
              Filled(Srec(eepromSample), 0, kAvrDataBytes, "FF"));
    EXPECT_EQ(Srec(KeptCard(kAvrCard, "eeprom.hex")).HexText(0, k24c64Bytes),
              Filled(Srec(Sample("sample24c64.hex")), 0, k24c64Bytes, "FF"));

    EXPECT_EQ(Srec(KeptCard(kAvrCard, "config.hex")).HexText(0, 3), "1E9301");
    run = Card({"lock"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Srec(KeptCard(kAvrCard, "config.hex")).HexText(0, 3), "000102");
    run = Card({"verify", "pic", flashSample});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
}

} // namespace
} // namespace korvex
