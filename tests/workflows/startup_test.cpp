#include "workflowrig.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;

TEST(Startup, FirstRunWithoutSettingsIsOffline) {
    TWorkflowRig rig;
    rig.flows.FormShow();
    rig.scheduler.Tick();
    EXPECT_EQ(rig.view.windowCaption, "Korvex - OffLine");
    EXPECT_EQ(rig.view.portChoice, 0);
    EXPECT_EQ(rig.view.speedChoice, std::nullopt);
    EXPECT_EQ(rig.view.statuses.back(), rig.Text(13));
    EXPECT_EQ(rig.view.statusColour, TStatusColour::scRed);
    EXPECT_EQ(rig.Bench().cardBox.ItemIndex(), 0);
    EXPECT_FALSE(rig.flows.Prog()->Port().IsOpen());
    EXPECT_TRUE(rig.device.Frames().empty());
}

TEST(Startup, StoredSpeedChoosesItsItemAndReachesThePort) {
    {
        TWorkflowRig rig;
        rig.settings.Write({{"ComPort", "1"}, {"Speed", "9600"}});
        rig.flows.FormShow();
        rig.Poll();
        EXPECT_EQ(rig.view.speedChoice, TBaudRate::br19200);
        EXPECT_EQ(rig.view.windowCaption, "Korvex - COM1");
        EXPECT_EQ(rig.Bench().cardState, TPCardState::csCardReady);
        EXPECT_EQ(rig.view.statuses.back(), rig.Text(15));
    }
    {
        // The programmer listens at 19200 and hears nothing at 115200.
        TWorkflowRig rig;
        rig.settings.Write({{"ComPort", "1"}, {"Speed", "115200"}});
        rig.flows.FormShow();
        rig.Poll();
        EXPECT_EQ(rig.view.speedChoice, TBaudRate::br115200);
        EXPECT_EQ(rig.Bench().cardState, TPCardState::csNotConnected);
        EXPECT_TRUE(rig.device.Frames().empty());
    }
    {
        // Offline, a speed goes to the closed port and opens nothing.
        TWorkflowRig rig;
        rig.settings.Write({{"ComPort", "0"}, {"Speed", "9600"}});
        rig.flows.FormShow();
        const TComPort& port = rig.flows.Prog()->Port();
        EXPECT_EQ(port.BaudRate(), TBaudRate::br19200);
        rig.flows.ChooseSpeed(TBaudRate::br115200);
        EXPECT_EQ(port.BaudRate(), TBaudRate::br115200);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_FALSE(rig.flows.Prog()->Connected());
        EXPECT_TRUE(rig.device.Frames().empty());
    }
}

TEST(Startup, SettingsAreSavedAsTheirCodes) {
    {
        TWorkflowRig rig;
        rig.Start();
        rig.flows.ChooseLanguage("Deutsch");
        EXPECT_TRUE(rig.flows.FormClose());
        EXPECT_EQ(rig.settings.ReadInteger("ComPort"), 1);
        EXPECT_EQ(rig.settings.ReadInteger("Card"), 3); // PIC16F84-24C16 in name order
        EXPECT_EQ(rig.settings.ReadString("Lang"), "Deutsch");
        EXPECT_EQ(rig.settings.ReadInteger("Speed"), 9600);
    }
    TWorkflowRig rig;
    rig.Start();
    rig.flows.ChooseSpeed(TBaudRate::br115200);
    rig.flows.ChooseOffline();
    rig.flows.SetFileField(TFileRow::frProgram, "/nowhere/p.hex");
    EXPECT_TRUE(rig.flows.FormClose());
    EXPECT_EQ(rig.settings.ReadInteger("ComPort"), 0);
    EXPECT_EQ(rig.settings.ReadInteger("Speed"), 115200);
    EXPECT_NE(ReadText(rig.CardFile(kPicCard)).find("PicFile=/nowhere/p.hex"), std::string::npos);
}

TEST(Startup, AnOptionsFileThatCannotBeWrittenEndsTheCommandWithItsError) {
    TWorkflowRig rig;
    rig.Start();
    rig.flows.SetFileField(TFileRow::frProgram,
                           rig.File("p.hex", PicHexFile(SomeWords(8), {}, {})));
    std::filesystem::remove_all(rig.folder / "options");
    WriteText(rig.folder / "options", "not a folder");
    rig.ClearRecords();

    for (const auto command : {TCardCommand::ccWritePic, TCardCommand::ccAutoProgram}) {
        rig.ClearRecords();
        EXPECT_EQ(rig.Run(command), TOutcome::ocFailed);
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
        EXPECT_NE(rig.prompts.messages[0].text.find("Unable to write to"), std::string::npos)
            << rig.prompts.messages[0].text;
        EXPECT_EQ(rig.TransferFrames(), 0u);
        EXPECT_EQ(rig.view.enables, (std::vector<bool>{false, true}));
    }
    EXPECT_TRUE(rig.device.Card().ProgramBlank());
}

TEST(Startup, ALanguageChangeReEvaluatesTheRowsAndTheStatus) {
    TWorkflowRig rig;
    rig.Start();
    rig.flows.SetFileField(TFileRow::frProgram,
                           rig.File("p.hex", PicHexFile(SomeWords(8), {}, {})));
    rig.flows.SetFileField(TFileRow::frEeprom, "/nowhere/e.hex");
    const std::string englishFound = rig.Text(121);
    const std::string englishNoFile = rig.Text(8);
    const std::string englishReady = rig.Text(15);

    rig.flows.ChooseLanguage("Deutsch");

    EXPECT_NE(rig.Text(121), englishFound);
    EXPECT_NE(rig.Text(8), englishNoFile);
    EXPECT_NE(rig.Text(15), englishReady);
    EXPECT_EQ(rig.view.Row(TFileRow::frProgram).text, rig.Text(121));
    EXPECT_EQ(rig.view.Row(TFileRow::frEeprom).text, rig.Text(8));
    EXPECT_EQ(rig.view.Row(TFileRow::frIntEeprom).text, rig.Text(8));
    EXPECT_EQ(rig.view.statuses.back(), rig.Text(15));
    EXPECT_EQ(rig.view.statusColour, TStatusColour::scLime);
}

} // namespace
} // namespace korvex
