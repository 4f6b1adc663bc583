#include "workflowrig.h"
#include "workflows/entries.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

// A PIC card type on COM1 with a program file loaded.
struct IntentRig : TWorkflowRig {
    IntentRig() : TWorkflowRig(kPicCard) {
        Start();
        Set(TFileRow::frProgram, File("p.hex", PicHexFile(SomeWords(40), SomeBytes(8), 0x3FF2)));
        ClearRecords();
    }
};

TEST(Intents, NothingChangesTheCardTheFilesOrTheLineUnderARunningCommand) {
    IntentRig rig;
    const std::string cardFile = ReadText(rig.CardFile(kPicCard));
    const std::string other = rig.File("q.hex", PicHexFile(SomeWords(8, 9), {}, {}));
    std::vector<TIntentResult> meanwhile;
    TMainSnapshot during;
    rig.pump.during = [&] {
        if (!meanwhile.empty() || rig.Count('B') != 2) {
            return;
        }
        during = rig.flows.Snapshot();
        TPMainWorkflows& flows = rig.flows;
        meanwhile = {
            flows.ChooseCardType(kAvrCard),
            flows.SetFileField(TFileRow::frProgram, other),
            flows.SetFuse(TFuse::fuWatchDog, 0),
            flows.ChoosePort(2),
            flows.ChooseOffline(),
            flows.ChooseSpeed(TBaudRate::br115200),
            flows.ComPortAction(3),
            flows.PollNow(),
            flows.AbandonLine(),
            flows.ChooseLanguage("Deutsch"),
            flows.AcceptOptions(
                TOptionBoxes{false, false, false, false, false, false, false, false}),
            flows.RefreshCardTypes(),
            flows.StoreCardSettings(),
            flows.DeleteCardType(),
            flows.AddCardType({"New", "new one", "PIC 16F84", "None"}),
            flows.EditCardType({kPicCard, "changed", "PIC 16F84", "None"}),
        };
    };

    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);

    EXPECT_EQ(meanwhile, std::vector<TIntentResult>(16, TIntentResult::irRefused));
    EXPECT_TRUE(during.commandRunning);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kPicWritten});
    EXPECT_TRUE(rig.prompts.asked.empty());
    // Still the PIC card type with its file and choices, on the same line.
    const TMainSnapshot after = rig.flows.Snapshot();
    EXPECT_EQ(after.cardText, kPicCard);
    EXPECT_EQ(after.rows[0].field, rig.flows.Session().FileRow(TFileRow::frProgram).field);
    EXPECT_NE(after.rows[0].field, other);
    EXPECT_EQ(after.fuses, (TFuseChoices{1, 0, 1, 2, 1}));
    EXPECT_EQ(after.comPort, 1);
    EXPECT_TRUE(after.connected);
    EXPECT_EQ(after.language, "English");
    EXPECT_FALSE(after.commandRunning);
    EXPECT_EQ(rig.CardText(TSimMemory::Config).substr(28), "3FF2") << "the PIC's own word";
    for (const std::string& frame : rig.Sent()) {
        EXPECT_NE(frame.substr(0, 2), "D8") << "nothing went to an AVR";
    }
    EXPECT_EQ(ReadText(rig.CardFile(kPicCard)), cardFile);
    EXPECT_FALSE(std::filesystem::exists(rig.CardFile("New")));
    EXPECT_TRUE(rig.Options().GetAutoWriteEe());

    // Once it has ended, the same intents are taken.
    EXPECT_EQ(rig.flows.ChooseCardType(kAvrCard), TIntentResult::irDone);
    EXPECT_TRUE(rig.flows.Snapshot().layout.avrKind);
}

TEST(Intents, ADeviceChosenByNameTakesItsPortItemOrComOnesPlaceAndIsRemembered) {
    IntentRig rig;
    // A device a port item stands for already: that item, the map as it was.
    EXPECT_EQ(rig.flows.ChooseDevice(TPortMap::DefaultPath(3)), TIntentResult::irDone);
    EXPECT_EQ(rig.flows.Snapshot().comPort, 3);
    EXPECT_EQ(rig.ports.StoredPathOf(1), TPortMap::DefaultPath(1));

    EXPECT_EQ(rig.flows.ChooseDevice("/dev/ttyUSB4"), TIntentResult::irDone);
    TMainSnapshot shot = rig.flows.Snapshot();
    EXPECT_EQ(shot.comPort, 1);
    EXPECT_EQ(shot.windowCaption, "Korvex - COM1");
    EXPECT_EQ(shot.portDevices[0], "/dev/ttyUSB4");
    EXPECT_EQ(TPortMap::Load(rig.settings).PathOf(1), "/dev/ttyUSB4");

    // A choice that cannot be remembered changes neither the map nor the line.
    std::filesystem::rename(rig.dir / "settings", rig.dir / "settings-kept");
    WriteText(rig.dir / "settings", "a file where the settings folder belongs");
    EXPECT_EQ(rig.flows.ChooseDevice("/dev/ttyACM2"), TIntentResult::irFailed);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{-1}) << "said why, thrown at nobody";
    EXPECT_EQ(rig.ports.PathOf(1), "/dev/ttyUSB4");
    EXPECT_EQ(rig.flows.Snapshot().portDevices[0], "/dev/ttyUSB4");
    EXPECT_EQ(rig.flows.Snapshot().comPort, 1);
    std::filesystem::remove(rig.dir / "settings");
    std::filesystem::rename(rig.dir / "settings-kept", rig.dir / "settings");

    // Not under a running command: neither the line nor the map changes.
    rig.Poll();
    std::optional<TIntentResult> during;
    rig.pump.during = [&] {
        if (!during) {
            during = rig.flows.ChooseDevice(std::string(TPortMap::kSimulator));
        }
    };
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
    EXPECT_EQ(during, TIntentResult::irRefused);
    EXPECT_EQ(rig.ports.PathOf(1), "/dev/ttyUSB4");
    EXPECT_EQ(TPortMap::Load(rig.settings).PathOf(1), "/dev/ttyUSB4");
}

TEST(Intents, TheSnapshotHoldsWhatTheNotificationsSaid) {
    IntentRig rig;
    rig.flows.SetFileField(TFileRow::frEeprom, "/nowhere/e.hex");
    rig.flows.SetFuse(TFuse::fuOscillator, 3);
    const TMainSnapshot shot = rig.flows.Snapshot();
    EXPECT_EQ(shot.windowCaption, "Korvex - COM1");
    EXPECT_EQ(shot.statusCaption,
              rig.view.statuses.empty() ? rig.Text(entries::kCardReady) : rig.view.statuses.back());
    EXPECT_EQ(shot.statusColour, TStatusColour::scLime);
    EXPECT_EQ(shot.cardState, TPCardState::csCardReady);
    for (int row = 0; row < kFileRowCount; ++row) {
        EXPECT_EQ(shot.rows[static_cast<std::size_t>(row)].status,
                  rig.view.Row(static_cast<TFileRow>(row)))
            << row;
        EXPECT_EQ(shot.rows[static_cast<std::size_t>(row)].field,
                  rig.view.fields[static_cast<std::size_t>(row)])
            << row;
    }
    EXPECT_EQ(shot.layout, rig.view.layout);
    EXPECT_EQ(shot.fuses, rig.view.fuses);
    EXPECT_EQ(shot.fuses.oscillator, 3);
    EXPECT_EQ(shot.cardTypes.size(), 5u);
    EXPECT_EQ(shot.cardTypes[static_cast<std::size_t>(shot.cardIndex)], kPicCard);
    EXPECT_EQ(shot.processorName, "PIC 16F84");
    EXPECT_EQ(shot.languages, (std::vector<std::string>{"Deutsch", "English"}));
    EXPECT_EQ(shot.logButtonCaption, "Start log");
}

// Which entry captions which control is the workflows' table: the captions
// follow the family of the card type and the language.
TEST(Intents, CaptionsFollowTheFamilyAndTheLanguage) {
    IntentRig rig;
    const auto caption = [](const TMainSnapshot& shot, const std::string& control) {
        std::string text = "(none)";
        for (const auto& [name, value] : shot.captions) {
            if (name == control) {
                text = value; // a control named twice takes the later text
            }
        }
        return text;
    };
    TMainSnapshot shot = rig.flows.Snapshot();
    EXPECT_EQ(caption(shot, "ReadPic1"), rig.Text(entries::kPicReadMenu));
    EXPECT_EQ(caption(shot, "lblPicCaption"), rig.Text(entries::kPicRowLabel));
    EXPECT_EQ(caption(shot, "rdgProtection:1"), rig.Text(entries::kDisabled));
    EXPECT_EQ(caption(shot, "grbCardType"), rig.Text(entries::kCardTypeGroup));
    EXPECT_EQ(caption(shot, "Pic1"), rig.Text(entries::kPicItem));
    EXPECT_EQ(caption(shot, "Production1"), rig.Text(entries::kProductionMenu));
    EXPECT_EQ(caption(shot, "btnProduction"), rig.Text(entries::kProduction));

    rig.SelectCard(kAvrCard);
    rig.flows.ChooseLanguage("Deutsch");
    shot = rig.flows.Snapshot();
    EXPECT_EQ(caption(shot, "ReadPic1"), rig.Text(entries::kAvrReadMenu));
    EXPECT_EQ(caption(shot, "lblPicCaption"), rig.Text(entries::kAvrRowLabel));
    EXPECT_EQ(caption(shot, "MenuItem1"), rig.Text(entries::kAvrWriteItem));
    EXPECT_EQ(caption(shot, "Pic1"), rig.Text(entries::kAvrItem));
    EXPECT_EQ(caption(shot, "File1"), rig.Text(entries::kFileMenu));
    EXPECT_EQ(rig.Text(entries::kFileMenu), "&Datei");
    EXPECT_EQ(caption(shot, "Production1"), "Pr&oduktion...");
}

TEST(Intents, PopUpItemsActOnTheLastBigButtonPressed) {
    IntentRig rig;
    // Before any button: the items do nothing.
    EXPECT_EQ(rig.flows.PicItemClick(), std::nullopt);
    EXPECT_EQ(rig.flows.WritePicItemClick(), std::nullopt);
    EXPECT_TRUE(rig.Sent().empty());

    rig.flows.PressButton(TBigButton::bbVerify);
    EXPECT_EQ(rig.flows.WritePicItemClick(), std::nullopt) << "the write pop-up needs Write";
    EXPECT_EQ(rig.flows.PicItemClick(), TOutcome::ocFailed);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyFailed});
    EXPECT_EQ(rig.Count('B'), 0u);

    rig.flows.PressButton(TBigButton::bbWrite);
    rig.prompts.Clear();
    EXPECT_EQ(rig.flows.PicItemClick(), std::nullopt) << "the read pop-up has no write";
    EXPECT_EQ(rig.flows.WritePicItemClick(), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kPicWritten});
}

TEST(Intents, AStoppedCommandEndsQuietlyAndTheNextRunsWhole) {
    IntentRig rig;
    rig.pump.during = [&] {
        if (rig.Count('B') == 3) {
            rig.flows.RequestStop();
        }
    };
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocAborted);
    EXPECT_TRUE(rig.prompts.messages.empty());
    EXPECT_TRUE(rig.linkPrompts.errors.empty());
    EXPECT_EQ(rig.Count('B'), 4u) << "the packet under way, then no more";
    EXPECT_EQ(rig.Count('D'), 0u) << "no configuration word after a stop";
    EXPECT_EQ(rig.Sent().back(), "A00") << "the programmer released";

    rig.pump.during = nullptr;
    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kPicWritten});
    EXPECT_EQ(rig.CardText(TSimMemory::Program).substr(0, 4 * 40), WordsText(SomeWords(40)));
}

TEST(Intents, OptionsThatCannotBeSavedAreReported) {
    IntentRig rig;
    std::filesystem::remove_all(rig.folder / "options");
    WriteText(rig.folder / "options", "not a folder");
    TOptionBoxes boxes;
    boxes.chkawEeprom = false;
    EXPECT_EQ(rig.flows.AcceptOptions(boxes), TIntentResult::irFailed);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kOptionsNotSaved});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    EXPECT_NE(rig.prompts.messages[0].text.find("Unable to write to"), std::string::npos)
        << rig.prompts.messages[0].text;
}

// A serial field the card type dialog is given is checked before anything
// is written: a good one comes back, a bad one says why and changes nothing.
TEST(Intents, ASerialFieldIsCheckedBeforeItIsWritten) {
    IntentRig rig;
    const std::string before = ReadText(rig.CardFile(kPicCard));
    const auto field =
        rig.flows.CheckSerialField("Serial1:memory=eeprom,address=0x10,length=4,format=bcd");
    ASSERT_TRUE(field.has_value());
    EXPECT_EQ(field->address, 0x10u);
    // Refused where it is typed: a length of none, and bytes past the 24C16's
    // 2048 or beyond the PIC 16F84's 64 of data EEPROM.
    for (const char* line : {"Serial1:memory=eeprom,length=0",
                             "Serial1:memory=eeprom,address=0x7FE,length=4,format=bcd",
                             "Serial1:memory=int-eeprom,address=0x40,length=1,format=bcd"}) {
        SCOPED_TRACE(line);
        rig.prompts.messages.clear();
        EXPECT_FALSE(rig.flows.CheckSerialField(line).has_value());
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        EXPECT_NE(rig.prompts.messages[0].text.find("Serial1"), std::string::npos);
    }
    EXPECT_EQ(ReadText(rig.CardFile(kPicCard)), before);
}

// A processor or EEPROM typed into a card type dialog is stored in the
// catalogue's spelling, or refused at Ok naming the nearest names.
TEST(Intents, ACardTypeDialogTakesOnlyPartsTheCatalogueLists) {
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"PIC 16F84", "24C16", "PicName=PIC 16F84\nEepromName=24C16\n"},
        {"pic 16f84a", "none", "PicName=PIC 16F84A\nEepromName=None\n"},
        {"PIC16F84", "24C16", ": PIC 16F84. "},
        {"PIC 16F87", "24C16", ": PIC 16F84, PIC 16F876, PIC 16F877. "},
        {"PIC 16F84", "24LC16", ": 24C16. "},
        {"Z80", "24C16", "Choose one from the list"},
    };
    for (const auto& [processor, eeprom, expected] : cases) {
        SCOPED_TRACE(processor + std::string(" ") + eeprom);
        IntentRig rig;
        const bool taken = expected.starts_with("PicName");
        const auto result = taken ? TIntentResult::irDone : TIntentResult::irFailed;
        EXPECT_EQ(rig.flows.EditCardType({kPicCard, "edited", processor, eeprom}), result);
        EXPECT_EQ(rig.flows.AddCardType({"New", "new", processor, eeprom}), result);
        for (const char* card : {"New", kPicCard}) {
            std::string file = std::filesystem::exists(rig.CardFile(card))
                                   ? ReadText(rig.CardFile(card))
                                   : std::string();
            std::erase(file, '\r');
            EXPECT_EQ(file.find(expected) != std::string::npos, taken) << file;
            EXPECT_EQ(file.find("edited") != std::string::npos, taken && card == kPicCard);
        }
        for (const auto& message : rig.prompts.messages) {
            EXPECT_NE(message.text.find(expected), std::string::npos) << message.text;
        }
        EXPECT_EQ(rig.prompts.messages.size(), taken ? 0u : 2u);
    }
}

} // namespace
} // namespace korvex
