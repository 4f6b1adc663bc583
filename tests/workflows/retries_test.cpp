// A noisy line costs time, not cards: a step that fails on the line runs
// again from its start, at most as often as the options say, and a card the
// line did not spoil ends as the files say. What a verify finds is the
// card's and is never tried again.
#include "workflowrig.h"

#include "sim/simfaults.h"
#include "workflows/entries.h"
#include "workflows/faultwords.h"

#include <gtest/gtest.h>
#include <tuple>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

struct RetryRig : TWorkflowRig {
    std::vector<std::uint16_t> words = SomeWords(40, 3);
    std::vector<std::uint8_t> eeprom = SomeBytes(300, 4);

    explicit RetryRig(const std::string& card = kPicCard) : TWorkflowRig(card) {
        Start();
        Set(TFileRow::frProgram, File("p.hex", PicHexFile(words, {}, 0x3FF2)));
        Set(TFileRow::frEeprom, File("e.hex", HexData(0, eeprom) + HexEnd()));
        ClearRecords();
    }
    bool HoldsTheFiles() const {
        return CardText(TSimMemory::Program).substr(0, 4 * words.size()) == WordsText(words) &&
               CardText(TSimMemory::Eeprom).substr(0, 2 * eeprom.size()) == BytesText(eeprom) &&
               CardText(TSimMemory::Config).substr(28) == "3FF2";
    }
};

TEST(Retries, OneFaultOnTheLineCostsATryNotTheCard) {
    struct TCase {
        std::vector<std::string> faults;
        TCardCommand command;
        const char* step;
        bool eepromVerifyOff;
    };
    std::vector<std::string> refusedErase;
    for (int i = 1; i <= 6; ++i) {
        refusedErase.push_back("nack@H" + std::to_string(i + 1)); // the loader's erase goes first
    }
    const TCase cases[] = {
        // A packet whose answer cannot be judged is never sent again on its
        // own: the programmer may have stored it and moved on.
        {{"badsum@I10"}, TCardCommand::ccAutoProgram, "eeprom write", true},
        {{"silent@I3"}, TCardCommand::ccAutoProgram, "eeprom write", false},
        {{"short@J2"}, TCardCommand::ccAutoProgram, "eeprom verify", false},
        {{"silent@B3"}, TCardCommand::ccAutoProgram, "processor write", false},
        {refusedErase, TCardCommand::ccAutoProgram, "processor write", false},
        {{"badsum@E2"}, TCardCommand::ccAutoProgram, "processor verify", false},
        {{"silent@D2"}, TCardCommand::ccAutoProgram, "configuration word", false},
        {{"short@G1"}, TCardCommand::ccAutoProgram, "configuration word verify", false},
        {{"silent@D1"}, TCardCommand::ccAutoProgram, "loader", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.faults.front());
        RetryRig rig;
        rig.Options().SetAutoVerifyEe(!c.eepromVerifyOff);
        for (const std::string& fault : c.faults) {
            rig.device.AddFault(sim::ParseSimFault(fault));
        }
        EXPECT_EQ(rig.Run(c.command), TOutcome::ocSucceeded);
        EXPECT_TRUE(rig.HoldsTheFiles());
        EXPECT_EQ(rig.flows.LastReport().retries, 1);
        ASSERT_EQ(rig.view.notes.size(), 1u);
        EXPECT_EQ(rig.view.notes[0].rfind(std::string(c.step) + ": ", 0), 0u) << rig.view.notes[0];
        EXPECT_TRUE(rig.view.notes[0].ends_with("; trying the step again (2 of 3)"))
            << rig.view.notes[0];
        EXPECT_TRUE(rig.linkPrompts.errors.empty()) << "a try that went through shows no failure";
        EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kAutoFinished});
    }
}

// An answer to the configuration word's frame that cannot be judged: the
// card is asked whether it holds the word before the word goes again.
TEST(Retries, ASpoiledAnswerToTheConfigurationWordIsSettledByReadingItBack) {
    RetryRig rig(kPicOnlyCard);
    rig.device.AddFault(sim::ParseSimFault("badsum@D1"));
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.Count('D'), 1u) << "the card held the word: it was not sent again";
    EXPECT_EQ(rig.CardText(TSimMemory::Config).substr(28), "3FF2");
}

// The bound holds, 0 is a single try, and a difference is never tried again.
TEST(Retries, TheBoundHoldsAndADifferenceIsTheCards) {
    for (const int retries : {0, 2}) {
        SCOPED_TRACE(retries);
        RetryRig rig(kPicOnlyCard);
        rig.Options().SetStepRetries(retries);
        for (int i = 1; i <= 1 + retries; ++i) {
            rig.device.AddFault(sim::ParseSimFault("silent@B" + std::to_string(i)));
        }
        EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocFailed);
        EXPECT_EQ(rig.flows.LastReport().retries, retries);
        EXPECT_EQ(rig.Count('H'), 1u + static_cast<unsigned>(retries)) << "from the erase";
        EXPECT_EQ(rig.linkPrompts.errors,
                  std::vector<std::string>{"Failed to write card !\r\nThe processor write step "
                                           "failed on the line: no answer to packet 1."});
    }
    RetryRig rig(kPicOnlyCard);
    rig.device.Card().StickCell(TSimMemory::Program, 2);
    EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocFailed);
    EXPECT_EQ(rig.flows.LastReport().retries, 0);
    EXPECT_EQ(rig.Count('H'), 1u);
}

// What the line did not bring, or a card taken out, is never told as the
// card's: no difference (a verify cut short learned nothing), no other
// processor; an error that names the step and its fault. The fault's frame
// counts from the command's first of its letter.
TEST(Retries, ALineFaultOrACardTakenOutIsNotTheCards) {
    const std::tuple<const char*, TCardCommand, std::string, int, std::string> cases[] = {
        {kPicCard, TCardCommand::ccVerifyEeprom, "badsum@J", 2, "eeprom verify"},
        {kPicCard, TCardCommand::ccVerifyPic, "badsum@E", 2, "processor verify"},
        {kPicCard, TCardCommand::ccVerifyPic, "badsum@G", 1, "configuration word verify"},
        {kPicCard, TCardCommand::ccWriteEeprom, "badsum@J", 3, "eeprom verify"},
        {kPicCard, TCardCommand::ccAutoProgram, "pull@E", 2, "processor verify"},
        {kAvrCard, TCardCommand::ccReadPic, "silent@G", 1, "identification"},
    };
    for (const auto& [card, command, fault, block, step] : cases) {
        SCOPED_TRACE(fault + std::to_string(block));
        RetryRig rig(card);
        rig.Options().SetStepRetries(0);
        if (command == TCardCommand::ccVerifyEeprom || command == TCardCommand::ccVerifyPic) {
            ASSERT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocSucceeded);
            rig.prompts.Clear();
        }
        const std::size_t before = rig.Count(fault.back());
        rig.device.AddFault(sim::ParseSimFault(fault + std::to_string(before + block)));
        EXPECT_EQ(rig.Run(command), TOutcome::ocFailed);
        EXPECT_FALSE(rig.flows.LastReport().difference.has_value());
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        const TShownMessage& told = rig.prompts.messages[0];
        EXPECT_EQ(told.kind, TMessageKind::mkError);
        EXPECT_EQ(told.entry, step.ends_with("verify") ? entries::kVerifyNotReadWhole
                                                       : entries::kStepFailedOnLine);
        const std::string words = fault[0] == 'b'   ? "a spoiled answer to block "
                                  : fault[0] == 'p' ? "no card in the slot at block "
                                                    : "no answer to block ";
        EXPECT_TRUE(told.text.ends_with("The " + step + " step failed on the line: " + words +
                                        std::to_string(block) + "."))
            << told.text;
    }
}

// A step that failed because the programmer fell silent for good, or its
// port went away, says which: in its message and in the command's report.
// Fault: each try again waited out the answer times of a programmer that
// answered nothing, 20 s in all, with the card "ready" behind the message.
TEST(Retries, AProgrammerGoneQuietOrAPortGoneIsSaid) {
    for (const int entry : {entries::kProgrammerSilent, entries::kPortGone}) {
        RetryRig rig(kPicOnlyCard);
        if (entry == entries::kPortGone) {
            rig.device.AddFault(sim::ParseSimFault("hangup@B3"));
        } else {
            for (int frame = 8; frame < 200; ++frame) {
                rig.device.AddFault(sim::ParseSimFault("silent@" + std::to_string(frame)));
            }
        }
        std::string statusUnderTheBox;
        rig.linkPrompts.onShown = [&] { statusUnderTheBox = rig.view.statuses.back(); };
        EXPECT_EQ(rig.Run(TCardCommand::ccWritePic), TOutcome::ocFailed);
        const TCommandReport& report = rig.flows.LastReport();
        EXPECT_EQ(report.retries, 0);
        EXPECT_EQ(statusUnderTheBox, rig.Text(entries::kNotConnected));
        EXPECT_EQ(report.lineFault.kind, TTransportFaultKind::tfNoAnswer);
        const std::string words = rig.Text(entry);
        EXPECT_EQ(report.lineProblem.substr(0, 8), words.substr(0, 8)) << report.lineProblem;
        EXPECT_NE(report.lineProblem.find(FaultWords(rig.flows.Session().Lang(), report.lineFault)),
                  std::string::npos);
        ASSERT_EQ(rig.linkPrompts.errors.size(), 1u);
        EXPECT_EQ(rig.linkPrompts.errors[0], "Failed to write card !\r\n" + report.lineProblem);
    }
}

// The remark of a try again and the failure's detail are worded whole in the
// language chosen: no English inside a German message; English as it was.
TEST(Retries, ALineFaultIsToldInTheLanguageChosen) {
    const auto many = [](const std::string& at, int from, int to) {
        std::vector<std::string> faults;
        for (int i = from; i <= to; ++i) {
            faults.push_back(at + std::to_string(i));
        }
        return faults;
    };
    const std::tuple<const char*, std::vector<std::string>, TCardCommand, std::string> cases[] = {
        {"English", many("badsum@I", 10, 10), TCardCommand::ccAutoProgram,
         "eeprom write: a spoiled answer to packet 10; trying the step again (2 of 3)"},
        {"Deutsch", many("silent@I", 3, 3), TCardCommand::ccAutoProgram,
         "Eeprom schreiben: keine Antwort auf Paket 3; der Schritt wird erneut versucht (2 von 3)"},
        {"Deutsch", many("badsum@E", 2, 2), TCardCommand::ccAutoProgram,
         "Prozessor prüfen: eine unbrauchbare Antwort auf Block 2; der Schritt wird erneut"},
        {"Deutsch", many("nack@H", 2, 7), TCardCommand::ccAutoProgram,
         "Prozessor schreiben: das Löschen bei jedem Senden abgelehnt; der Schritt"},
        {"Deutsch", many("hangup@B", 3, 3), TCardCommand::ccWritePic,
         "ist weg (keine Antwort auf Paket 3)"},
        {"Deutsch", many("silent@", 8, 199), TCardCommand::ccWritePic,
         "nicht mehr (keine Antwort auf Paket 3)"},
    };
    const char* english[] = {"answer to", "spoiled", "refused", "trying", " of ",
                             "packet",    "the ",    "write",   "verify", "erase"};
    for (const auto& [language, faults, command, said] : cases) {
        SCOPED_TRACE(said);
        RetryRig rig;
        ASSERT_EQ(rig.flows.ChooseLanguage(language), TIntentResult::irDone);
        for (const std::string& fault : faults) {
            rig.device.AddFault(sim::ParseSimFault(fault));
        }
        rig.Run(command);
        const std::string told = (rig.view.notes.empty() ? "" : rig.view.notes[0]) + "|" +
                                 rig.flows.LastReport().lineProblem;
        EXPECT_NE(told.find(said), std::string::npos) << told;
        for (const char* fragment : english) {
            EXPECT_TRUE(language[0] == 'E' || told.find(fragment) == std::string::npos) << told;
        }
    }
}

} // namespace
} // namespace korvex
