#include "workflowrig.h"

#include "sim/simfaults.h"
#include "workflows/entries.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

// A card type with program and EEPROM files chosen; the card's EEPROM holds
// something else at first.
struct AutoRig : TWorkflowRig {
    std::vector<std::uint16_t> words = SomeWords(24, 1);
    std::vector<std::uint8_t> data = SomeBytes(16, 3);
    std::vector<std::uint8_t> eeprom = SomeBytes(100, 5);
    std::string garbage;

    explicit AutoRig(const std::string& cardType = kPicCard,
                     std::optional<sim::TSimCardModel> model = std::nullopt)
        : TWorkflowRig(cardType, model) {
        Start();
        const bool avr = flows.Session().AvrKind();
        flows.SetFileField(
            TFileRow::frProgram,
            File("prog.hex", avr ? PicHexFile(words, {}, {}) : PicHexFile(words, data, 0x3FF2)));
        if (avr) {
            flows.SetFileField(TFileRow::frIntEeprom, File("int.hex", HexData(0, data) + HexEnd()));
        }
        if (flows.Session().HasEeprom()) {
            flows.SetFileField(TFileRow::frEeprom, File("ee.hex", HexData(0, eeprom) + HexEnd()));
            garbage = Pattern(CardText(TSimMemory::Eeprom).size(), 4);
            device.Card().Load(TSimMemory::Eeprom, garbage);
        }
        ClearRecords();
    }
    std::string PaddedEeprom() const {
        const std::string text = BytesText(eeprom);
        return text + std::string(CardText(TSimMemory::Eeprom).size() - text.size(), 'F');
    }
};

TEST(AutoProgram, WritesTheEepromThenTheProcessorKeepingTheChosenFuses) {
    AutoRig rig;
    rig.flows.SetFuse(TFuse::fuWatchDog, 0); // the file says off; the user's choice wins

    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocSucceeded);

    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kAutoFinished});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkInformation);
    EXPECT_EQ(rig.view.statuses,
              (std::vector<std::string>{
                  rig.Text(entries::kWritingLoader), rig.Text(entries::kWritingEeprom),
                  rig.Text(entries::kVerifyingEeprom), rig.Text(entries::kCardReady),
                  rig.Text(entries::kWritingPic), rig.Text(entries::kVerifyingPic),
                  rig.Text(entries::kCardReady)}));
    EXPECT_EQ(rig.CardText(TSimMemory::Eeprom), rig.PaddedEeprom());
    EXPECT_EQ(rig.CardText(TSimMemory::Program).substr(0, 4 * rig.words.size()),
              WordsText(rig.words));
    EXPECT_EQ(rig.CardText(TSimMemory::Data).substr(0, 32), BytesText(rig.data));
    EXPECT_EQ(rig.CardText(TSimMemory::Config), Repeat("3FFF", 7) + "3FF6");
    EXPECT_EQ(rig.Sent().back(), "A30");
    EXPECT_EQ(rig.view.enables, (std::vector<bool>{false, true}));
}

TEST(AutoProgram, ADifferenceInTheInternalEepromFailsTheVerify) {
    AutoRig rig;
    bool spoiled = false;
    rig.pump.during = [&] {
        if (!spoiled && rig.Count('E') > 0) {
            rig.device.Card().Write(TSimMemory::Data, 0, "00");
            spoiled = true;
        }
    };
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocFailed);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyAfterWriteFailed});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    EXPECT_EQ(rig.prompts.messages[0].text,
              rig.Text(entries::kVerifyAfterWriteFailed) +
                  "\nFirst difference at data eeprom byte 0x0000: expected " +
                  BytesText({rig.data[0]}) + ", found 00; differing bytes in all: 1.");
    EXPECT_EQ(rig.flows.LastReport().failStep, TFailStep::fsProcessorVerify);
    EXPECT_EQ(rig.Count('D'), 1u) << "the loader's; no configuration word after a failed verify";
}

// Options never turn a command into a false success: options that leave it
// nothing to do, or would leave the loader in the processor, or lock a card
// the run did not write, refuse before anything is sent; a write whose write
// step is off is a verify and says so.
TEST(Options, NeverTurnACommandIntoAFalseSuccess) {
    struct TCase {
        const char* card;
        TCardCommand command;
        std::vector<std::pair<void (TPOptionReader::*)(bool), bool>> options;
        bool lock;
        TOutcome outcome;
        int message;
    };
    const auto off = false;
    const TCase cases[] = {
        {kPicCard,
         TCardCommand::ccWritePic,
         {{&TPOptionReader::SetWritePicWrite, off}, {&TPOptionReader::SetWritePicVerify, off}},
         false,
         TOutcome::ocNothing,
         entries::kWritePicNothingToDo},
        {kPicCard,
         TCardCommand::ccWritePic,
         {{&TPOptionReader::SetWritePicWrite, off}},
         false,
         TOutcome::ocFailed,
         entries::kVerifyFailed},
        {kAvrCard,
         TCardCommand::ccWritePic,
         {{&TPOptionReader::SetWritePicWrite, off}},
         true,
         TOutcome::ocNothing,
         entries::kLockWithoutWrite},
        {kPicCard,
         TCardCommand::ccWriteEeprom,
         {{&TPOptionReader::SetWriteEeWrite, off}, {&TPOptionReader::SetWriteEeVerify, off}},
         false,
         TOutcome::ocNothing,
         entries::kWriteEepromNothingToDo},
        {kPicCard,
         TCardCommand::ccWriteEeprom,
         {{&TPOptionReader::SetWriteEeWrite, off}},
         false,
         TOutcome::ocFailed,
         entries::kVerifyFailed},
        {kPicCard,
         TCardCommand::ccAutoProgram,
         {{&TPOptionReader::SetAutoWriteEe, off},
          {&TPOptionReader::SetAutoVerifyEe, off},
          {&TPOptionReader::SetAutoWritePic, off},
          {&TPOptionReader::SetAutoVerifyPic, off}},
         false,
         TOutcome::ocNothing,
         entries::kAutoNothingToDo},
        {kPicCard,
         TCardCommand::ccAutoProgram,
         {{&TPOptionReader::SetAutoWritePic, off}},
         false,
         TOutcome::ocNothing,
         entries::kLoaderWouldStay},
        {kPicCard,
         TCardCommand::ccAutoProgram,
         {{&TPOptionReader::SetAutoWriteEe, off},
          {&TPOptionReader::SetAutoVerifyEe, off},
          {&TPOptionReader::SetAutoWritePic, off}},
         false,
         TOutcome::ocFailed,
         entries::kVerifyFailed},
        {kAvrCard,
         TCardCommand::ccAutoProgram,
         {{&TPOptionReader::SetAutoWriteEe, off},
          {&TPOptionReader::SetAutoVerifyEe, off},
          {&TPOptionReader::SetAutoWritePic, off}},
         true,
         TOutcome::ocNothing,
         entries::kAutoLockWithoutWrite},
    };
    for (const TCase& c : cases) {
        AutoRig rig(c.card);
        for (const auto& [set, on] : c.options) {
            (rig.Options().*set)(on);
        }
        rig.flows.SetFuse(TFuse::fuLock, c.lock ? 0 : 1);
        rig.ClearRecords();
        const std::string eeprom = rig.CardText(TSimMemory::Eeprom);
        SCOPED_TRACE(c.message);
        EXPECT_EQ(rig.Run(c.command), c.outcome);
        EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{c.message});
        // Write Eeprom's verify reaches the EEPROM through the loader.
        if (c.outcome == TOutcome::ocNothing || c.command != TCardCommand::ccWriteEeprom) {
            EXPECT_TRUE(rig.device.Card().ProgramBlank());
        }
        EXPECT_EQ(rig.CardText(TSimMemory::Eeprom), eeprom);
        EXPECT_FALSE(rig.device.Card().Locked());
        if (c.outcome == TOutcome::ocNothing) {
            EXPECT_TRUE(rig.Sent().empty());
        }
    }
}

TEST(AutoProgram, WithoutAnExternalEepromNoLoaderGoesIn) {
    AutoRig rig(kPicOnlyCard);
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kAutoFinished});
    EXPECT_EQ(rig.Count('H'), 1u) << "a loader would have been a second erase and write";
    EXPECT_EQ(rig.Count('I') + rig.Count('J'), 0u);
    const auto sent = rig.Sent();
    const auto first =
        std::find_if(sent.begin(), sent.end(), [](const std::string& s) { return s[0] == 'B'; });
    ASSERT_NE(first, sent.end());
    EXPECT_EQ(*first, "B3" + WordsText(rig.words).substr(0, 32));
}

TEST(AutoProgram, AvrCardIsLockedAfterTheVerifyOnlyWhenWritten) {
    AutoRig rig(kAvrCard);
    rig.flows.SetFuse(TFuse::fuLock, 0);
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kAutoFinished});
    EXPECT_EQ(rig.CardText(TSimMemory::Eeprom), rig.PaddedEeprom());
    EXPECT_EQ(rig.CardText(TSimMemory::Program).substr(0, 4 * rig.words.size()),
              WordsText(rig.words));
    EXPECT_TRUE(rig.device.Card().Locked());
    const auto sent = rig.Sent();
    const auto lock = std::find(sent.begin(), sent.end(), "D8");
    const auto lastRead = std::find_if(sent.rbegin(), sent.rend(), [](const std::string& s) {
        return s[0] == 'E' || s[0] == 'F';
    });
    ASSERT_NE(lock, sent.end());
    EXPECT_GT(lock - sent.begin(), sent.rend() - lastRead - 1);
}

// A lock counts only when the programmer acknowledged it and the card then
// identifies itself as locked; where both identifications are the same the
// acknowledgement alone decides.
TEST(AutoProgram, ALockNotAcknowledgedFailsWithoutTheFinishedMessage) {
    for (const char* card : {kAvrCard, kAvr9Card}) {
        AutoRig rig(card);
        rig.Options().SetStepRetries(0); // one try: the failure itself is looked at
        rig.flows.SetFuse(TFuse::fuLock, 0);
        rig.ClearRecords();
        for (int i = 1; i <= 10; ++i) {
            rig.device.AddFault(sim::ParseSimFault("nack@D" + std::to_string(i)));
        }
        SCOPED_TRACE(card);
        EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocFailed);
        ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kLockNotConfirmed});
        EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
        EXPECT_EQ(rig.flows.LastReport().failStep, TFailStep::fsConfigOrLock);
    }
}

TEST(AutoProgram, ACardPulledDuringTheWriteIsAnErrorNotASuccess) {
    AutoRig rig;
    rig.pump.during = [&] {
        if (rig.Count('B') == 5 && rig.device.Present()) {
            rig.device.SetPresent(false);
        }
    };
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocFailed);
    EXPECT_EQ(rig.linkPrompts.errors,
              std::vector<std::string>{"Failed to write card !\r\nThe processor write step failed "
                                       "on the line: no card in the slot at packet 5."});
    EXPECT_TRUE(rig.prompts.messages.empty());
    EXPECT_EQ(rig.Count('D'), 1u) << "the loader's only";
    EXPECT_EQ(rig.flows.LastReport().failStep, TFailStep::fsProcessorWrite);
}

// A production record names the step a card failed at; a loader the
// programmer refused stops the sequence there.
TEST(AutoProgram, TheStepACardFailedAtIsNamed) {
    AutoRig wrong(kAvrCard,
                  sim::SimCardModelForParts(KORVEX_SOURCE_DATA_DIR, "ATmega8515", "24C64"));
    EXPECT_EQ(wrong.Run(TCardCommand::ccAutoProgram), TOutcome::ocFailed);
    EXPECT_EQ(wrong.flows.LastReport().failStep, TFailStep::fsIdentification);
    EXPECT_EQ(wrong.TransferFrames(), 0u);

    for (const bool loaderRefused : {false, true}) {
        AutoRig rig;
        rig.Options().SetStepRetries(0); // one try: the failure itself is looked at
        if (loaderRefused) {
            for (int i = 1; i <= 21; ++i) {
                rig.device.AddFault(sim::ParseSimFault("nack@D" + std::to_string(i)));
            }
        }
        rig.pump.during = [&] {
            if (rig.Count('I') == 3 && rig.device.Present()) {
                rig.device.SetPresent(false);
            }
        };
        EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocFailed);
        EXPECT_EQ(rig.flows.LastReport().failStep,
                  loaderRefused ? TFailStep::fsLoader : TFailStep::fsEepromWrite);
        EXPECT_EQ(rig.prompts.Entries(),
                  std::vector<int>{loaderRefused ? entries::kLoaderNotWritten : 91});
        EXPECT_EQ(rig.Count('I') > 0, !loaderRefused) << "no eeprom write without the loader";
    }
}

// --- nothing is reported done that the card does not hold

TEST(AutoProgram, AConfigurationWordTheProgrammerRefusesFailsTheSequence) {
    AutoRig rig;
    rig.Options().SetStepRetries(0); // one try: the failure itself is looked at
    // The first 'D' frame is the loader's configuration, the second the card's.
    for (int i = 1; i <= 21; ++i) {
        rig.device.AddFault(sim::ParseSimFault("nack@D" + std::to_string(i + 1)));
    }
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocFailed);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kConfigRefused});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    EXPECT_EQ(rig.flows.LastReport().failStep, TFailStep::fsConfigOrLock);
    EXPECT_EQ(rig.Sent().back(), "A30");
    EXPECT_EQ(rig.view.statuses.back(), rig.Text(entries::kCardReady));
}

TEST(AutoProgram, TheEepromPartWithoutAnEepromImageStopsBeforeAnythingIsSent) {
    TWorkflowRig rig(kPicCard);
    rig.Start();
    rig.Set(TFileRow::frProgram, rig.File("p.hex", PicHexFile(SomeWords(8), {}, {})));
    const std::string before = Pattern(rig.CardText(TSimMemory::Eeprom).size(), 4);
    rig.device.Card().Load(TSimMemory::Eeprom, before);
    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocNothing);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kNoEepromImage});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    EXPECT_TRUE(rig.Sent().empty());

    // With its EEPROM steps switched off the sequence programs the processor alone.
    rig.Options().SetAutoWriteEe(false);
    rig.Options().SetAutoVerifyEe(false);
    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kAutoFinished});
    EXPECT_EQ(rig.CardText(TSimMemory::Eeprom), before);
    EXPECT_EQ(rig.Count('H'), 1u) << "no loader";
}

TEST(AutoProgram, AMissingDefaultLoaderStopsBeforeAnythingIsSent) {
    AutoRig rig;
    const std::filesystem::path loader = rig.folder / "defaults" / "loader84.hex";
    std::filesystem::remove(loader);
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocNothing);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kRowUnusable});
    EXPECT_NE(rig.prompts.messages[0].text.find(loader.string()), std::string::npos)
        << rig.prompts.messages[0].text;
    EXPECT_TRUE(rig.Sent().empty());
    EXPECT_TRUE(rig.device.Card().ProgramBlank());
}

// --- a window closed while a command runs

TEST(Closing, DuringAWriteStopsItQuietlyAndTheTimerReleasesTheProgrammer) {
    AutoRig rig;
    std::optional<bool> closed;
    rig.pump.during = [&] {
        if (!closed && rig.Count('B') == 3) {
            closed = rig.flows.FormClose();
        }
    };
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocAborted);
    EXPECT_EQ(closed, false);
    EXPECT_TRUE(rig.prompts.messages.empty());
    EXPECT_TRUE(rig.linkPrompts.errors.empty());
    EXPECT_EQ(rig.Count('C') + rig.Count('D'), 0u);
    EXPECT_EQ(rig.view.closeRequests, 0);
    EXPECT_FALSE(rig.settings.Exists());

    // Released as the write stopped: a closing window polls no more, and the
    // close sends no second release.
    rig.scheduler.Tick();
    EXPECT_EQ(rig.Sent().back(), "A00");
    rig.ClearRecords();
    rig.flows.CloseTimerTick();
    EXPECT_TRUE(rig.Sent().empty());
    EXPECT_EQ(rig.view.closeRequests, 1);
    EXPECT_TRUE(rig.flows.FormClose());
    EXPECT_TRUE(rig.settings.Exists());
}

TEST(Closing, DuringTheEepromPartOfAutoProgram) {
    AutoRig rig;
    std::optional<bool> closed;
    rig.pump.during = [&] {
        if (!closed && rig.Count('I') == 3) {
            closed = rig.flows.FormClose();
        }
    };
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocAborted);
    EXPECT_EQ(closed, false);
    EXPECT_TRUE(rig.prompts.messages.empty());
    EXPECT_EQ(rig.Count('E'), 0u);
    EXPECT_EQ(rig.Count('H'), 1u) << "only the loader's erase";
    rig.flows.CloseTimerTick();
    EXPECT_EQ(rig.view.closeRequests, 1);
}

TEST(Closing, ASecondCommandWhileOneRunsIsRefused) {
    AutoRig rig;
    std::vector<TOutcome> meanwhile;
    rig.pump.during = [&] {
        if (meanwhile.empty() && rig.Count('B') == 2) {
            EXPECT_TRUE(rig.flows.Busy());
            meanwhile.push_back(rig.Run(TCardCommand::ccVerifyPic));
            meanwhile.push_back(rig.Run(TCardCommand::ccReadEeprom));
            meanwhile.push_back(rig.Run(TCardCommand::ccFirmwareVersion));
        }
    };
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
    EXPECT_EQ(meanwhile, std::vector<TOutcome>(3, TOutcome::ocRefused));
    EXPECT_TRUE(rig.prompts.asked.empty());
    EXPECT_TRUE(rig.prompts.plain.empty());
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kPicWritten});
    EXPECT_EQ(rig.view.enables, (std::vector<bool>{false, true}));
    EXPECT_FALSE(rig.flows.Busy());
}

} // namespace
} // namespace korvex
