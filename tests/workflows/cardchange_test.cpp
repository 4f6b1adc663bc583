#include "catalogue/carderrors.h"
#include "workflowrig.h"
#include "workflows/entries.h"

#include <gtest/gtest.h>
#include <map>

namespace korvex {
namespace {

using namespace korvex::testing;

// Every card type file of the folder by name, as its text.
std::map<std::string, std::string> CardFiles(const TWorkflowRig& rig) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(rig.folder / "cards")) {
        if (entry.path().extension() == ".ini") {
            files[entry.path().stem().string()] = ReadText(entry.path());
        }
    }
    return files;
}

TEST(CardChange, SwitchingSavesTheSettingsIntoTheCardLeftAndShowsTheNewOnes) {
    TWorkflowRig rig;
    rig.Start();
    const std::string other = "PIC16F877-24C64";
    WriteText(rig.CardFile(other), ReadText(rig.CardFile(other)) +
                                       "[Defaults]\nPicFile=/nowhere/q.hex\nWatchDog=0\nOscil=2\n");
    const auto before = CardFiles(rig);
    const std::string program = rig.File("p.hex", PicHexFile(SomeWords(4), {}, {}));
    rig.flows.SetFileField(TFileRow::frProgram, program);
    rig.flows.SetFileField(TFileRow::frEeprom, "/nowhere/e.bin");
    rig.flows.SetFuse(TFuse::fuWatchDog, 0);
    rig.flows.SetFuse(TFuse::fuOscillator, 3);

    rig.SelectCard(other);

    const TPCardDefaults saved = StoredDefaults(rig, kPicCard);
    EXPECT_EQ(saved.PicFile, program);
    EXPECT_EQ(saved.ExtEeFile, "/nowhere/e.bin");
    EXPECT_EQ(saved.WatchDog, 0);
    EXPECT_EQ(saved.Oscil, 3);
    auto after = CardFiles(rig);
    after[kPicCard] = before.at(kPicCard);
    EXPECT_EQ(after, before) << "no other card type file changes";

    EXPECT_EQ(rig.view.fields[0], "/nowhere/q.hex");
    EXPECT_EQ(rig.view.fuses, (TFuseChoices{0, 1, 1, 2, 1}));
    EXPECT_EQ(rig.view.Row(TFileRow::frProgram).colour, TStatusColour::scRed);

    // Back again: the settings come back from the file.
    rig.SelectCard(kPicCard);
    EXPECT_EQ(rig.view.fields[0], program);
    EXPECT_EQ(rig.view.Row(TFileRow::frProgram).text, rig.Text(entries::kFileFound));
}

TEST(CardChange, SettingsFollowTheirCardAcrossARescan) {
    TWorkflowRig rig;
    rig.Start();
    const std::string program = rig.File("p.hex", PicHexFile(SomeWords(4), {}, {}));
    rig.flows.SetFileField(TFileRow::frProgram, program);
    // A new card type sorts first and moves every other one up by one; the
    // card type shown so far is now one further, its old index another's.
    WriteText(rig.CardFile("AAA"), "[CardType]\nCardName=AAA\nPicName=PIC 16F84\n");
    const auto before = CardFiles(rig);

    rig.flows.RefreshCardTypes();

    EXPECT_EQ(StoredDefaults(rig, kPicCard).PicFile, program);
    auto after = CardFiles(rig);
    after[kPicCard] = before.at(kPicCard);
    EXPECT_EQ(after, before);
}

TEST(CardChange, DeletingTheShownCardTypeSavesNothing) {
    TWorkflowRig rig;
    rig.Start();
    rig.flows.SetFileField(TFileRow::frProgram, "/nowhere/p.hex");
    rig.prompts.answers = {false, true};

    EXPECT_EQ(rig.flows.DeleteCardType(), TIntentResult::irDeclined);
    EXPECT_TRUE(std::filesystem::exists(rig.CardFile(kPicCard)));

    auto before = CardFiles(rig);
    before.erase(kPicCard);
    EXPECT_EQ(rig.flows.DeleteCardType(), TIntentResult::irDone);
    EXPECT_EQ(rig.prompts.askedTexts.back(), rig.Text(entries::kDeleteCardType) + " " + kPicCard +
                                                 "\r\n" + rig.Text(entries::kAreYouSure) + " ?");
    EXPECT_EQ(rig.prompts.presets.back(), TAnswer::anNo) << "Enter keeps the card type";
    EXPECT_EQ(CardFiles(rig), before);
    EXPECT_TRUE(rig.flows.FormClose());
    EXPECT_FALSE(std::filesystem::exists(rig.CardFile(kPicCard)));
}

// Fault: deleting a card type whose file had gone meanwhile reported success.
TEST(CardChange, DeletingACardTypeWhoseFileHasGoneSaysSo) {
    TWorkflowRig rig;
    rig.Start();
    std::filesystem::remove(rig.CardFile(kPicCard));
    rig.ClearRecords();
    EXPECT_EQ(rig.flows.DeleteCardType(), TIntentResult::irFailed);
    ASSERT_EQ(rig.prompts.messages.size(), 1u);
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    EXPECT_NE(rig.prompts.messages[0].text.find(kPicCard), std::string::npos)
        << rig.prompts.messages[0].text;
}

TEST(CardChange, FirmwareWarningsAreShownOnceUntilAPicCardIsChosen) {
    TWorkflowRig rig;
    rig.device.SetFirmwareVersion(50);
    rig.Start();
    const auto warned = [&](std::vector<int> entries) {
        EXPECT_EQ(rig.prompts.Entries(), entries);
        for (const auto& m : rig.prompts.messages) {
            EXPECT_EQ(m.kind, TMessageKind::mkWarning);
        }
        rig.prompts.Clear();
    };

    rig.SelectCard(kAvrCard);
    warned({137});
    EXPECT_FALSE(rig.view.layout.cardCommandsEnabled);
    EXPECT_FALSE(rig.view.layout.showFuses);
    rig.SelectCard(kAvr9Card);
    warned({});
    EXPECT_FALSE(rig.view.layout.cardCommandsEnabled);
    EXPECT_TRUE(rig.view.layout.showFuses);
    rig.SelectCard(kPicCard);
    warned({});
    EXPECT_TRUE(rig.view.layout.cardCommandsEnabled);
    rig.SelectCard(kAvr9Card);
    warned({137}); // 1..99 gives 137 only, also for kind 9

    rig.SelectCard(kPicCard);
    rig.device.SetFirmwareVersion(101);
    rig.SelectCard(kAvrCard);
    warned({});
    EXPECT_TRUE(rig.view.layout.cardCommandsEnabled);
    rig.SelectCard(kAvr9Card);
    warned({140});
    EXPECT_FALSE(rig.view.layout.cardCommandsEnabled);
    rig.SelectCard(kAvrCard);
    EXPECT_TRUE(rig.view.layout.cardCommandsEnabled);
    rig.SelectCard(kAvr9Card);
    warned({});
    EXPECT_FALSE(rig.view.layout.cardCommandsEnabled);
}

TEST(CardChange, SettingsAreSavedBeforeARescanThatKeepsOrMovesTheShownCard) {
    // The remembered item is the shown card type's: a rescan selects it again.
    TWorkflowRig rig;
    rig.settings.Write({{"Card", "3"}});
    rig.Start();
    const std::string program = rig.File("p.hex", PicHexFile(SomeWords(4), {}, {}));
    rig.Set(TFileRow::frProgram, program);
    rig.flows.SetFuse(TFuse::fuWatchDog, 0);
    WriteText(rig.CardFile("ZZZ"), "[CardType]\nCardName=ZZZ\nPicName=PIC 16F84\n");

    rig.flows.RefreshCardTypes();
    EXPECT_EQ(rig.flows.Snapshot().cardText, kPicCard);
    EXPECT_EQ(rig.flows.Snapshot().rows[0].field, program) << "not lost to the file's old one";
    EXPECT_EQ(rig.flows.Snapshot().fuses.watchDog, 0);
    EXPECT_EQ(StoredDefaults(rig, kPicCard).PicFile, program);

    // A card type that sorts first moves the list: item 3 is another card
    // type now, which keeps its own settings.
    const std::string shifted = "PIC16F84";
    const std::string shiftedFile = ReadText(rig.CardFile(shifted));
    const std::string next = rig.File("n.hex", PicHexFile(SomeWords(6), {}, {}));
    rig.Set(TFileRow::frProgram, next);
    WriteText(rig.CardFile("AAA"), "[CardType]\nCardName=AAA\nPicName=PIC 16F84\n");
    rig.flows.RefreshCardTypes();
    EXPECT_EQ(rig.flows.Snapshot().cardText, shifted);
    EXPECT_EQ(StoredDefaults(rig, kPicCard).PicFile, next);
    EXPECT_EQ(ReadText(rig.CardFile(shifted)), shiftedFile);
}

TEST(CardChange, AFileThatFailsIsReportedOncePerAction) {
    TWorkflowRig rig;
    const std::string bad = rig.File("bad.hex", ":0G000000FF\r\n");
    WriteText(rig.CardFile(kPicCard),
              ReadText(rig.CardFile(kPicCard)) + "[Defaults]\nPicFile=" + bad + "\n");
    rig.flows.FormShow({1, TBaudRate::br19200, std::string(kPicCard)});
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{-1}) << "start-up is one action";
    rig.prompts.Clear();
    rig.flows.ChooseCardType(kPicCard);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{-1});
    rig.prompts.Clear();
    EXPECT_EQ(rig.Set(TFileRow::frProgram, bad), TIntentResult::irFailed);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{-1});
}

TEST(CardChange, ARescanJudgesFilesOnlyAgainstTheCardTypeChosen) {
    // Shown: a PIC 16F84 (1024 words); remembered: the PIC 16F877 card
    // (8192 words), whose stored program has 2000 words.
    TWorkflowRig rig;
    const std::string big = rig.File("big.hex", PicHexFile(SomeWords(2000), {}, {}));
    const std::string other = "PIC16F877-24C64";
    WriteText(rig.CardFile(other),
              ReadText(rig.CardFile(other)) + "[Defaults]\nPicFile=" + big + "\n");
    rig.settings.Write({{"Card", "4"}});
    rig.Start({1, TBaudRate::br19200, std::string(kPicCard)});
    ASSERT_EQ(rig.flows.Snapshot().cardText, kPicCard);

    rig.flows.RefreshCardTypes();
    EXPECT_EQ(rig.flows.Snapshot().cardText, other);
    EXPECT_TRUE(rig.prompts.messages.empty()) << rig.prompts.messages[0].text;
    EXPECT_EQ(rig.flows.Snapshot().rows[0].status.colour, TStatusColour::scLime);
}

} // namespace
} // namespace korvex
