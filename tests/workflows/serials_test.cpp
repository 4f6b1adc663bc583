// A card type's serial fields through Auto program and a production run: each
// card gets the next value, written and verified with the rest, and a value
// once handed out is never handed out again, whatever became of its card.
#include "workflowrig.h"

#include "catalogue/serialfieldini.h"
#include "serials/claims/localclaims.h"
#include "sim/simfeedplan.h"
#include "support/sha256.h"
#include "workflows/entries.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

// A PIC card type with a 24C16 whose field "Serial1" goes to EEPROM byte
// 0x7F0, four BCD bytes, counting from 1000.
struct SerialRig : TWorkflowRig {
    std::vector<std::uint8_t> eeprom = SomeBytes(100, 5);

    explicit SerialRig(const std::string& field =
                           "Serial1:memory=eeprom,address=0x7F0,length=4,format=bcd,first=1000") {
        Start();
        EXPECT_EQ(flows.EditSerialFields({field}, {}), TIntentResult::irDone);
        Set(TFileRow::frProgram, File("p.hex", PicHexFile(SomeWords(8), {}, 0x3FF2)));
        Set(TFileRow::frEeprom, File("e.hex", HexData(0, eeprom) + HexEnd()));
        ClearRecords();
    }
    std::string SerialOnCard() const { return CardText(TSimMemory::Eeprom).substr(2 * 0x7F0, 8); }
    std::string Claims() const {
        return ReadText(TPLocalSerialClaims::FolderOf(Bench().dataFolders) / kPicCard /
                        "Serial1.claims");
    }
};

TEST(SerialFields, TheValueGoesIntoTheImageSentNeverIntoTheFile) {
    SerialRig rig;
    const std::string fileBefore = ReadText(rig.dir / "e.hex");
    EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.SerialOnCard(), "00001000");
    EXPECT_EQ(rig.CardText(TSimMemory::Eeprom).substr(0, 200), BytesText(rig.eeprom))
        << "the file's own bytes around it";
    EXPECT_EQ(rig.view.notes, std::vector<std::string>{"Serial1 1000"});
    EXPECT_EQ(ReadText(rig.dir / "e.hex"), fileBefore);
    EXPECT_NE(rig.Claims().find("spent 1000 1000 good"), std::string::npos) << rig.Claims();
}

// Before anything is sent: a counter past its last value, a field outside its
// memory or over the file's own data.
TEST(SerialFields, AFieldThatCannotBeFilledRefusesBeforeAnythingIsSent) {
    const std::pair<std::string, TOutcome> cases[] = {
        {"Serial1:memory=eeprom,address=0x7F0,length=4,format=bcd,first=5,last=4",
         TOutcome::ocFailed},
        {"Serial1:memory=eeprom,address=0x7FE,length=4,format=bcd,first=5", TOutcome::ocFailed},
        {"Serial1:memory=eeprom,address=0x10,length=4,format=bcd,first=5", TOutcome::ocFailed},
    };
    for (const auto& [field, outcome] : cases) {
        SCOPED_TRACE(field);
        TWorkflowRig plain;
        plain.Start();
        if (plain.flows.EditSerialFields({field}, {}) != TIntentResult::irDone) {
            continue; // refused as it was written: nothing to program with
        }
        SerialRig rig(field);
        EXPECT_EQ(rig.Run(TCardCommand::ccAutoProgram), outcome);
        EXPECT_EQ(rig.TransferFrames(), 0u);
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
        EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    }
    // A field beyond the memory is refused as it is set, not at the first card.
    TWorkflowRig plain;
    plain.Start();
    plain.ClearRecords();
    EXPECT_EQ(plain.flows.EditSerialFields({std::get<0>(cases[1])}, {}), TIntentResult::irFailed);
    ASSERT_EQ(plain.prompts.messages.size(), 1u);
    EXPECT_NE(plain.prompts.messages[0].text.find("lies outside the 2048 bytes"), std::string::npos)
        << plain.prompts.messages[0].text;
}

// Fault: a run refused before anything was sent (a value above 3FFF in a
// PIC word, a field over the file's data) spent a value as failed.
TEST(SerialFields, ARunRefusedBeforeItsFirstCardSpendsNoValue) {
    const std::pair<std::string, TRunEnd> cases[] = {
        {"Serial1:memory=program,address=0x101,length=1,format=binary-be,first=64",
         TRunEnd::reSerials},
        {"Serial1:memory=eeprom,address=0x10,length=4,format=bcd,first=5", TRunEnd::reFiles},
    };
    for (const auto& [field, end] : cases) {
        SCOPED_TRACE(field);
        SerialRig rig(field);
        TProductionPlan plan;
        plan.count = 1;
        plan.record = rig.dir / "record.csv";
        struct : TProductionObserver {
        } board;
        EXPECT_EQ(rig.flows.RunProduction(plan, board).end, end);
        EXPECT_EQ(rig.TransferFrames(), 0u);
        EXPECT_EQ(rig.Claims(), "");
        EXPECT_FALSE(std::filesystem::exists(plan.record));
        ASSERT_EQ(rig.prompts.messages.size(), 1u);
    }
}

// In a production run each card gets the next value; a card that fails its
// verify keeps its value spent. The record keeps the value, the digest of the
// image as sent and that of the file's own image.
TEST(SerialFields, AProductionRunSpendsAValuePerCardAndRecordsIt) {
    SerialRig rig;
    sim::TSimFeedPlan feed;
    feed.cards = 3;
    feed.faults[2].push_back(sim::TSimStuckCell{TSimMemory::Eeprom, 3});
    rig.device.SetFeed(feed, rig.clock);
    TProductionPlan plan;
    plan.count = 3;
    plan.record = rig.dir / "record.csv";
    struct : TProductionObserver {
    } board;
    const TProductionSummary summary = rig.flows.RunProduction(plan, board);
    EXPECT_EQ(summary.end, TRunEnd::reCount);
    EXPECT_EQ(rig.SerialOnCard(), "00001002");
    const std::string claims = rig.Claims();
    EXPECT_NE(claims.find("spent 1001 1001 failed"), std::string::npos) << claims;
    EXPECT_NE(claims.find("spent 1002 1002 good"), std::string::npos) << claims;

    const std::string record = ReadText(plan.record);
    EXPECT_NE(record.find("serial Serial1"), std::string::npos);
    for (const char* value : {",1000\r\n", ",1001\r\n", ",1002\r\n"}) {
        EXPECT_NE(record.find(value), std::string::npos) << record;
    }
    const TCommandReport& last = rig.flows.LastReport();
    EXPECT_NE(last.sent.eeprom, last.fileImages.eeprom);
    EXPECT_NE(record.find(Sha256OfHexText(last.fileImages.eeprom)), std::string::npos);
    EXPECT_NE(record.find(Sha256OfHexText(last.sent.eeprom)), std::string::npos);
}

} // namespace
} // namespace korvex
