#include "workflowrig.h"

#include "support/readfile.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/production/productionboard.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;

// A PIC card type with its sample files chosen and the card in the slot.
struct BoardRig : TWorkflowRig {
    BoardRig() {
        Start();
        flows.SetFileField(TFileRow::frProgram, (folder / "samples" / "sample84.hex").string());
        flows.SetFileField(TFileRow::frEeprom, (folder / "samples" / "sample24c16.hex").string());
        ClearRecords();
    }
    std::size_t Lines(const std::filesystem::path& file) const {
        const std::string text = ReadFileIfExists(file).value_or("");
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }
};

// Runs `during` at each turn of the window's events while the board's run is
// on, until it returns true; then presses the button again to stop the run.
void RunUntil(BoardRig& rig, TPProductionBoard& board, const std::function<bool()>& during) {
    bool stopped = false;
    rig.pump.during = [&] {
        if (!stopped && rig.flows.ProductionRunning() && during()) {
            stopped = true;
            board.Toggle();
        }
    };
    board.Toggle();
    rig.pump.during = nullptr;
}

TEST(ProductionBoard, ARunKeepsThePlanItStartedWithAndShowsTheCard) {
    BoardRig rig;
    TPProductionBoard board(rig.flows);
    const std::filesystem::path record = rig.dir / "batch.csv";
    const std::filesystem::path other = rig.dir / "other.csv";
    board.SetRecordFile(record);
    board.SetCount(-3);
    EXPECT_EQ(board.Count(), 0) << "no count below none";
    EXPECT_EQ(board.View().recordName, record.string());

    int turnsAfterCard = 0;
    TProductionView seen;
    TProductionView inHand;
    RunUntil(rig, board, [&] {
        board.Refresh();
        if (inHand.cardInHand.empty()) {
            inHand = board.View();
        }
        if (board.View().good == 0) {
            return false;
        }
        seen = board.View();
        // The plan cannot change under the run.
        board.SetRecordFile(other);
        board.SetCount(5);
        return ++turnsAfterCard > 60; // a few poll periods with the card left in
    });

    EXPECT_TRUE(seen.running);
    EXPECT_TRUE(seen.buttonEnabled) << "the button stops the run";
    EXPECT_EQ(seen.buttonCaption, rig.Text(entries::kProductionStop));
    EXPECT_EQ(seen.lastColour, TLastCardColour::lcGood);
    EXPECT_EQ(seen.lastCard.rfind("Card 1 good", 0), 0u) << seen.lastCard;
    // The card in hand, with the step it is at.
    EXPECT_EQ(inHand.cardInHand.rfind("Card 1: ", 0), 0u) << inHand.cardInHand;
    EXPECT_FALSE(inHand.planEnabled);
    EXPECT_TRUE(seen.cardInHand.empty()) << "taken out, the card is in hand no more";
    const TProductionView& view = board.View();
    EXPECT_FALSE(view.running);
    EXPECT_EQ(view.buttonCaption, rig.Text(entries::kProductionStart));
    EXPECT_EQ(view.good, 1);
    EXPECT_EQ(view.failed, 0);
    // The card left in the slot is programmed once: after the first poll
    // that found it again, nothing but polls and the release.
    const std::vector<std::string> sent = rig.Sent();
    const auto firstPoll = std::find_if(sent.begin(), sent.end(),
                                        [](const std::string& frame) { return frame[0] == 'P'; });
    ASSERT_NE(firstPoll, sent.end());
    EXPECT_GT(rig.Count('H'), 0u);
    EXPECT_GE(std::count_if(firstPoll, sent.end(),
                            [](const std::string& frame) { return frame[0] == 'P'; }),
              2);
    for (auto frame = firstPoll; frame != sent.end(); ++frame) {
        EXPECT_TRUE((*frame)[0] == 'P' || *frame == "A30") << *frame;
    }
    EXPECT_EQ(board.RecordFile(), record);
    EXPECT_EQ(board.Count(), 0);
    EXPECT_EQ(view.recordName, record.string());
    EXPECT_EQ(rig.Lines(record), 2u) << "the header and the card";
    EXPECT_FALSE(std::filesystem::exists(other));
}

TEST(ProductionBoard, ThePlanOfARunThatStartedComesBackWithTheNextBoard) {
    BoardRig rig;
    {
        TPProductionBoard board(rig.flows);
        // A run refused (no programmer) leaves the stored plan alone.
        rig.flows.ChooseOffline();
        board.SetRecordFile(rig.dir / "refused.csv");
        board.Toggle();
        // Said in the view, not in a box that would stop the line.
        EXPECT_TRUE(rig.prompts.messages.empty());
        EXPECT_EQ(board.View().state, FillIn(rig.Text(entries::kRunStoppedBecause),
                                             {rig.Text(entries::kNotConnectedOrNoCard)}));
        EXPECT_EQ(board.View().slot, TSlotPhase::spStopped);
        EXPECT_EQ(rig.settings.ReadString(TPSettingsStore::kProductionRecord), std::nullopt);
    }
    EXPECT_EQ(TPProductionBoard(rig.flows).RecordFile(), std::filesystem::path());

    rig.flows.ChoosePort(1);
    rig.Poll();
    {
        TPProductionBoard board(rig.flows);
        board.SetRecordFile(rig.dir / "batch.csv");
        board.SetCount(1); // the run ends by itself after one card
        board.SetStation("Line 2");
        board.Toggle();
        EXPECT_EQ(board.View().good, 1);
    }
    const TPProductionBoard next(rig.flows);
    EXPECT_EQ(next.RecordFile(), rig.dir / "batch.csv");
    EXPECT_EQ(next.Count(), 1);
    EXPECT_EQ(next.Station(), "Line 2");
    EXPECT_EQ(next.View().recordName, (rig.dir / "batch.csv").string());
}

TEST(ProductionBoard, ARunCannotStartWhileACommandRuns) {
    BoardRig rig;
    TPProductionBoard board(rig.flows);
    std::optional<TProductionView> during;
    rig.pump.during = [&] {
        if (!during && rig.flows.Busy()) {
            board.Refresh();
            during = board.View();
        }
    };
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
    rig.pump.during = nullptr;
    ASSERT_TRUE(during.has_value());
    EXPECT_FALSE(during->buttonEnabled);
    EXPECT_FALSE(during->planEnabled) << "the record file and count wait for the command";
    board.Refresh();
    EXPECT_TRUE(board.View().buttonEnabled);
    EXPECT_TRUE(board.View().planEnabled);
}

// Stop with a card in hand says so at once; the card is finished, and so is
// the run, showing the serial values the card got.
TEST(ProductionBoard, StopWithACardInHandSaysSoAtOnceAndFinishesTheCard) {
    BoardRig rig;
    rig.flows.EditSerialFields(
        {"Serial1:memory=eeprom,address=0x100,length=2,format=bcd,first=1200,last=9999"}, {});
    TPProductionBoard board(rig.flows);
    std::string stateAfterStop;
    rig.pump.during = [&] {
        if (stateAfterStop.empty() && !board.View().cardInHand.empty()) {
            board.Toggle();
            stateAfterStop = board.View().state;
        }
    };
    board.Toggle();
    rig.pump.during = nullptr;
    EXPECT_EQ(stateAfterStop, rig.Text(entries::kStoppingAfterCard));
    EXPECT_EQ(board.View().good, 1);
    EXPECT_EQ(board.View().lastSerials, "Serial1 1200");
    EXPECT_FALSE(board.View().running);
    EXPECT_TRUE(board.View().state.empty());
}

// The slot says what the operator is to do at each moment of a run; the
// recent cards list every card, newest first, a failed one kept beside the
// good ones after it; the yield and the rate are the run's.
TEST(ProductionBoard, TheSlotYieldAndRecentCardsFollowTheRun) {
    BoardRig rig;
    rig.flows.EditSerialFields(
        {"Serial1:memory=eeprom,address=0x100,length=2,format=bcd,first=1200,last=9999"}, {});
    TPProductionBoard board(rig.flows);
    board.SetCount(3);
    std::vector<TSlotPhase> phases{board.View().slot};
    std::vector<std::string> inHandSerials;
    board.OnChange = [&] {
        if (phases.back() != board.View().slot) {
            phases.push_back(board.View().slot);
        }
        if (!board.View().inHandSerials.empty() &&
            (inHandSerials.empty() || inHandSerials.back() != board.View().inHandSerials)) {
            inHandSerials.push_back(board.View().inHandSerials);
        }
    };
    std::size_t dataWrites = 0;
    bool spoiled = false;
    rig.pump.during = [&] {
        const TProductionView& view = board.View();
        // The operator takes each card out and puts the next in.
        if (view.slot == TSlotPhase::spTakeCardOut && rig.device.Present()) {
            rig.device.SetPresent(false);
        } else if (view.slot == TSlotPhase::spPutCardIn && !rig.device.Present()) {
            rig.device.SetPresent(true);
            dataWrites = rig.Count('E');
        }
        // The second card does not keep its data EEPROM.
        if (view.good + view.failed == 1 && !spoiled && rig.Count('E') > dataWrites &&
            dataWrites > 0) {
            rig.device.Card().Write(sim::TSimMemory::Data, 0, "00");
            spoiled = true;
        }
    };
    board.Toggle();
    rig.pump.during = nullptr;

    using enum TSlotPhase;
    EXPECT_EQ(phases,
              (std::vector<TSlotPhase>{spStopped, spPutCardIn, spProgramming, spTakeCardOut,
                                       spPutCardIn, spProgramming, spTakeCardOut, spPutCardIn,
                                       spProgramming, spTakeCardOut, spStopped}));
    EXPECT_EQ(inHandSerials,
              (std::vector<std::string>{"Serial1 1200", "Serial1 1201", "Serial1 1202"}));
    const TProductionView& view = board.View();
    EXPECT_EQ(view.slotText, rig.Text(entries::kSlotStopped));
    ASSERT_EQ(view.recent.size(), 3u);
    std::vector<int> order;
    for (const TRecentCard& card : view.recent) {
        order.push_back(card.sequence);
    }
    EXPECT_EQ(order, (std::vector<int>{3, 2, 1}));
    const TRecentCard& failed = view.recent[1];
    EXPECT_EQ(failed.verdict, TCardVerdict::cvFailed);
    EXPECT_EQ(failed.outcome, rig.Text(entries::kOutcomeFailed));
    EXPECT_EQ(failed.step, rig.Text(entries::kStepProcessorVerify));
    EXPECT_EQ(failed.difference.rfind("First difference at data eeprom byte 0x0000", 0), 0u)
        << failed.difference;
    EXPECT_EQ(failed.serials, "Serial1 1201");
    EXPECT_NE(failed.line.find("Card 2 failed"), std::string::npos) << failed.line;
    EXPECT_NE(failed.line.find("Serial1 1201"), std::string::npos) << failed.line;
    EXPECT_EQ(view.recent[0].verdict, TCardVerdict::cvGood);
    EXPECT_EQ(view.recent[0].step, "");
    EXPECT_EQ(view.yield, "67 %");
    EXPECT_NE(view.rate, "\u2013");
}

// The list keeps the newest cards, a bounded number of them.
TEST(ProductionBoard, TheRecentCardsAreBoundedNewestFirst) {
    BoardRig rig;
    TPProductionBoard board(rig.flows);
    board.RunStarted({});
    const int cards = static_cast<int>(TProductionView::kRecentKept) + 5;
    for (int sequence = 1; sequence <= cards; ++sequence) {
        TCardResult result;
        result.sequence = sequence;
        result.verdict = sequence % 2 == 0 ? TCardVerdict::cvGood : TCardVerdict::cvFailed;
        board.CardDone(result, {});
    }
    const auto& recent = board.View().recent;
    ASSERT_EQ(recent.size(), TProductionView::kRecentKept);
    EXPECT_EQ(recent.front().sequence, cards);
    EXPECT_EQ(recent.back().sequence, cards - static_cast<int>(TProductionView::kRecentKept) + 1);
}

} // namespace
} // namespace korvex
