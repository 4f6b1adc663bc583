#include "workflowrig.h"

#include "sim/simfaults.h"
#include "workflows/entries.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

constexpr int kPicWords = 1024; // PIC 16F84
constexpr int kPicData = 64;

std::ptrdiff_t FirstOf(const std::vector<std::string>& sent, const std::string& prefix) {
    const auto it = std::find_if(sent.begin(), sent.end(),
                                 [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
    return it == sent.end() ? -1 : it - sent.begin();
}

std::ptrdiff_t LastOf(const std::vector<std::string>& sent, const std::string& prefix) {
    const auto it = std::find_if(sent.rbegin(), sent.rend(),
                                 [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
    return it == sent.rend() ? -1 : sent.rend() - it - 1;
}

std::string Blank(std::size_t words) {
    return Repeat("3FFF", words);
}

// A PIC card type on COM1 with a program file of 40 words, 16 data EEPROM
// bytes and the configuration word 0x3FF2 (HS, power-up timer on, watchdog
// off, unprotected) chosen.
struct PicRig : TWorkflowRig {
    std::vector<std::uint16_t> words = SomeWords(40);
    std::vector<std::uint8_t> eeprom = SomeBytes(16);

    PicRig() : TWorkflowRig(kPicCard) {
        Start();
        flows.SetFileField(TFileRow::frProgram,
                           File("prog.hex", PicHexFile(words, eeprom, 0x3FF2)));
        ClearRecords();
    }
    std::string ProgramImage() const { return WordsText(words) + Blank(kPicWords - words.size()); }
    std::string DataImage() const {
        return BytesText(eeprom) + std::string(2 * (kPicData - eeprom.size()), 'F');
    }
};

TEST(WritePic, WritesProgramDataEepromAndTheChosenConfigurationWordLast) {
    PicRig rig;
    EXPECT_EQ(rig.view.fuses, (TFuseChoices{1, 0, 1, 2, 1})) << "the choices follow the file";
    rig.flows.SetFuse(TFuse::fuWatchDog, 0);
    rig.flows.SetFuse(TFuse::fuOscillator, 3); // RC

    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);

    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kPicWritten});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkInformation);
    EXPECT_EQ(rig.view.statuses, (std::vector<std::string>{rig.Text(entries::kWritingPic),
                                                           rig.Text(entries::kVerifyingPic),
                                                           rig.Text(entries::kCardReady)}));
    EXPECT_EQ(rig.CardText(TSimMemory::Program), rig.ProgramImage());
    EXPECT_EQ(rig.CardText(TSimMemory::Data), rig.DataImage());
    EXPECT_EQ(rig.CardText(TSimMemory::Config), Blank(7) + "3FF7");

    const auto sent = rig.Sent();
    EXPECT_LT(FirstOf(sent, "H3"), FirstOf(sent, "B3"));
    EXPECT_LT(LastOf(sent, "B3"), FirstOf(sent, "C0"));
    EXPECT_LT(LastOf(sent, "C0"), FirstOf(sent, "E3"));
    EXPECT_LT(LastOf(sent, "F3"), FirstOf(sent, "D3"));
    EXPECT_EQ(sent.back(), "A30");
    // The box said so over a full gauge.
    EXPECT_EQ(rig.gauge.values.back(), 100);
    EXPECT_EQ(rig.view.enables, (std::vector<bool>{false, true}));
}

TEST(WritePic, OptionsDecideWhichStepsRun) {
    PicRig rig;
    rig.Options().SetWritePicWrite(false);
    rig.device.Card().Load(TSimMemory::Program, WordsText(rig.words));
    rig.device.Card().Load(TSimMemory::Data, BytesText(rig.eeprom));
    rig.device.Card().Load(TSimMemory::Config, Blank(7) + "3FF2");

    // Only the verify, reported as one: the card already holds the file and
    // its configuration word.
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyOk});
    EXPECT_GT(rig.Count('E'), 0u);
    EXPECT_EQ(rig.Count('H') + rig.Count('B') + rig.Count('C') + rig.Count('D'), 0u);

    // A blank card then differs.
    rig.device.Card().Erase();
    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocFailed);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyFailed});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkWarning);
    EXPECT_EQ(rig.Count('D'), 0u);
}

TEST(WritePic, AConfigurationWordTheProgrammerRefusesIsAFailure) {
    PicRig rig;
    rig.Options().SetStepRetries(0); // one try: the failure itself is looked at
    for (int i = 1; i <= 21; ++i) {
        rig.device.AddFault(sim::ParseSimFault("nack@D" + std::to_string(i)));
    }
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocFailed);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kConfigRefused});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    EXPECT_EQ(rig.Sent().back(), "A30");
    EXPECT_EQ(rig.view.statuses.back(), rig.Text(entries::kCardReady))
        << "the step's caption does not stay";
}

TEST(WritePic, ARefusedFileLeavesNothingOfItselfOrOfTheFileBefore) {
    PicRig rig; // 40 words and 16 data EEPROM bytes loaded
    // Its data EEPROM part loads, then its program is found too big for the card.
    const std::string tooBig =
        rig.File("big.hex", PicHexFile(SomeWords(1025, 4), SomeBytes(8, 4), 0x3FF1));
    EXPECT_EQ(rig.Set(TFileRow::frProgram, tooBig), TIntentResult::irFailed);
    EXPECT_EQ(rig.view.Row(TFileRow::frProgram).colour, TStatusColour::scRed);
    EXPECT_EQ(rig.Bench().rows.Images().intEeprom.GetHexText(0, -1), "");
    EXPECT_EQ(rig.Bench().rows.Images().config.GetHexText(0, -1), "");

    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocNothing);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kRowUnusable});
    EXPECT_TRUE(rig.Sent().empty());
    EXPECT_TRUE(rig.device.Card().ProgramBlank());
}

TEST(WritePic, TheStatusShowsTheCardStateAgainHoweverItEnds) {
    PicRig rig;
    rig.Options().SetStepRetries(0); // one try: the failure itself is looked at
    rig.device.AddFault(sim::ParseSimFault("silent@B3"));
    std::string behind; // what the box is shown over
    rig.linkPrompts.onShown = [&] {
        behind = rig.view.statuses.back() + " " + std::to_string(rig.gauge.values.back());
    };
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocFailed);
    EXPECT_EQ(rig.linkPrompts.errors,
              std::vector<std::string>{"Failed to write card !\r\nThe processor write step "
                                       "failed on the line: no answer to packet 3."});
    EXPECT_EQ(behind, rig.Text(entries::kCardReady) + " 0");
    EXPECT_EQ(rig.view.statuses.back(), rig.Text(entries::kCardReady));
    EXPECT_EQ(rig.view.statusColour, TStatusColour::scLime);
}

TEST(VerifyPic, ReportsMatchAndDifferenceAndNeedsAFile) {
    PicRig rig;
    rig.device.Card().Load(TSimMemory::Program, WordsText(rig.words));
    rig.device.Card().Load(TSimMemory::Data, BytesText(rig.eeprom));
    rig.device.Card().Load(TSimMemory::Config, Blank(7) + "3FF2");

    EXPECT_EQ(rig.Run(TCardCommand::ccVerifyPic), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyOk});
    EXPECT_EQ(rig.view.statuses, (std::vector<std::string>{rig.Text(entries::kVerifyingPic),
                                                           rig.Text(entries::kCardReady)}));
    EXPECT_EQ(rig.Count('B') + rig.Count('H'), 0u);

    // The last word of the file, then the data EEPROM alone.
    std::vector<std::uint16_t> changed = rig.words;
    changed.back() ^= 0x0001;
    rig.device.Card().Load(TSimMemory::Program, WordsText(changed));
    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccVerifyPic), TOutcome::ocFailed);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyFailed});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkWarning);
    // The second line names the word by its own address, and one byte in all.
    const std::size_t last = rig.words.size() - 1;
    char address[16];
    std::snprintf(address, sizeof address, "0x%04zX", last);
    EXPECT_EQ(rig.prompts.messages[0].text,
              rig.Text(entries::kVerifyFailed) + "\nFirst difference at program word " + address +
                  ": expected " + WordsText({rig.words.back()}) + ", found " +
                  WordsText({changed.back()}) + "; differing bytes in all: 1.");

    rig.device.Card().Load(TSimMemory::Program, WordsText(rig.words));
    rig.device.Card().Load(TSimMemory::Data, "00");
    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccVerifyPic), TOutcome::ocFailed);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyFailed});
    // Every data byte but the first was blanked by the load.
    EXPECT_EQ(rig.prompts.messages[0].text,
              rig.Text(entries::kVerifyFailed) +
                  "\nFirst difference at data eeprom byte 0x0000: expected " +
                  BytesText({rig.eeprom[0]}) +
                  ", found 00; differing bytes in all: " + std::to_string(rig.eeprom.size()) + ".");

    // The configuration word a write would send is compared too.
    rig.device.Card().Load(TSimMemory::Data, BytesText(rig.eeprom));
    rig.device.Card().Erase();
    rig.device.Card().Load(TSimMemory::Program, WordsText(rig.words));
    rig.device.Card().Load(TSimMemory::Data, BytesText(rig.eeprom));
    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccVerifyPic), TOutcome::ocFailed);
    EXPECT_EQ(rig.prompts.messages[0].text,
              rig.Text(entries::kVerifyFailed) +
                  "\nFirst difference at the configuration word 0x2007: expected "
                  "3FF2, found 3FFF; differing bytes in all: 1.");

    // Nothing named to compare: a cleared field, a refused file, a .crd
    // file. The card is not touched, and a match is never reported.
    const std::pair<std::string, int> nothing[] = {
        {"", entries::kNothingToVerifyProgram},
        {rig.File("bad.hex", ":0G000000FF\r\n"), entries::kRowUnusable},
        {rig.File("card.crd", "whatever"), entries::kNothingToVerifyProgram},
    };
    for (const auto& [name, message] : nothing) {
        rig.flows.SetFileField(TFileRow::frProgram, name);
        rig.ClearRecords();
        EXPECT_EQ(rig.Run(TCardCommand::ccVerifyPic), TOutcome::ocNothing) << name;
        ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{message}) << name;
        EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
        EXPECT_TRUE(rig.Sent().empty());
    }
}

TEST(ErasePic, BlanksTheCardWithoutAMessage) {
    PicRig rig;
    rig.device.Card().Load(TSimMemory::Program, WordsText(rig.words));
    rig.device.Card().Load(TSimMemory::Data, BytesText(rig.eeprom));
    EXPECT_EQ(rig.Run(TCardCommand::ccErasePic), TOutcome::ocSucceeded);
    EXPECT_TRUE(rig.prompts.messages.empty());
    EXPECT_EQ(rig.view.statuses, (std::vector<std::string>{rig.Text(entries::kErasingPic),
                                                           rig.Text(entries::kCardReady)}));
    EXPECT_TRUE(rig.device.Card().ProgramBlank());
    EXPECT_TRUE(AllOf(rig.CardText(TSimMemory::Data), 'F'));
    EXPECT_EQ(rig.Sent(), (std::vector<std::string>{"A33", "H3", "A30"}));
}

// An erase the programmer does not confirm leaves flash bits set that the
// write would AND its words into: nothing is written then, and every command
// says the erase failed.
TEST(ErasePic, AnEraseNotConfirmedFailsEveryCommandBeforeAnythingIsWritten) {
    const std::pair<TCardCommand, int> commands[] = {
        {TCardCommand::ccErasePic, entries::kEraseNotConfirmed},
        {TCardCommand::ccWritePic, -1},
        {TCardCommand::ccAutoProgram, -1},
    };
    for (const auto& [command, message] : commands) {
        PicRig rig;
        rig.Options().SetStepRetries(0); // one try: the failure itself is looked at
        rig.Options().SetAutoWriteEe(false);
        rig.Options().SetAutoVerifyEe(false);
        rig.device.Card().Load(TSimMemory::Program, WordsText(SomeWords(8, 5)));
        for (int i = 1; i <= 6; ++i) {
            rig.device.AddFault(sim::ParseSimFault("nack@H" + std::to_string(i)));
        }
        EXPECT_EQ(rig.Run(command), TOutcome::ocFailed);
        EXPECT_EQ(rig.Count('B') + rig.Count('C') + rig.Count('D'), 0u);
        if (message >= 0) {
            ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{message});
            EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
        } else {
            EXPECT_EQ(rig.linkPrompts.errors,
                      std::vector<std::string>{"Failed to write card !\r\nThe processor write "
                                               "step failed on the line: the erase refused "
                                               "every time it was sent."});
        }
        EXPECT_EQ(rig.CardText(TSimMemory::Program).substr(0, 32), WordsText(SomeWords(8, 5)));
    }
}

// The verify of a write reads the program memory once, as a read does.
TEST(WritePic, TheVerifyReadsTheProgramMemoryOnce) {
    const auto requested = [](const TWorkflowRig& rig) {
        std::size_t units = 0;
        for (const auto& frame : rig.device.Frames()) {
            units += frame.command == 'E' ? std::stoul(frame.data, nullptr, 16) : 0;
        }
        return units;
    };
    for (const char* card : {kPicCard, kAvrCard, kAvr9Card}) {
        SCOPED_TRACE(card);
        TWorkflowRig rig(card);
        rig.Start();
        const bool avr = rig.flows.Snapshot().layout.avrKind;
        rig.Set(TFileRow::frProgram, rig.File("p.hex", avr ? HexData(0, SomeBytes(64)) + HexEnd()
                                                           : PicHexFile(SomeWords(32), {}, {})));
        rig.ClearRecords();
        ASSERT_EQ(rig.Run(TCardCommand::ccReadPic), TOutcome::ocSucceeded);
        const std::size_t read = requested(rig);
        rig.ClearRecords();
        ASSERT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
        EXPECT_EQ(requested(rig), read);
    }
}

TEST(ReadPic, HandsTheCardsMemoriesToTheView) {
    PicRig rig;
    rig.Options().SetStepRetries(0); // one try: the failure itself is looked at
    const std::string program = WordsText(SomeWords(kPicWords, 3));
    const std::string data = BytesText(SomeBytes(kPicData, 4));
    const std::string config = Blank(7) + "3FF1";
    rig.device.Card().Load(TSimMemory::Program, program);
    rig.device.Card().Load(TSimMemory::Data, data);
    rig.device.Card().Load(TSimMemory::Config, config);

    // A read cut short opens no window.
    rig.device.AddFault(sim::ParseSimFault("silent@E2"));
    EXPECT_EQ(rig.Run(TCardCommand::ccReadPic), TOutcome::ocFailed);
    EXPECT_TRUE(rig.view.readBacks.empty());
    EXPECT_EQ(rig.linkPrompts.errors,
              std::vector<std::string>{
                  "Failed to read Pic\r\nThe read step failed on the line: no answer to block 2."});

    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccReadPic), TOutcome::ocSucceeded);
    ASSERT_EQ(rig.view.readBacks.size(), 1u);
    const TReadBackSeen& seen = rig.view.readBacks[0];
    EXPECT_EQ(seen.mode, "Pic");
    EXPECT_EQ(TReadBackSeen::Text(seen.lines, 0, 0x4000), program);
    EXPECT_EQ(TReadBackSeen::Text(seen.lines, 0x4000, 0x4200), config);
    EXPECT_EQ(TReadBackSeen::Text(seen.lines, 0x4200, 0x10000), data);
    EXPECT_EQ(rig.view.statuses, (std::vector<std::string>{rig.Text(entries::kReadingPic),
                                                           rig.Text(entries::kCardReady)}));
    EXPECT_TRUE(rig.prompts.messages.empty());
    EXPECT_TRUE(rig.linkPrompts.errors.empty());
}

TEST(ReadPic, AvrReadsGiveProgramThenDataEepromAndKindNineReadsTwice) {
    for (const char* card : {kAvrCard, kAvr9Card}) {
        SCOPED_TRACE(card);
        TWorkflowRig rig(card);
        rig.Start();
        const std::size_t programChars = rig.CardText(TSimMemory::Program).size();
        const std::string program = Pattern(programChars, 5);
        const std::string data = Pattern(rig.CardText(TSimMemory::Data).size(), 6);
        rig.device.Card().Load(TSimMemory::Program, program);
        rig.device.Card().Load(TSimMemory::Data, data);

        EXPECT_EQ(rig.Run(TCardCommand::ccReadPic), TOutcome::ocSucceeded);
        ASSERT_EQ(rig.view.readBacks.size(), 1u);
        const TReadBackSeen& seen = rig.view.readBacks[0];
        EXPECT_EQ(seen.mode, "Atmel - Processor");
        EXPECT_EQ(rig.view.statuses, (std::vector<std::string>{rig.Text(entries::kReadingFlash),
                                                               rig.Text(entries::kCardReady)}));
        // Kind 8 asks for the catalogue's count, kind 9 for twice as many of
        // its smaller units: either way the whole flash comes back.
        EXPECT_EQ(programChars, 4u * static_cast<std::size_t>(rig.Bench().card.ProgramWords()));
        EXPECT_TRUE(TReadBackSeen::Text(seen.lines, 0, 1u << 30) == program);
        EXPECT_EQ(TReadBackSeen::Text(seen.secondLines, 0, 1u << 30), data);
    }
}

// AT90S8515: identification 1E9301, locked it reads 000102.
struct AvrRig : TWorkflowRig {
    std::vector<std::uint16_t> words = SomeWords(32, 7);
    std::vector<std::uint8_t> eeprom = SomeBytes(16, 8);

    explicit AvrRig(std::optional<sim::TSimCardModel> model = std::nullopt)
        : TWorkflowRig(kAvrCard, std::move(model)) {
        Start();
        flows.SetFileField(TFileRow::frProgram, File("avr.hex", PicHexFile(words, {}, {})));
        flows.SetFileField(TFileRow::frIntEeprom, File("avree.hex", HexData(0, eeprom) + HexEnd()));
        ClearRecords();
    }
};

TEST(WritePic, AvrCardIsWrittenVerifiedThenLockedWhenChosen) {
    AvrRig rig;
    rig.flows.SetFuse(TFuse::fuLock, 0);
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kFlashWritten});
    const std::string program = rig.CardText(TSimMemory::Program);
    EXPECT_EQ(program.substr(0, 4 * rig.words.size()), WordsText(rig.words));
    EXPECT_TRUE(AllOf(program.substr(4 * rig.words.size()), 'F'));
    const std::string data = rig.CardText(TSimMemory::Data);
    EXPECT_EQ(data.substr(0, 32), BytesText(rig.eeprom));
    EXPECT_TRUE(AllOf(data.substr(32), 'F'));
    EXPECT_TRUE(rig.device.Card().Locked());

    const auto sent = rig.Sent();
    EXPECT_LT(LastOf(sent, "E8"), FirstOf(sent, "D8"));
    const auto& statuses = rig.view.statuses;
    const auto at = [&](int entry) {
        return std::find(statuses.begin(), statuses.end(), rig.Text(entry)) - statuses.begin();
    };
    EXPECT_LT(at(124), at(127));
    EXPECT_LT(at(127), at(135));
    EXPECT_LT(at(135), static_cast<std::ptrdiff_t>(statuses.size()));
    EXPECT_EQ(statuses.back(), rig.Text(entries::kCardReady));
}

TEST(WritePic, AvrLockThatIsNotConfirmedFailsWithoutTheWrittenMessage) {
    AvrRig rig;
    rig.Options().SetStepRetries(0); // one try: the failure itself is looked at
    rig.flows.SetFuse(TFuse::fuLock, 0);
    for (int i = 1; i <= 10; ++i) {
        rig.device.AddFault(sim::ParseSimFault("nack@D" + std::to_string(i)));
    }
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocFailed);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kLockNotConfirmed});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    EXPECT_FALSE(rig.device.Card().Locked());
}

TEST(CardCommands, RefusalsSendNoTransfer) {
    using Command = TCardCommand;
    const std::vector<Command> eight = {TCardCommand::ccReadPic,      TCardCommand::ccWritePic,
                                        TCardCommand::ccVerifyPic,    TCardCommand::ccErasePic,
                                        TCardCommand::ccReadEeprom,   TCardCommand::ccWriteEeprom,
                                        TCardCommand::ccVerifyEeprom, TCardCommand::ccEraseEeprom};
    const auto expect = [](TWorkflowRig& rig, Command command, int entry) {
        rig.ClearRecords();
        EXPECT_EQ(rig.Run(command), TOutcome::ocRefused);
        EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entry});
        EXPECT_TRUE(rig.prompts.asked.empty());
        EXPECT_EQ(rig.TransferFrames(), 0u);
    };

    PicRig rig;
    rig.flows.SetFileField(TFileRow::frEeprom,
                           rig.File("ee.hex", HexData(0, SomeBytes(8)) + HexEnd()));
    rig.device.SetPresent(false);
    rig.scheduler.Tick();
    ASSERT_EQ(rig.flows.Session().CardState(), TPCardState::csCardNotReady);
    for (const auto command : eight) {
        expect(rig, command, entries::kCardNotInserted);
    }
    expect(rig, TCardCommand::ccAutoProgram, entries::kNotConnectedOrNoCard);
    expect(rig, TCardCommand::ccLockCard, entries::kLockCardNotReady);

    rig.flows.ChooseOffline();
    for (const auto command : eight) {
        expect(rig, command, entries::kProgrammerNotConnected);
    }
    expect(rig, TCardCommand::ccAutoProgram, entries::kNotConnectedOrNoCard);
    expect(rig, TCardCommand::ccLockCard, entries::kNotConnectedOrNoCard);

    TWorkflowRig plain(kPicOnlyCard);
    plain.Start();
    for (const auto command : {eight[4], eight[5], eight[6], eight[7]}) {
        expect(plain, command, entries::kNoExternalEeprom);
    }

    // An AVR card type with another AVR in the slot. Fault: the EEPROM
    // commands erased it and wrote the loader into it, and said done.
    AvrRig wrong(sim::SimCardModelForParts(KORVEX_SOURCE_DATA_DIR, "ATmega8515", "24C64"));
    wrong.flows.SetFileField(TFileRow::frEeprom,
                             wrong.File("ee.hex", HexData(0, SomeBytes(8)) + HexEnd()));
    std::vector<Command> every = eight;
    every.insert(every.end(), {TCardCommand::ccAutoProgram, TCardCommand::ccLockCard});
    for (const auto command : every) {
        wrong.ClearRecords();
        EXPECT_EQ(wrong.Run(command), TOutcome::ocFailed);
        EXPECT_EQ(wrong.prompts.Entries(), std::vector<int>{entries::kWrongDevice});
        EXPECT_TRUE(wrong.prompts.asked.empty());
        EXPECT_EQ(wrong.TransferFrames(), 0u);
    }
}

// --- files the card cannot take whole are refused, never cut

void ExpectRefusedNaming(TWorkflowRig& rig, const std::string& file, const std::string& address) {
    EXPECT_EQ(rig.flows.SetFileField(TFileRow::frProgram, file), TIntentResult::irFailed);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{-1});
    EXPECT_NE(rig.prompts.messages.back().text.find(address), std::string::npos)
        << rig.prompts.messages.back().text;
}

// Catalogue program sizes count words: an AVR's flash is twice as many bytes,
// and a write sends all of it.
TEST(AvrFlash, EveryShippedAvrIsWrittenVerifiedAndReadBackWhole) {
    const std::pair<const char*, std::size_t> processors[] = {
        {"AT90S8515", 8192}, {"ATmega8515", 8192}, {"ATmega161", 16384}, {"ATmega163", 16384}};
    for (const auto& [processor, flashBytes] : processors) {
        SCOPED_TRACE(processor);
        const std::string card = std::string("Flash-") + processor;
        TWorkflowRig rig(card, sim::SimCardModelForParts(KORVEX_SOURCE_DATA_DIR, processor));
        WriteText(rig.CardFile(card), "[CardType]\nCardName=" + card +
                                          "\nCardDescription=whole flash\nPicName=" + processor +
                                          "\nEepromName=None\n");
        rig.Start();
        const std::vector<std::uint8_t> bytes = SomeBytes(flashBytes, 3);
        // The card holds words high byte first; the file has them low byte first.
        std::vector<std::uint16_t> words;
        for (std::size_t i = 0; i < bytes.size(); i += 2) {
            words.push_back(static_cast<std::uint16_t>(bytes[i] | bytes[i + 1] << 8));
        }
        const std::string image = WordsText(words);
        ASSERT_EQ(rig.Set(TFileRow::frProgram, rig.File("flash.hex", HexData(0, bytes) + HexEnd())),
                  TIntentResult::irDone);
        rig.ClearRecords();

        EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
        EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kFlashWritten});
        EXPECT_TRUE(rig.CardText(TSimMemory::Program) == image) << "the flash holds the file";

        rig.ClearRecords();
        EXPECT_EQ(rig.Run(TCardCommand::ccVerifyPic), TOutcome::ocSucceeded);
        EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyOk});

        rig.ClearRecords();
        EXPECT_EQ(rig.Run(TCardCommand::ccReadPic), TOutcome::ocSucceeded);
        ASSERT_EQ(rig.view.readBacks.size(), 1u);
        EXPECT_TRUE(TReadBackSeen::Text(rig.view.readBacks[0].lines, 0, 1u << 30) == image)
            << "the read gives back every byte";

        // One byte more is refused, and then nothing of it reaches the card.
        std::vector<std::uint8_t> tooBig = bytes;
        tooBig.push_back(0x5A);
        rig.ClearRecords();
        ExpectRefusedNaming(rig, rig.File("big.hex", HexData(0, tooBig) + HexEnd()),
                            flashBytes == 8192 ? "0x2000" : "0x4000");
        rig.ClearRecords();
        EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocNothing);
        EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kRowUnusable});
        EXPECT_TRUE(rig.Sent().empty());
    }
}

TEST(PicFilesThatDoNotFit, PicDataEepromBeyondTheProcessorIsRefused) {
    TWorkflowRig rig(kPicCard); // 64 data EEPROM bytes
    rig.Start();
    ExpectRefusedNaming(rig, rig.File("ee65.hex", PicHexFile(SomeWords(8), SomeBytes(65), {})),
                        "0x4280");
}

TEST(PicFilesThatDoNotFit, AShorterBinaryFileWritesNothingOfTheFileBefore) {
    PicRig rig; // 40 words loaded from a HEX file
    rig.flows.SetFileField(TFileRow::frProgram, rig.File("short.bin", std::string(8, '\x01')));
    ASSERT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.CardText(TSimMemory::Program).substr(0, 64), Repeat("01", 8) + Blank(12));
}

TEST(PicFilesThatDoNotFit, AvrCardTypeChosenAgainKeepsItsDataEepromImage) {
    AvrRig rig;
    rig.device.Card().Load(TSimMemory::Program, WordsText(rig.words));
    rig.device.Card().Load(TSimMemory::Data, "00"); // differs from the file
    ASSERT_EQ(rig.Run(TCardCommand::ccVerifyPic), TOutcome::ocFailed);
    rig.prompts.Clear();
    rig.SelectCard(kAvr9Card); // stores the file names with the card type
    rig.SelectCard(kAvrCard);
    rig.SelectCard(kAvrCard); // chosen again: the same names come back
    EXPECT_EQ(rig.Run(TCardCommand::ccVerifyPic), TOutcome::ocFailed);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyFailed});
}

} // namespace
} // namespace korvex
