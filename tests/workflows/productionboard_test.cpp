#include "workflowrig.h"

#include "support/readfile.h"
#include "workflows/entries.h"
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
        EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kNotConnectedOrNoCard});
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

} // namespace
} // namespace korvex
