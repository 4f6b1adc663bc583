#include "workflowrig.h"

#include "sim/simfaults.h"
#include "workflows/entries.h"

#include <gtest/gtest.h>

#include <functional>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

// A card type with its program and EEPROM files chosen.
struct ResultRig : TWorkflowRig {
    ResultRig() {
        Start();
        flows.SetFileField(
            TFileRow::frProgram,
            File("prog.hex", PicHexFile(SomeWords(24, 1), SomeBytes(16, 3), 0x3FF2)));
        flows.SetFileField(TFileRow::frEeprom,
                           File("ee.hex", HexData(0, SomeBytes(100, 5)) + HexEnd()));
        ClearRecords();
    }
};

// The result line says what the command left on the card, and only what a
// read-back showed; a failure says why, never what it did not finish.
TEST(CommandResult, SaysWhatTheCardHoldsOrWhyNot) {
    struct TCase {
        const char* name;
        TCardCommand command;
        std::function<void(ResultRig&)> arrange;
        TOutcome outcome;
        bool green;
        std::vector<std::string> says; // in the line, in this order
        std::vector<std::string> saysNot;
    };
    const std::vector<TCase> cases{
        {"auto program",
         TCardCommand::ccAutoProgram,
         [](ResultRig&) {},
         TOutcome::ocSucceeded,
         true,
         {"Auto program finished", "Written and verified: EEPROM, Pic.", "Configuration word 3FF2.",
          " s)"},
         {}},
        {"a difference at the verify",
         TCardCommand::ccAutoProgram,
         [](ResultRig& rig) {
             rig.pump.during = [&rig] {
                 if (rig.Count('E') > 0) {
                     rig.device.Card().Write(TSimMemory::Data, 0, "00");
                 }
             };
         },
         TOutcome::ocFailed,
         false,
         {"First difference at data eeprom byte 0x0000", " s)"},
         {"verified: EEPROM, Pic", "Configuration word"}},
        {"a programmer fallen silent",
         TCardCommand::ccWritePic,
         [](ResultRig& rig) {
             rig.Options().SetStepRetries(0);
             rig.device.AddFault(sim::ParseSimFault("silent@B3"));
         },
         TOutcome::ocFailed,
         false,
         {"failed on the line: no answer to packet 3"},
         {"Written"}},
        {"no card in the slot",
         TCardCommand::ccAutoProgram,
         [](ResultRig& rig) {
             rig.device.SetPresent(false);
             rig.scheduler.Tick();
         },
         TOutcome::ocRefused,
         false,
         {},
         {"Written", "Verified"}},
        {"an erase",
         TCardCommand::ccEraseEeprom,
         [](ResultRig&) {},
         TOutcome::ocSucceeded,
         true,
         {"eeprom has been erased"},
         {"Written"}},
        {"a question answered No",
         TCardCommand::ccEraseEeprom,
         [](ResultRig& rig) { rig.prompts.answers = {false}; },
         TOutcome::ocRefused,
         false,
         {},
         {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResultRig rig;
        c.arrange(rig);
        EXPECT_EQ(rig.Run(c.command), c.outcome);
        const TMainSnapshot shot = rig.flows.Snapshot();
        const std::string& line = shot.result.text;
        EXPECT_EQ(shot.result.succeeded, c.green) << line;
        // Whatever the box said, the line says too, on one line; nothing
        // without a box.
        if (!rig.prompts.messages.empty()) {
            const std::string& box = rig.prompts.messages.back().text;
            EXPECT_EQ(line.find(box.substr(0, box.find_first_of("\r\n"))), 0u) << line;
        }
        EXPECT_EQ(line.empty(), rig.prompts.messages.empty() && rig.linkPrompts.errors.empty());
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        std::size_t at = 0;
        for (const std::string& part : c.says) {
            at = line.find(part, at);
            EXPECT_NE(at, std::string::npos) << part << " in: " << line;
        }
        for (const std::string& part : c.saysNot) {
            EXPECT_EQ(line.find(part), std::string::npos) << part << " in: " << line;
        }
        EXPECT_EQ(shot.gauge, c.green ? 100 : 0);
        // The next command starts without it, and without the remarks.
        rig.device.SetPresent(true);
        rig.Poll();
        bool cleared = false;
        rig.pump.during = [&] {
            cleared = rig.flows.Snapshot().result.empty() && rig.flows.Snapshot().notes.empty();
        };
        rig.Run(TCardCommand::ccVerifyPic);
        EXPECT_TRUE(cleared);
    }
}

} // namespace
} // namespace korvex
