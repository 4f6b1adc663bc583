// The driver on the real serial layer, against korvex-sim on a
// pseudo-terminal: what the card holds afterwards is read from the files the
// simulator saves when it stops.
#include "common/linkfakes.h"
#include "link/picprog.h"
#include "link/portmap.h"
#include "ptysim.h"
#include "sim/simcardmodel.h"
#include "sim/simhexfiles.h"

#include <gtest/gtest.h>

#include <csignal>

namespace korvex {
namespace {

using testing::TPtySim;

// Hex text that differs from blank; PIC words keep to 14 bits.
std::string Pattern(std::size_t count, unsigned seed) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += digits[(i * 5 + seed + i / 7) % 16];
    }
    return text;
}

std::string PicWords(std::size_t words, unsigned seed) {
    std::string text = Pattern(words * 4, seed);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        text[i] = static_cast<char>('0' + (i / 4) % 4);
    }
    return text;
}

// The driver on COM1, mapped to the simulator's terminal, at 19200 baud.
struct TPtyDriver {
    testing::TRecordedPrompts prompts;
    testing::TCountingPump pump;
    TPPicProg prog;

    explicit TPtyDriver(const std::string& path)
        : prog(Factory(path), {nullptr, &pump, &prompts, nullptr}) {
        prog.Port().SetBaudRate(TBaudRate::br19200);
        prog.SetComPort(1);
        prog.SetDelay(3);
    }
    static TBackendFactory Factory(const std::string& path) {
        TPortMap map;
        map.Override(1, path);
        return MakePortFactory(map);
    }
};

sim::TSimCard SavedCard(const TPtySim& sim, std::string_view processor, std::string_view eeprom) {
    sim::TSimCard card(sim::SimCardModelForParts(KORVEX_SOURCE_DATA_DIR, processor, eeprom));
    for (const auto memory :
         {sim::TSimMemory::Program, sim::TSimMemory::Data, sim::TSimMemory::Eeprom}) {
        sim::LoadSimMemory(card, memory, sim.SaveDir() / sim::SimMemoryFileName(memory));
    }
    return card;
}

TEST(LinkOverPty, WritesVerifiesAndReadsACardAndItsEeprom) {
    TPtySim sim({"--processor", "PIC 16F84", "--eeprom", "24C16"});
    ASSERT_FALSE(sim.Path().empty());
    TPtyDriver driver(sim.Path());
    ASSERT_TRUE(driver.prog.Connect()) << driver.prog.LastConnectError();
    driver.prog.Poll();
    ASSERT_TRUE(driver.prog.IsCardReady());
    EXPECT_EQ(driver.prog.GetFirmwareVersion(), 105);

    const std::string program = PicWords(1024, 1);
    const std::string data = Pattern(128, 2);
    ASSERT_TRUE(driver.prog.WritePic(3, 64, program, data, nullptr));
    EXPECT_TRUE(driver.prog.VerifyPic(program, data, 3, nullptr));
    const TPicReadResult read = driver.prog.ReadPic(3, 1024, 64, nullptr);
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read.program, program);
    EXPECT_EQ(read.data, data);

    // The program now on the card serves as the loader for the EEPROM.
    const std::string eeprom = Pattern(4096, 3);
    driver.prog.SelectMode(0, 3);
    driver.prog.SelectMode(1, 1);
    ASSERT_TRUE(driver.prog.WriteExtEeprom(eeprom, 1, nullptr));
    driver.prog.SelectMode(0, 3);
    driver.prog.SelectMode(2, 1);
    EXPECT_EQ(driver.prog.ReadExtEeprom(1, 4096, 0, nullptr), eeprom);
    EXPECT_TRUE(driver.prompts.errors.empty());

    driver.prog.Disconnect();
    ASSERT_EQ(sim.Process().Stop(), 0);
    const sim::TSimCard saved = SavedCard(sim, "PIC 16F84", "24C16");
    EXPECT_EQ(saved.Text(sim::TSimMemory::Program), program);
    EXPECT_EQ(saved.Text(sim::TSimMemory::Data), data);
    EXPECT_EQ(saved.Text(sim::TSimMemory::Eeprom), eeprom);
}

TEST(LinkOverPty, ACardPulledOutMidWriteFailsCleanly) {
    TPtySim sim({"--processor", "PIC 16F84", "--eeprom", "None"});
    ASSERT_FALSE(sim.Path().empty());
    TPtyDriver driver(sim.Path());
    ASSERT_TRUE(driver.prog.Connect());
    // Pulled while the program memory is being written.
    driver.pump.during = [&] {
        if (driver.pump.count == 10) {
            sim.Process().Signal(SIGUSR1);
        }
    };
    EXPECT_FALSE(driver.prog.WritePic(3, 64, PicWords(1024, 4), Pattern(128, 5), nullptr));
    EXPECT_EQ(driver.prompts.errors, std::vector<std::string>{"Failed to write card !"});
    EXPECT_FALSE(driver.prog.Busy());
    driver.prog.Poll();
    EXPECT_EQ(driver.prog.LastState(), TPCardState::csCardNotReady);

    // Back in the slot, the same card is ready again.
    sim.Process().Signal(SIGUSR2);
    for (int poll = 0; poll < 20 && !driver.prog.IsCardReady(); ++poll) {
        driver.prog.Poll();
    }
    EXPECT_TRUE(driver.prog.IsCardReady());
}

TEST(LinkOverPty, TheLineGoingAwayEndsTheTransferWithoutAHang) {
    TPtySim sim({"--processor", "PIC 16F84", "--fault", "hangup@B5"});
    ASSERT_FALSE(sim.Path().empty());
    TPtyDriver driver(sim.Path());
    ASSERT_TRUE(driver.prog.Connect());
    EXPECT_FALSE(driver.prog.WritePic(3, 64, PicWords(1024, 6), "", nullptr));
    EXPECT_EQ(driver.prompts.errors, std::vector<std::string>{"Failed to write card !"});
    EXPECT_EQ(sim.Process().Wait(), 0);
    driver.prog.Poll();
    EXPECT_EQ(driver.prog.LastState(), TPCardState::csNotConnected);
}

} // namespace
} // namespace korvex
