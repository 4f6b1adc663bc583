// What a card gets is the file its row names, as it is when the command
// starts, for the card type shown; and the fuse choices follow one rule.
#include "workflowrig.h"

#include "sim/simfaults.h"
#include "workflows/entries.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

// A PIC card type with a program file and an EEPROM file loaded, then
// whatever `change` does to the rows, the files or the card type.
struct NamedRig : TWorkflowRig {
    std::string program = File("p.hex", PicHexFile(SomeWords(16, 1), {}, {}));
    std::string eeprom = File("e.hex", HexData(0, SomeBytes(32, 2)) + HexEnd());

    NamedRig() {
        Start();
        Set(TFileRow::frProgram, program);
        Set(TFileRow::frEeprom, eeprom);
        ClearRecords();
    }
};

// Nothing of an image crosses a card type change, a row that shows no file
// is never written or verified, and a file that became unusable refuses the
// command before anything is sent.
TEST(FilesNamed, NoImageIsUsedThatTheRowsDoNotNameNow) {
    struct TCase {
        const char* what;
        void (*change)(NamedRig&);
        TCardCommand command;
        int message;
    };
    const TCase cases[] = {
        {"another card type", [](NamedRig& rig) { rig.SelectCard(kAvrCard); },
         TCardCommand::ccWritePic, entries::kNoProgramImage},
        {"another card type, verify", [](NamedRig& rig) { rig.SelectCard("PIC16F877-24C64"); },
         TCardCommand::ccVerifyPic, entries::kNothingToVerifyProgram},
        {"another card type, auto", [](NamedRig& rig) { rig.SelectCard("PIC16F877-24C64"); },
         TCardCommand::ccAutoProgram, entries::kNoProgramImage},
        {"a field typed over",
         [](NamedRig& rig) { rig.Set(TFileRow::frProgram, "/nowhere/x.hex"); },
         TCardCommand::ccWritePic, entries::kRowUnusable},
        {"a field typed over, verify",
         [](NamedRig& rig) { rig.Set(TFileRow::frProgram, "/nowhere/x.hex"); },
         TCardCommand::ccVerifyPic, entries::kRowUnusable},
        {"a cleared field", [](NamedRig& rig) { rig.Set(TFileRow::frEeprom, ""); },
         TCardCommand::ccWriteEeprom, entries::kNoEepromImage},
        {"the file deleted", [](NamedRig& rig) { std::filesystem::remove(rig.program); },
         TCardCommand::ccWritePic, entries::kRowUnusable},
        {"the file spoiled", [](NamedRig& rig) { WriteText(rig.eeprom, ":0G000000FF\r\n"); },
         TCardCommand::ccWriteEeprom, entries::kRowUnusable},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        NamedRig rig;
        c.change(rig);
        rig.ClearRecords();
        EXPECT_EQ(rig.Run(c.command), TOutcome::ocNothing);
        EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{c.message});
        EXPECT_EQ(rig.TransferFrames(), 0u);
        EXPECT_TRUE(rig.device.Card().ProgramBlank());
    }
    // The row shows why it refused.
    NamedRig rig;
    std::filesystem::remove(rig.program);
    rig.Run(TCardCommand::ccWritePic);
    EXPECT_EQ(rig.view.Row(TFileRow::frProgram).colour, TStatusColour::scRed);
    EXPECT_EQ(rig.flows.Snapshot().rows[0].problem, rig.Text(entries::kNoSuchFile));
}

// The card gets the file as it is when the command starts, and the bytes
// written are the ones verified.
TEST(FilesNamed, ACommandReadsItsFilesAfresh) {
    NamedRig rig;
    const std::vector<std::uint16_t> changed = SomeWords(16, 7);
    WriteText(rig.program, PicHexFile(changed, {}, {}));
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.CardText(TSimMemory::Program).substr(0, 4 * changed.size()), WordsText(changed));
}

// A program word a 14-bit PIC cannot hold, or data between its configuration
// words and its data EEPROM, mean the file is for another processor: refused
// when it is named, whether HEX or binary, and nothing of it is sent.
TEST(FilesNamed, AFileNotForThePicIsRefused) {
    NamedRig rig;
    const std::pair<std::string, std::string> files[] = {
        {rig.File("wide.hex", HexData(0, {0x00, 0x28, 0xFF, 0x7F}) + HexEnd()),
         "program word 0x0001 holds 0x7FFF"},
        {rig.File("wide.bin", std::string("\x28\x00\x7F\xFF", 4)),
         "program word 0x0001 holds 0x7FFF"},
        {rig.File("gap.hex", HexData(0, {0x00, 0x28}) + HexData(0x4100, {0x01, 0x00}) + HexEnd()),
         "data at address 0x4100 lie in no memory of the processor"},
    };
    for (const auto& [file, why] : files) {
        SCOPED_TRACE(file);
        rig.ClearRecords();
        EXPECT_EQ(rig.Set(TFileRow::frProgram, file), TIntentResult::irFailed);
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        EXPECT_NE(rig.prompts.messages[0].text.find(why), std::string::npos)
            << rig.prompts.messages[0].text;
        rig.ClearRecords();
        EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocNothing);
        EXPECT_TRUE(rig.Sent().empty());
    }
}

// The fuses: the card type's stored choices, then the configuration word of
// a program file that carries one, then the user's choices; what the card
// type keeps is never a file's word, so showing a file changes no file.
TEST(FuseRule, StoredThenTheFilesWordThenTheUsersChoice) {
    TWorkflowRig rig;
    const std::string withWord = rig.File("w.hex", PicHexFile(SomeWords(4), {}, 0x3FF2));
    const std::string without = rig.File("n.hex", PicHexFile(SomeWords(4), {}, {}));
    WriteText(rig.CardFile(kPicCard), ReadText(rig.CardFile(kPicCard)) +
                                          "[Defaults]\nPicFile=" + withWord +
                                          "\nWatchDog=0\nPowerUp=1\nProtected=1\nOscil=0\n");
    rig.Start();
    const TFuseChoices storedChoices{0, 1, 1, 0, 1};
    const TFuseChoices fileChoices{1, 0, 1, 2, 1};
    EXPECT_EQ(rig.flows.Snapshot().fuses, fileChoices);
    EXPECT_EQ(rig.flows.Snapshot().fuseOrigin, TFuseOrigin::foProgramFile);

    rig.Set(TFileRow::frProgram, without);
    EXPECT_EQ(rig.flows.Snapshot().fuses, storedChoices);
    EXPECT_EQ(rig.flows.ConfigText().substr(28), "3FFC");
    rig.Set(TFileRow::frProgram, withWord);
    rig.flows.SetFuse(TFuse::fuWatchDog, 0);
    EXPECT_EQ(rig.flows.ConfigText().substr(28), "3FF6");
    EXPECT_EQ(rig.flows.Snapshot().fuseOrigin, TFuseOrigin::foChosen);
    rig.flows.ChooseLanguage("Deutsch"); // texts only: the choice stays
    EXPECT_EQ(rig.flows.ConfigText().substr(28), "3FF6");
    EXPECT_EQ(rig.flows.Snapshot().fuseOrigin, TFuseOrigin::foChosen);

    // Written by Write Pic just as shown.
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.CardText(TSimMemory::Config).substr(28), "3FF6");

    // Only the user's own choice reaches the card type's file: the file's
    // word, shown since the window opened, does not.
    rig.flows.SetFuse(TFuse::fuPowerUp, 1);
    EXPECT_TRUE(rig.flows.FormClose());
    const TPCardDefaults kept = StoredDefaults(rig, kPicCard);
    EXPECT_EQ((TFuseChoices{kept.WatchDog, kept.PowerUp, kept.Protected, kept.Oscil, kept.ATLock}),
              storedChoices);
}

} // namespace
} // namespace korvex
