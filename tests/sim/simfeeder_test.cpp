// The simulator as the person at a production line: it must take a card out
// only once the host has programmed and released it, put the next one in
// only after the gap, and give each card its own faults.
#include "sim/simdevice.h"

#include "common/fakeclock.h"
#include "sim/simtesting.h"

#include <gtest/gtest.h>

namespace korvex::sim {
namespace {

using simtest::Frame;
using simtest::kAckEot;
using simtest::kDleByte;
using simtest::kNakByte;
using simtest::Reply;

class SimFeederTest : public ::testing::Test {
protected:
    TSimFeeder& Feed(int cards, int gapMs, std::map<int, std::vector<TSimCardFault>> faults = {}) {
        start_ = clock_.NowMs();
        return device_.SetFeed({cards, std::move(faults), gapMs}, clock_);
    }
    std::string Send(char command, const std::string& data = "") {
        return device_.Receive(Frame(command, command == 'P' ? '0' : '3', data));
    }
    std::string Poll() { return Send('P'); }
    std::string Program(const std::string& words) {
        std::string answers = Send('A', "3"); // in this order
        answers += Send('B', words);
        return answers + Send('A', "0");
    }
    // "in1@0 out1@50": each event, its time from the start of the feed.
    std::string Events() const {
        std::string text;
        for (const TSimFeedEvent& event : device_.Feeder()->Events()) {
            text += (event.kind == TSimFeedEvent::TKind::Inserted ? " in" : " out") +
                    std::to_string(event.card) + "@" + std::to_string(event.timeMs - start_);
        }
        return text.empty() ? text : text.substr(1);
    }

    testing::TFakeClock clock_;
    std::int64_t start_ = 0;
    TSimDevice device_{TSimCard(simtest::SmallPicModel())};
};

TEST_F(SimFeederTest, AReleasedCardLeavesAtTheNextPollAndTheNextComesAfterTheGap) {
    device_.Card().Write(TSimMemory::Program, 0, "0123"); // the card before the feed
    const TSimFeeder& feeder = Feed(2, 300);
    Send('A', "3");
    EXPECT_EQ(Send('E', "0002"), Reply("3FFF3FFF3FFF3FFF")) << "card 1 is fresh";
    EXPECT_EQ(Program("1234"), kAckEot + kAckEot + kAckEot);
    clock_.Advance(50);
    EXPECT_EQ(Poll(), kDleByte) << "taken out before the poll was answered";
    clock_.Advance(299);
    EXPECT_EQ(Poll(), kDleByte) << "the gap has not passed";
    clock_.Advance(1);
    EXPECT_EQ(Poll(), kAckEot);
    EXPECT_EQ(device_.Card().Text(TSimMemory::Program), "3FFF3FFF3FFF3FFF") << "card 2 is fresh";
    Program("2345");
    EXPECT_EQ(Poll(), kDleByte);
    clock_.Advance(10000);
    EXPECT_EQ(Poll(), kDleByte) << "after the last card the slot stays empty";
    EXPECT_EQ(Events(), "in1@0 out1@50 in2@350 out2@350");
    EXPECT_EQ(feeder.CardsInserted(), 2);
    EXPECT_EQ(feeder.CardsRemoved(), 2);
    EXPECT_TRUE(feeder.Finished());
}

TEST_F(SimFeederTest, ACardStaysUntilItIsWrittenAndThenReleased) {
    const TSimFeeder& feeder = Feed(7, 0);
    for (int i = 0; i < 3; ++i) { // an idle host reads and releases
        EXPECT_EQ(Poll(), kAckEot);
        Send('A', "3");
        Send('E', "0001");
        Send('A', "0");
        clock_.Advance(1000);
    }
    Send('A', "3");
    Send('H');
    Send('A', "0");
    Send('A', "3");
    Send('C', "AB");
    EXPECT_EQ(Poll(), kAckEot) << "written since the last release";
    Send('A', "0");
    Send('A', "3");
    EXPECT_EQ(Poll(), kDleByte);
    EXPECT_EQ(Poll(), kAckEot) << "no gap: in at the next frame";
    EXPECT_EQ(Events(), "in1@0 out1@3000 in2@3000");
    // Every write and erase counts; the external EEPROM's in mode 1.
    for (const char command : {'B', 'C', 'D', 'H', 'I'}) {
        Send('A', command == 'I' ? "1" : "3");
        Send(command, "0000");
        Send('A', "0");
        EXPECT_EQ(Poll(), kDleByte) << command;
        EXPECT_EQ(Poll(), kAckEot) << command;
    }
    EXPECT_EQ(feeder.CardInSlot(), 7);
}

TEST_F(SimFeederTest, LineFaultsCountFromTheCardsInsertionAndAPullIsARemoval) {
    const TSimFeeder& feeder =
        Feed(2, 100, {{1, {ParseSimFault("pull@P3")}}, {2, {ParseSimFault("nack@P2")}}});
    EXPECT_EQ(Poll(), kAckEot);
    EXPECT_EQ(Poll(), kAckEot) << "card 1 has no nack";
    EXPECT_EQ(Poll(), kDleByte) << "pulled";
    clock_.Advance(100);
    EXPECT_EQ(Poll(), kAckEot) << "card 2's first poll";
    EXPECT_EQ(Poll(), kNakByte) << "card 2's second poll";
    device_.SetPresent(false); // SIGUSR1
    device_.SetPresent(true);  // SIGUSR2: the same card again
    Program("1234");
    EXPECT_EQ(Poll(), kDleByte);
    EXPECT_EQ(Events(), "in1@0 out1@0 in2@100 out2@100 in2@100 out2@100");
    EXPECT_TRUE(feeder.Finished());
}

TEST_F(SimFeederTest, StuckCellsKeepTheirBlank) {
    Feed(1, 0,
         {{1,
           {ParseSimCardFault("stuck-program@2"), ParseSimCardFault("stuck-data@0x1"),
            ParseSimCardFault("stuck-eeprom@1")}}});
    Program("0123012301230123");
    Send('A', "3");
    Send('C', "A1B2");
    Send('A', "0");
    Send('A', "1");
    Send('I', "C1C2C3");
    EXPECT_EQ(device_.Card().Text(TSimMemory::Program), "012301233FFF0123");
    EXPECT_EQ(device_.Card().Text(TSimMemory::Data), "A1FF");
    EXPECT_EQ(device_.Card().Text(TSimMemory::Eeprom), "C1FFC3");
    device_.Card().Erase();
    device_.Card().Load(TSimMemory::Program, "1111222233334444");
    EXPECT_EQ(device_.Card().Text(TSimMemory::Program), "111122223FFF4444");
}

TEST(SimFeedPlan, PlansTheCardsCannotFollowAreRefused) {
    TSimCardModel model = simtest::SmallPicModel(); // 4 words, 2 bytes, EEPROM 3 bytes
    const auto stuck = [](TSimMemory memory, std::size_t cell) {
        return std::map<int, std::vector<TSimCardFault>>{{1, {TSimStuckCell{memory, cell}}}};
    };
    for (const TSimFeedPlan& plan : {TSimFeedPlan{0, {}, 0}, TSimFeedPlan{1, {}, -1},
                                     TSimFeedPlan{2, {{3, {ParseSimFault("nack@1")}}}, 0},
                                     TSimFeedPlan{2, {{0, {ParseSimFault("nack@1")}}}, 0},
                                     TSimFeedPlan{1, stuck(TSimMemory::Program, 4), 0},
                                     TSimFeedPlan{1, stuck(TSimMemory::Data, 2), 0},
                                     TSimFeedPlan{1, stuck(TSimMemory::Eeprom, 3), 0}}) {
        testing::TFakeClock clock;
        TSimDevice device{TSimCard(model)};
        EXPECT_THROW(device.SetFeed(plan, clock), ESimSetup);
        EXPECT_EQ(device.Feeder(), nullptr);
    }
    EXPECT_NO_THROW(ValidateSimFeedPlan({1, stuck(TSimMemory::Eeprom, 2), 0}, model));
    model.eepromBytes = 0;
    EXPECT_THROW(ValidateSimFeedPlan({1, stuck(TSimMemory::Eeprom, 0), 0}, model), ESimSetup);
}

TEST(SimFeedFaultText, ParsesTheCardAndItsFault) {
    const auto [card, fault] = ParseSimFeedFault("3:stuck-eeprom@0x10");
    EXPECT_EQ(card, 3);
    ASSERT_TRUE(std::holds_alternative<TSimStuckCell>(fault));
    EXPECT_EQ(std::get<TSimStuckCell>(fault).memory, TSimMemory::Eeprom);
    EXPECT_EQ(std::get<TSimStuckCell>(fault).cell, 16u);
    EXPECT_EQ(SimCardFaultName(ParseSimFeedFault("12:Stuck-Data@0X1f").second), "stuck-data@31");
    EXPECT_EQ(SimCardFaultName(ParseSimFeedFault("1:stuck-program@17").second), "stuck-program@17");
    EXPECT_EQ(SimCardFaultName(ParseSimFeedFault("2:silent@B1").second), "silent@B1");
    // Fault: a fault at a command the host never sends (W) was taken and never struck.
    for (const char* bad :
         {"15:silent@W2", "nack@1", "0:nack@1", "+1:nack@1", "x:nack@1", "1:nack@0", "1:jam@1",
          "1:stuck-data", "1:stuck-data@", "1:stuck-data@-1", "1:stuck-data@0x", "1:stuck-data@12z",
          "1:stuck-data@+1", "1:stuck-config@1"}) {
        try {
            ParseSimFeedFault(bad);
            ADD_FAILURE() << bad << " was taken";
        } catch (const ESimSetup& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(std::string("'") + bad + "'"), std::string::npos) << message;
            EXPECT_NE(message.find("stuck-eeprom@ADDR"), std::string::npos) << message;
        }
    }
}

} // namespace
} // namespace korvex::sim
