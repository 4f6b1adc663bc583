// A fed simulator under the host's own driver, as the production mode will
// use it: wait for a card, program it once, wait until it is gone.
#include "common/scopedenv.h"
#include "common/tempdir.h"
#include "link/simrig.h"
#include "sim/keptsimulator.h"
#include "sim/simhexfiles.h"
#include "sim/simtesting.h"

#include <gtest/gtest.h>

namespace korvex::sim {
namespace {

using korvex::testing::TempDir;

const std::filesystem::path kData = KORVEX_SOURCE_DATA_DIR;

// Polls at the driver's pace until a card is ready; false after `polls`.
bool WaitForCard(korvex::testing::TSimRig& rig, int polls) {
    for (int i = 0; i < polls; ++i) {
        rig.prog.Poll();
        if (rig.prog.IsCardReady()) {
            return true;
        }
        rig.clock.SleepMs(rig.prog.PollTime());
    }
    return false;
}

TEST(SimFeedHost, EachCardIsProgrammedOnceAndAStuckWordFailsItsVerify) {
    korvex::testing::TSimRig rig(korvex::testing::TestCard(3, 16, 4));
    const TSimFeeder& feeder =
        rig.device.SetFeed({3, {{2, {ParseSimCardFault("stuck-program@5")}}}, 300}, rig.clock);
    const std::string program = korvex::testing::PicWords(16, 7);
    const std::string data = "A1B2C3D4";
    std::vector<bool> verified;
    for (int card = 1; card <= 3; ++card) {
        ASSERT_TRUE(WaitForCard(rig, 10)) << "card " << card;
        EXPECT_EQ(feeder.CardInSlot(), card);
        ASSERT_TRUE(rig.prog.WritePic(3, 4, program, data, nullptr)) << card;
        verified.push_back(rig.prog.VerifyPic(program, data, 3, nullptr));
        if (card == 2) {
            const TPicReadResult back = rig.prog.ReadPic(3, 16, 4, nullptr);
            ASSERT_GE(back.program.size(), program.size());
            std::vector<std::size_t> differ;
            for (std::size_t i = 0; i < program.size(); ++i) {
                if (back.program[i] != program[i]) {
                    differ.push_back(i);
                }
            }
            EXPECT_EQ(differ, (std::vector<std::size_t>{20, 21, 22, 23})) << back.program;
            EXPECT_EQ(back.program.substr(20, 4), "3FFF");
        }
        rig.prog.Poll();
        EXPECT_FALSE(rig.prog.IsCardReady()) << "card " << card << " still in";
    }
    EXPECT_EQ(verified, (std::vector<bool>{true, false, true}));
    EXPECT_FALSE(WaitForCard(rig, 30)) << "a card after the last one";
    EXPECT_TRUE(feeder.Finished());

    ASSERT_EQ(feeder.Events().size(), 6u);
    for (std::size_t i = 2; i < 6; i += 2) {
        // In at the driver's first poll once the gap has passed.
        const std::int64_t empty = feeder.Events()[i].timeMs - feeder.Events()[i - 1].timeMs;
        EXPECT_GE(empty, 300) << i;
        EXPECT_LE(empty, 300 + rig.prog.PollTime() + 50) << i;
    }
}

// The answer of the backend to `frame`, read at once.
std::string Exchange(TSerialBackend& line, const std::string& frame) {
    line.Write(frame);
    char buffer[256];
    return std::string(buffer, line.Read(buffer, sizeof buffer));
}

TEST(SimFeedInProcess, AFedRunNeitherLoadsNorKeepsTheCardFiles) {
    TempDir config;
    const korvex::testing::ScopedEnv env("XDG_CONFIG_HOME", config.Path().c_str());
    const std::filesystem::path kept = config / "korvex/simcard/PIC16F84-24C16";
    TSimCard card(SimCardModelForCardType(kData, "PIC16F84-24C16"));
    card.Write(TSimMemory::Program, 0, "0123");
    SaveSimCard(card, kept);
    const std::string keptProgram = korvex::testing::ReadText(kept / "program.hex");

    std::vector<std::string> seen;
    {
        auto open = InProcessSimulator(kData, "PIC16F84-24C16", std::cerr, "test", false,
                                       TSimFeedOptions{{2, {}, 0}, [&](const TSimFeedEvent& e) {
                                                           seen.push_back(SimFeedEventText(e));
                                                       }});
        auto line = open();
        TLineSettings settings;
        settings.baud = 19200;
        ASSERT_TRUE(line->Open(settings).ok);
        using simtest::Frame;
        EXPECT_EQ(Exchange(*line, Frame('A', '3', "3")), simtest::kAckEot);
        EXPECT_EQ(Exchange(*line, Frame('E', '3', "0001")), simtest::Reply("3FFF3FFF"))
            << "card 1 is blank, not the kept card";
        Exchange(*line, Frame('B', '3', "1234"));
        Exchange(*line, Frame('A', '3', "0"));
        EXPECT_EQ(Exchange(*line, Frame('P', '0', "")), simtest::kDleByte);
        EXPECT_EQ(Exchange(*line, Frame('P', '0', "")), simtest::kAckEot);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"card 1 in", "card 1 out", "card 2 in"}));
    EXPECT_TRUE(korvex::testing::ReadText(kept / "program.hex") == keptProgram)
        << "the fed cards were saved over the kept one";
}

} // namespace
} // namespace korvex::sim
