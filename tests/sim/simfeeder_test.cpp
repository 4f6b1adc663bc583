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
using testing::TFakeClock;
using TKind = TSimFeedEvent::TKind;

class SimFeederTest : public ::testing::Test {
protected:
    TSimFeeder& Feed(int cards, int gapMs, std::map<int, std::vector<TSimCardFault>> faults = {}) {
        return device_.SetFeed({cards, std::move(faults), gapMs}, clock_);
    }
    std::string Send(char command, char device, const std::string& data = "") {
        return device_.Receive(Frame(command, device, data));
    }
    std::string Poll() { return Send('P', '0'); }
    // What a write of the program ends with: mode 0.
    void WriteProgram(const std::string& words) {
        ASSERT_EQ(Send('A', '3', "3"), kAckEot);
        ASSERT_EQ(Send('B', '3', words), kAckEot);
        ASSERT_EQ(Send('A', '3', "0"), kAckEot);
    }
    std::string ReadProgram() {
        Send('A', '3', "3");
        const std::string text = Send('E', '3', "0002");
        Send('A', '3', "0");
        return text;
    }

    TFakeClock clock_;
    TSimDevice device_{TSimCard(simtest::SmallPicModel())};
};

TEST_F(SimFeederTest, AReleasedCardLeavesAtTheNextPollAndTheNextComesAfterTheGap) {
    device_.Card().Write(TSimMemory::Program, 0, "0123"); // the card before the feed
    const TSimFeeder& feeder = Feed(2, 300);
    const std::int64_t start = clock_.NowMs();
    EXPECT_EQ(ReadProgram(), Reply("3FFF3FFF3FFF3FFF")) << "card 1 is fresh";
    EXPECT_EQ(Poll(), kAckEot);
    WriteProgram("1234");
    clock_.Advance(50);
    EXPECT_EQ(Poll(), kDleByte) << "taken out before the poll was answered";
    EXPECT_EQ(Send('A', '3', "3"), kDleByte);
    clock_.Advance(299);
    EXPECT_EQ(Poll(), kDleByte) << "the gap has not passed";
    clock_.Advance(1);
    EXPECT_EQ(Poll(), kAckEot);
    EXPECT_EQ(ReadProgram(), Reply("3FFF3FFF3FFF3FFF")) << "card 2 is fresh too";
    WriteProgram("2345");
    EXPECT_EQ(Poll(), kDleByte);
    clock_.Advance(10000);
    EXPECT_EQ(Poll(), kDleByte) << "after the last card the slot stays empty";
    EXPECT_EQ(Poll(), kDleByte);

    const std::vector<TSimFeedEvent> expected{{TKind::Inserted, 1, start},
                                              {TKind::Removed, 1, start + 50},
                                              {TKind::Inserted, 2, start + 350},
                                              {TKind::Removed, 2, start + 350}};
    ASSERT_EQ(feeder.Events().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(feeder.Events()[i].kind, expected[i].kind) << i;
        EXPECT_EQ(feeder.Events()[i].card, expected[i].card) << i;
        EXPECT_EQ(feeder.Events()[i].timeMs, expected[i].timeMs) << i;
    }
    EXPECT_EQ(feeder.CardsInserted(), 2);
    EXPECT_EQ(feeder.CardsRemoved(), 2);
    EXPECT_TRUE(feeder.Finished());
    EXPECT_EQ(feeder.CardInSlot(), 0);
}

TEST_F(SimFeederTest, ACardStaysUntilItIsWrittenAndThenReleased) {
    const TSimFeeder& feeder = Feed(2, 0);
    // Polls, reads and releases of an idle host take nothing out.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Poll(), kAckEot);
        ReadProgram();
        clock_.Advance(1000);
    }
    // Written but not released: the host is still at it.
    Send('A', '3', "3");
    Send('H', '3');
    Send('A', '3', "0");
    Send('A', '3', "3");
    Send('C', '3', "AB");
    EXPECT_EQ(Poll(), kAckEot);
    EXPECT_EQ(feeder.CardInSlot(), 1);
    Send('A', '3', "0");
    EXPECT_EQ(Send('A', '3', "3"), kAckEot) << "a mode after the release is no poll";
    EXPECT_EQ(Poll(), kDleByte);
    EXPECT_EQ(feeder.CardInSlot(), 0);
    EXPECT_EQ(Poll(), kAckEot) << "no gap: in at the next frame";
    EXPECT_EQ(feeder.CardInSlot(), 2);
    EXPECT_EQ(device_.Card().Text(TSimMemory::Data), "FFFF");
}

TEST_F(SimFeederTest, EveryWriteAndEraseCountsAsProgramming) {
    // External EEPROM: behind a released loader, in mode 1.
    const std::pair<char, std::string> writes[] = {
        {'B', "0000"}, {'C', "AB"}, {'D', "0000"}, {'H', ""}, {'I', "AB"}};
    Feed(6, 0);
    for (const auto& [command, data] : writes) {
        Send('A', '3', command == 'I' ? "1" : "3");
        Send(command, '3', data);
        Send('A', '3', "0");
        EXPECT_EQ(Poll(), kDleByte) << command;
        EXPECT_EQ(Poll(), kAckEot) << command;
    }
}

TEST_F(SimFeederTest, LineFaultsCountFromTheCardsInsertion) {
    const TSimFeeder& feeder = Feed(2, 0, {{2, {ParseSimFault("nack@P2")}}});
    EXPECT_EQ(Poll(), kAckEot);
    EXPECT_EQ(Poll(), kAckEot) << "card 1 has no fault";
    EXPECT_EQ(Poll(), kAckEot);
    WriteProgram("1234");
    EXPECT_EQ(Poll(), kDleByte);
    EXPECT_EQ(Poll(), kAckEot) << "card 2's first poll";
    EXPECT_EQ(feeder.CardInSlot(), 2);
    EXPECT_EQ(Poll(), kNakByte) << "card 2's second poll";
    EXPECT_EQ(Poll(), kAckEot);
}

TEST_F(SimFeederTest, ACardPulledOrPutBackCountsAsOutAndIn) {
    const TSimFeeder& feeder = Feed(2, 100, {{1, {ParseSimFault("pull@P2")}}});
    EXPECT_EQ(Poll(), kAckEot);
    EXPECT_EQ(Poll(), kDleByte) << "pulled";
    ASSERT_EQ(feeder.Events().size(), 2u);
    EXPECT_EQ(feeder.Events()[1].kind, TKind::Removed);
    clock_.Advance(100);
    EXPECT_EQ(Poll(), kAckEot) << "the next card after the gap";
    EXPECT_EQ(feeder.CardInSlot(), 2);

    device_.SetPresent(false); // SIGUSR1
    device_.SetPresent(true);  // SIGUSR2: the same card again
    EXPECT_EQ(feeder.CardInSlot(), 2);
    EXPECT_EQ(feeder.CardsInserted(), 3);
    EXPECT_EQ(feeder.CardsRemoved(), 2);
    WriteProgram("1234");
    EXPECT_EQ(Poll(), kDleByte);
    EXPECT_TRUE(feeder.Finished());
}

TEST_F(SimFeederTest, StuckCellsKeepTheirBlankAndAReadBackDiffersExactlyThere) {
    Feed(1, 0,
         {{1,
           {ParseSimCardFault("stuck-program@2"), ParseSimCardFault("stuck-data@0x1"),
            ParseSimCardFault("stuck-eeprom@1")}}});
    WriteProgram("0123012301230123");
    Send('A', '3', "3");
    Send('C', '3', "A1B2");
    Send('A', '3', "0");
    Send('A', '3', "1");
    Send('I', '3', "C1C2C3");
    EXPECT_EQ(device_.Card().Text(TSimMemory::Program), "012301233FFF0123");
    EXPECT_EQ(device_.Card().Text(TSimMemory::Data), "A1FF");
    EXPECT_EQ(device_.Card().Text(TSimMemory::Eeprom), "C1FFC3");
    // Neither an erase nor a load puts anything into a stuck cell.
    device_.Card().Erase();
    device_.Card().Load(TSimMemory::Program, "1111222233334444");
    EXPECT_EQ(device_.Card().Text(TSimMemory::Program), "111122223FFF4444");
}

TEST(SimFeedPlan, PlansTheCardsCannotFollowAreRefused) {
    const TSimCardModel model = simtest::SmallPicModel(); // 4 words, 2 bytes, EEPROM 3 bytes
    TFakeClock clock;
    const auto refused = [&](TSimFeedPlan plan) {
        TSimDevice device{TSimCard(model)};
        EXPECT_THROW(device.SetFeed(plan, clock), ESimSetup);
        return device.Feeder() == nullptr;
    };
    EXPECT_TRUE(refused({0, {}, 0}));
    EXPECT_TRUE(refused({1, {}, -1}));
    EXPECT_TRUE(refused({2, {{3, {ParseSimFault("nack@1")}}}, 0}));
    EXPECT_TRUE(refused({2, {{0, {ParseSimFault("nack@1")}}}, 0}));
    EXPECT_TRUE(refused({1, {{1, {TSimStuckCell{TSimMemory::Program, 4}}}}, 0}));
    EXPECT_TRUE(refused({1, {{1, {TSimStuckCell{TSimMemory::Data, 2}}}}, 0}));
    EXPECT_TRUE(refused({1, {{1, {TSimStuckCell{TSimMemory::Eeprom, 3}}}}, 0}));
    TSimCardModel noEeprom = model;
    noEeprom.eepromBytes = 0;
    EXPECT_THROW(
        ValidateSimFeedPlan({1, {{1, {TSimStuckCell{TSimMemory::Eeprom, 0}}}}, 0}, noEeprom),
        ESimSetup);
    EXPECT_NO_THROW(
        ValidateSimFeedPlan({1, {{1, {TSimStuckCell{TSimMemory::Eeprom, 2}}}}, 0}, model));
    try {
        ValidateSimFeedPlan({2, {{2, {TSimStuckCell{TSimMemory::Program, 9}}}}, 0}, model);
        ADD_FAILURE() << "a word past the end";
    } catch (const ESimSetup& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Card 2, stuck-program@9: The card has no program word 9 (only 0 to 3)");
    }
}

TEST(SimFeedFaultText, ParsesTheCardAndItsFault) {
    const auto [card, fault] = ParseSimFeedFault("3:stuck-eeprom@0x10");
    EXPECT_EQ(card, 3);
    const auto* stuck = std::get_if<TSimStuckCell>(&fault);
    ASSERT_NE(stuck, nullptr);
    EXPECT_EQ(stuck->memory, TSimMemory::Eeprom);
    EXPECT_EQ(stuck->cell, 16u);
    EXPECT_EQ(SimCardFaultName(ParseSimFeedFault("12:Stuck-Data@0X1f").second), "stuck-data@31");
    EXPECT_EQ(SimCardFaultName(ParseSimFeedFault("1:stuck-program@17").second), "stuck-program@17");
    const auto line = ParseSimFeedFault("2:silent@W1").second;
    ASSERT_TRUE(std::holds_alternative<TSimFault>(line));
    EXPECT_EQ(std::get<TSimFault>(line).kind, TSimFaultKind::Silent);
    EXPECT_EQ(std::get<TSimFault>(line).command, 'W');
    EXPECT_EQ(SimCardFaultName(line), "silent@W1");

    for (const char* bad :
         {"nack@1", "0:nack@1", "+1:nack@1", "x:nack@1", ":nack@1", "1:nack@0", "1:jam@1",
          "1:stuck-data", "1:stuck-data@", "1:stuck-data@-1", "1:stuck-data@0x", "1:stuck-data@12z",
          "1:stuck-data@+1", "1:stuck-config@1", "1:"}) {
        try {
            ParseSimFeedFault(bad);
            ADD_FAILURE() << bad << " was taken";
        } catch (const ESimSetup& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(std::string("'") + bad + "'"), std::string::npos) << message;
            EXPECT_NE(message.find("K:FAULT"), std::string::npos) << message;
            EXPECT_NE(message.find("stuck-eeprom@ADDR"), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
}

} // namespace
} // namespace korvex::sim
