#include "workflowrig.h"

#include "sim/simfaults.h"

#include <gtest/gtest.h>

#include <functional>

namespace korvex {
namespace {

using namespace korvex::testing;

// The result line says what the command left on the card, and only what a
// read-back showed; a failure says why, never what it did not finish. It
// lasts until the next command starts.
TEST(CommandResult, SaysWhatTheCardHoldsOrWhyNot) {
    using TArrange = std::function<void(TWorkflowRig&)>;
    struct TCase {
        TCardCommand command;
        TArrange arrange;
        bool green;
        std::vector<std::string> says; // in the line, in this order
        std::vector<std::string> saysNot;
    };
    const TArrange spoilData = [](TWorkflowRig& rig) {
        rig.pump.during = [&rig] {
            if (rig.Count('E') > 0) {
                rig.device.Card().Write(sim::TSimMemory::Data, 0, "00");
            }
        };
    };
    const TArrange silent = [](TWorkflowRig& rig) {
        rig.Options().SetStepRetries(0);
        rig.device.AddFault(sim::ParseSimFault("silent@B3"));
    };
    const std::vector<TCase> cases{
        {TCardCommand::ccAutoProgram,
         nullptr,
         true,
         {"Auto program finished", "Written and verified: EEPROM, Pic.", "Configuration word 3FF2.",
          " s)"},
         {}},
        {TCardCommand::ccAutoProgram,
         spoilData,
         false,
         {"First difference at data eeprom byte 0x0000", " s)"},
         {"verified: EEPROM, Pic", "Configuration word"}},
        {TCardCommand::ccWritePic,
         silent,
         false,
         {"failed on the line: no answer to packet 3"},
         {"Written"}},
        {TCardCommand::ccEraseEeprom, nullptr, true, {"eeprom has been erased"}, {"Written"}},
        // A question answered No: nothing to say.
        {TCardCommand::ccEraseEeprom,
         [](TWorkflowRig& rig) { rig.prompts.answers = {false}; },
         false,
         {},
         {}},
    };
    for (const TCase& c : cases) {
        TWorkflowRig rig;
        rig.Start();
        rig.Set(TFileRow::frProgram,
                rig.File("p.hex", PicHexFile(SomeWords(24, 1), SomeBytes(16, 3), 0x3FF2)));
        rig.Set(TFileRow::frEeprom, rig.File("e.hex", HexData(0, SomeBytes(100, 5)) + HexEnd()));
        rig.ClearRecords();
        if (c.arrange) {
            c.arrange(rig);
        }
        rig.Run(c.command);
        const TMainSnapshot shot = rig.flows.Snapshot();
        const std::string& line = shot.result.text;
        SCOPED_TRACE(line);
        EXPECT_EQ(shot.result.succeeded, c.green);
        // Whatever the box said, the line says first, on one line; nothing
        // without a box.
        if (!rig.prompts.messages.empty()) {
            const std::string& box = rig.prompts.messages.back().text;
            EXPECT_EQ(line.find(box.substr(0, box.find_first_of("\r\n"))), 0u);
        }
        EXPECT_EQ(line.empty(), rig.prompts.messages.empty() && rig.linkPrompts.errors.empty());
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        std::size_t at = 0;
        for (const std::string& part : c.says) {
            at = line.find(part, at);
            EXPECT_NE(at, std::string::npos) << part;
        }
        for (const std::string& part : c.saysNot) {
            EXPECT_EQ(line.find(part), std::string::npos) << part;
        }
        EXPECT_EQ(shot.gauge, c.green ? 100 : 0);
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
