#include "workflowrig.h"

#include "workflows/entries.h"

#include <gtest/gtest.h>

#include <functional>

namespace korvex {
namespace {

using namespace korvex::testing;

TEST(Startup, FirstRunWithoutSettingsIsOffline) {
    TWorkflowRig rig;
    rig.flows.FormShow();
    rig.scheduler.Tick();
    EXPECT_EQ(rig.view.windowCaption, "Korvex - OffLine");
    EXPECT_EQ(rig.view.portChoice, 0);
    EXPECT_EQ(rig.view.speedChoice, TBaudRate::br19200);
    EXPECT_EQ(rig.view.statuses.back(), rig.Text(entries::kNotConnected));
    EXPECT_EQ(rig.view.statusColour, TStatusColour::scRed);
    EXPECT_EQ(rig.flows.Session().CardTypeIndex(), 0);
    EXPECT_FALSE(rig.Bench().line.Prog().Port().IsOpen());
    EXPECT_TRUE(rig.device.Frames().empty());
    // A port named for the run, no speed anywhere: the line runs at the
    // speed the menu shows, and the first poll is answered.
    TWorkflowRig named;
    named.flows.FormShow({1, std::nullopt, std::nullopt});
    named.Poll();
    EXPECT_EQ(named.flows.Session().CardState(), TPCardState::csCardReady);
}

TEST(Startup, StoredSpeedChoosesItsItemAndReachesThePort) {
    {
        TWorkflowRig rig;
        rig.settings.Write({{"ComPort", "1"}, {"Speed", "9600"}});
        rig.flows.FormShow();
        rig.Poll();
        EXPECT_EQ(rig.view.speedChoice, TBaudRate::br19200);
        EXPECT_EQ(rig.view.windowCaption, "Korvex - COM1");
        EXPECT_EQ(rig.flows.Session().CardState(), TPCardState::csCardReady);
        EXPECT_EQ(rig.view.statuses.back(), rig.Text(entries::kCardReady));
    }
    {
        // The programmer listens at 19200 and hears nothing at 115200.
        TWorkflowRig rig;
        rig.settings.Write({{"ComPort", "1"}, {"Speed", "115200"}});
        rig.flows.FormShow();
        rig.Poll();
        EXPECT_EQ(rig.view.speedChoice, TBaudRate::br115200);
        EXPECT_EQ(rig.flows.Session().CardState(), TPCardState::csNotConnected);
        EXPECT_TRUE(rig.device.Frames().empty());
    }
    {
        // Offline, a speed goes to the closed port and opens nothing.
        TWorkflowRig rig;
        rig.settings.Write({{"ComPort", "0"}, {"Speed", "9600"}});
        rig.flows.FormShow();
        const TComPort& port = rig.Bench().line.Prog().Port();
        EXPECT_EQ(port.BaudRate(), TBaudRate::br19200);
        rig.flows.ChooseSpeed(TBaudRate::br115200);
        EXPECT_EQ(port.BaudRate(), TBaudRate::br115200);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_FALSE(rig.Bench().line.Prog().Connected());
        EXPECT_TRUE(rig.device.Frames().empty());
    }
}

TEST(Startup, SettingsAreSavedAsTheirCodes) {
    {
        TWorkflowRig rig;
        rig.Start();
        // Chosen by the user, not only for the run.
        rig.flows.ChoosePort(1);
        rig.flows.ChooseSpeed(TBaudRate::br19200);
        rig.flows.ChooseCardType(kPicCard);
        rig.flows.ChooseLanguage("Deutsch");
        EXPECT_TRUE(rig.flows.FormClose());
        EXPECT_EQ(rig.settings.ReadInteger("ComPort"), 1);
        EXPECT_EQ(rig.settings.ReadInteger("Card"), 3); // PIC16F84-24C16 in name order
        EXPECT_EQ(rig.settings.ReadString("CardName"), kPicCard);
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

// What a face names for the run (the window's command line) is not stored;
// what the user then chooses is, and a file by its absolute path.
TEST(Startup, ChoicesForTheRunAreStoredOnlyOnceTheUserMakesThem) {
    for (const bool userChooses : {false, true}) {
        TWorkflowRig rig;
        rig.settings.Write({{"ComPort", "0"}, {"Speed", "115200"}, {"CardName", kPicOnlyCard}});
        const std::string sample = (rig.folder / "samples" / "sample84.hex").string();
        TStartChoices choices;
        choices.programFile = sample;
        rig.Start(choices);
        EXPECT_EQ(rig.flows.Snapshot().rows[0].field, sample);
        const auto home = std::filesystem::current_path();
        if (userChooses) {
            std::filesystem::current_path(rig.folder);
            rig.flows.ChoosePort(1);
            rig.flows.ChooseSpeed(TBaudRate::br19200);
            rig.flows.ChooseCardType(kPicCard);
            rig.flows.SetFileField(TFileRow::frProgram, "samples/../samples/sample84.hex");
        }
        EXPECT_TRUE(rig.flows.FormClose());
        std::filesystem::current_path(home);
        EXPECT_EQ(rig.settings.ReadInteger("ComPort"), userChooses ? 1 : 0);
        EXPECT_EQ(rig.settings.ReadInteger("Speed"), userChooses ? 9600 : 115200);
        EXPECT_EQ(rig.settings.ReadString("CardName"), userChooses ? kPicCard : kPicOnlyCard);
        EXPECT_EQ(StoredDefaults(rig, kPicCard).PicFile, userChooses ? sample : "");
    }
}

// A card type added before the remembered one moves its index; the name
// finds it, and the index still counts when the name is gone.
TEST(Startup, TheCardTypeIsRememberedByName) {
    for (const std::string name : {kPicCard, "Gone"}) {
        TWorkflowRig rig;
        WriteText(rig.CardFile("AAA-TEST"), "[CardType]\nCardName=AAA-TEST\nCardDescription=x\n"
                                            "PicName=PIC 16F84\nEepromName=None\n");
        rig.settings.Write({{"Card", "3"}, {"CardName", name}});
        rig.flows.FormShow();
        EXPECT_EQ(rig.flows.Snapshot().cardText, name == kPicCard ? kPicCard : kPicOnlyCard);
    }
}

// Closing releases an answering programmer with one frame, and never waits
// on a silent one nor releases one released already. Fault: a programmer
// that refused the release had it seven times, each waited for.
TEST(Startup, ClosingWaitsOnOneAnswerAtMost) {
    // Answering; silent; released by the command before; refusing releases.
    for (const int programmer : {0, 1, 2, 3}) {
        TWorkflowRig rig;
        rig.Start();
        if (programmer == 1) {
            rig.device.SetListeningBaud(BaudOf(TBaudRate::br115200));
            rig.scheduler.Tick();
        } else if (programmer == 2) {
            rig.Run(TCardCommand::ccErasePic);
        } else if (programmer == 3) {
            for (int frame = 1; frame <= 7; ++frame) {
                rig.device.AddFault(sim::ParseSimFault("nack@A" + std::to_string(frame)));
            }
        }
        rig.ClearRecords();
        const std::int64_t before = rig.clock.NowMs();
        EXPECT_TRUE(rig.flows.FormClose());
        EXPECT_EQ(rig.Sent(), std::vector<std::string>(programmer % 3 == 0 ? 1 : 0, "A00"));
        EXPECT_LT(rig.clock.NowMs() - before, 100);
    }
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

// A language change words the window anew and changes nothing else: no file
// is read again, and the fuse choices made stay.
TEST(Startup, ALanguageChangeChangesTextsOnly) {
    TWorkflowRig rig;
    rig.Start();
    const std::string file = rig.File("p.hex", PicHexFile(SomeWords(8), {}, 0x3FF2));
    rig.flows.SetFileField(TFileRow::frProgram, file);
    rig.flows.SetFileField(TFileRow::frEeprom, "/nowhere/e.hex");
    rig.flows.SetFuse(TFuse::fuWatchDog, 0);
    const TFuseChoices chosen = rig.flows.Snapshot().fuses;
    const std::string image = rig.Bench().rows.Images().program.GetHexText(0, -1);
    WriteText(file, PicHexFile(SomeWords(8, 5), {}, 0x3FF1));
    const std::string englishFound = rig.Text(entries::kFileFound);
    const std::string englishReady = rig.Text(entries::kCardReady);

    rig.flows.ChooseLanguage("Deutsch");

    EXPECT_NE(rig.Text(entries::kFileFound), englishFound);
    EXPECT_NE(rig.Text(entries::kCardReady), englishReady);
    EXPECT_EQ(rig.view.Row(TFileRow::frProgram).text, rig.Text(entries::kFileFound));
    EXPECT_EQ(rig.view.Row(TFileRow::frEeprom).text, rig.Text(entries::kNoFile));
    EXPECT_EQ(rig.flows.Snapshot().rows[1].problem, rig.Text(entries::kNoSuchFile));
    EXPECT_EQ(rig.view.statuses.back(), rig.Text(entries::kCardReady));
    EXPECT_EQ(rig.view.statusColour, TStatusColour::scLime);
    EXPECT_EQ(rig.flows.Snapshot().fuses, chosen);
    EXPECT_EQ(rig.Bench().rows.Images().program.GetHexText(0, -1), image);
}

// A bare first start is ready to try on the built-in simulator; the close
// stores nothing of it until the user changed something, and then all that
// is shown, so the next start is the same.
TEST(Startup, ABareFirstStartRunsOnTheSimulatorAndIsStoredOnlyOnceChanged) {
    struct TChange {
        const char* name;
        std::function<void(TWorkflowRig&)> change;
        int port;             // stored then
        std::string portPath; // what Com 1 stands for then
    };
    const std::string sim(TPortMap::kSimulator);
    const std::vector<TChange> changes{
        {"nothing", nullptr, 0, ""},
        {"the language", [](TWorkflowRig& rig) { rig.flows.ChooseLanguage("Deutsch"); }, 1, sim},
        {"the port", [](TWorkflowRig& rig) { rig.flows.ChooseOffline(); }, 0,
         TPortMap::DefaultPath(1)},
        // The device chosen takes Com 1's place, not the simulator's stand-in.
        {"a device", [](TWorkflowRig& rig) { rig.flows.ChooseDevice("/dev/ttyUSB7"); }, 1,
         "/dev/ttyUSB7"},
    };
    for (const auto& [name, change, port, portPath] : changes) {
        SCOPED_TRACE(name);
        TWorkflowRig rig;
        TStartChoices bare;
        bare.sampleOnFirstStart = true;
        rig.flows.FormShow(bare);
        rig.Poll();
        TMainSnapshot shot = rig.flows.Snapshot();
        EXPECT_EQ(shot.windowCaption, "Korvex - Simulator");
        EXPECT_EQ(shot.portHint.find("Simulator"), 0u) << shot.portHint;
        EXPECT_NE(shot.portHint.find("Setup → Port"), std::string::npos) << shot.portHint;
        EXPECT_EQ(shot.cardText, TSampleStart::kCard);
        EXPECT_EQ(shot.cardState, TPCardState::csCardReady);
        EXPECT_EQ(shot.rows[0].field, (rig.folder / TSampleStart::kProgramFile).string());
        EXPECT_EQ(shot.rows[1].field, (rig.folder / TSampleStart::kEepromFile).string());
        EXPECT_TRUE(rig.prompts.messages.empty());
        if (change) {
            change(rig);
            // What Com 1 opens now.
            EXPECT_TRUE(port == 0 || rig.ports.PathOf(1) == portPath) << rig.ports.PathOf(1);
        } else {
            // F3 works at once; running it is no change of the settings.
            EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocSucceeded);
        }
        EXPECT_TRUE(rig.flows.FormClose());
        EXPECT_EQ(std::filesystem::exists(rig.settings.FilePath()), change != nullptr);
        EXPECT_EQ(StoredDefaults(rig, kPicCard).PicFile, "") << "the samples are for this run";
        if (change) {
            EXPECT_EQ(rig.settings.ReadInteger("ComPort"), port);
            EXPECT_EQ(rig.settings.ReadString("CardName"), kPicCard);
            EXPECT_EQ(TPortMap::Load(rig.settings).PathOf(1), portPath);
        }
    }
    // Settings there, or a choice named for the run: no first start.
    TWorkflowRig named;
    TStartChoices card;
    card.sampleOnFirstStart = true;
    card.cardName = kPicOnlyCard;
    named.flows.FormShow(card);
    EXPECT_EQ(named.flows.Snapshot().windowCaption, "Korvex - OffLine");
    EXPECT_EQ(named.flows.Snapshot().portHint, "");
}

} // namespace
} // namespace korvex
