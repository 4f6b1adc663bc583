#include "workflowrig.h"

#include "sim/simfaults.h"
#include "workflows/entries.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

constexpr std::size_t kEepromChars = 2 * 2048; // 24C16

// The PIC card type with a 24C16 and a 100-byte EEPROM file; the card's
// EEPROM starts out holding something else entirely.
struct EepromRig : TWorkflowRig {
    std::vector<std::uint8_t> file = SomeBytes(100, 2);
    std::string garbage = Pattern(kEepromChars, 9);

    EepromRig() : TWorkflowRig(kPicCard) {
        Start();
        flows.SetFileField(TFileRow::frEeprom, File("ee.hex", HexData(0, file) + HexEnd()));
        device.Card().Load(TSimMemory::Eeprom, garbage);
        ClearRecords();
    }
    std::string Eeprom() const { return CardText(TSimMemory::Eeprom); }
};

TEST(EepromCommands, AnsweringNoSendsNothing) {
    EepromRig rig;
    const std::vector<std::pair<TCardCommand, int>> commands = {{TCardCommand::ccWriteEeprom, 89},
                                                                {TCardCommand::ccVerifyEeprom, 85},
                                                                {TCardCommand::ccEraseEeprom, 97},
                                                                {TCardCommand::ccReadEeprom, 84}};
    for (const auto& [command, question] : commands) {
        rig.ClearRecords();
        rig.prompts.answers = {false};
        EXPECT_EQ(rig.Run(command), TOutcome::ocRefused);
        EXPECT_EQ(rig.prompts.asked, std::vector<int>{question});
        EXPECT_EQ(rig.prompts.askedTexts, std::vector<std::string>{rig.Text(question)});
        EXPECT_TRUE(rig.Sent().empty());
        EXPECT_TRUE(rig.view.statuses.empty());
        EXPECT_TRUE(rig.prompts.messages.empty());
    }
    EXPECT_EQ(rig.Eeprom(), rig.garbage);
}

TEST(WriteEeprom, WritesTheFileThenBlankBytesThroughTheLoader) {
    EepromRig rig;
    EXPECT_EQ(rig.Run(TCardCommand::ccWriteEeprom), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.Eeprom(), BytesText(rig.file) + std::string(kEepromChars - 200, 'F'));
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kEepromWritten});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkInformation);
    EXPECT_EQ(rig.view.statuses, (std::vector<std::string>{rig.Text(entries::kWritingLoader),
                                                           rig.Text(entries::kWritingEeprom),
                                                           rig.Text(entries::kVerifyingEeprom),
                                                           rig.Text(entries::kCardReady)}));
    // The default loader (one word, 0x2800) went into the processor first.
    EXPECT_EQ(rig.CardText(TSimMemory::Program).substr(0, 4), "2800");
    EXPECT_EQ(rig.Count('I'), kEepromChars / 32);
    EXPECT_GT(rig.Count('J'), 0u);
    EXPECT_EQ(rig.Sent().back(), "A30");
    EXPECT_EQ(rig.gauge.values.back(), 100);
}

TEST(WriteEeprom, OptionsDecideWhichStepsRun) {
    EepromRig rig;
    rig.Options().SetWriteEeWrite(false);
    // Verify alone finds the card's other contents.
    EXPECT_EQ(rig.Run(TCardCommand::ccWriteEeprom), TOutcome::ocFailed);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyFailed});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkWarning);
    EXPECT_EQ(rig.Count('I'), 0u);
    EXPECT_EQ(rig.Eeprom(), rig.garbage);
}

TEST(WriteEeprom, WithoutAnyImageStopsBeforeTouchingTheCardAndSaysWhy) {
    TWorkflowRig rig(kPicCard);
    rig.Start();
    rig.device.Card().Load(TSimMemory::Eeprom, Pattern(kEepromChars, 1));
    EXPECT_EQ(rig.Run(TCardCommand::ccWriteEeprom), TOutcome::ocNothing);
    EXPECT_EQ(rig.CardText(TSimMemory::Eeprom), Pattern(kEepromChars, 1));
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kNoEepromImage});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    EXPECT_TRUE(rig.prompts.asked.empty());
    EXPECT_TRUE(rig.Sent().empty());
}

TEST(VerifyEeprom, ComparesOnlyTheFilesLength) {
    EepromRig rig;
    // The file's bytes, then anything: still the same.
    rig.device.Card().Load(TSimMemory::Eeprom,
                           BytesText(rig.file) + rig.garbage.substr(BytesText(rig.file).size()));
    EXPECT_EQ(rig.Run(TCardCommand::ccVerifyEeprom), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyOk});
    EXPECT_EQ(rig.view.statuses, (std::vector<std::string>{rig.Text(entries::kWritingLoader),
                                                           rig.Text(entries::kVerifyingEeprom),
                                                           rig.Text(entries::kCardReady)}));
    // Only about the file's 100 bytes are read back, not the 2048 of the EEPROM.
    std::size_t asked = 0;
    for (const auto& frame : rig.device.Frames()) {
        asked += frame.command == 'J' ? std::stoul(frame.data, nullptr, 16) : 0;
    }
    EXPECT_GE(asked, rig.file.size());
    EXPECT_LT(asked, 2 * rig.file.size());

    // The file's last byte differs.
    std::vector<std::uint8_t> changed = rig.file;
    changed.back() ^= 0x80;
    rig.device.Card().Load(TSimMemory::Eeprom, BytesText(changed));
    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccVerifyEeprom), TOutcome::ocFailed);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kVerifyFailed});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkWarning);
    char line[160];
    std::snprintf(line, sizeof line,
                  "First difference at eeprom byte 0x%04zX: expected %02X, found %02X; differing "
                  "bytes in all: 1.",
                  rig.file.size() - 1, rig.file.back(), changed.back());
    EXPECT_EQ(rig.prompts.messages[0].text, rig.Text(entries::kVerifyFailed) + "\n" + line);
    EXPECT_EQ(rig.Count('I'), 0u);
}

TEST(VerifyEeprom, ComparesOnlyAFileTheRowNames) {
    EepromRig rig;
    rig.device.Card().Load(TSimMemory::Eeprom, BytesText(rig.file));
    // A cleared field, a file that was refused, or one that holds no image
    // leave nothing to compare: the command stops before the question and
    // says so, whatever was loaded before.
    const std::pair<std::string, int> cases[] = {
        {"", entries::kNothingToVerifyEeprom},
        {rig.File("bad.hex", ":0G000000FF\r\n"), entries::kRowUnusable},
        {rig.File("card.crd", "whatever"), entries::kNothingToVerifyEeprom},
    };
    for (const auto& [name, message] : cases) {
        rig.flows.SetFileField(TFileRow::frEeprom, name);
        rig.ClearRecords();
        EXPECT_EQ(rig.Run(TCardCommand::ccVerifyEeprom), TOutcome::ocNothing) << name;
        ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{message}) << name;
        EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
        EXPECT_TRUE(rig.prompts.asked.empty());
        EXPECT_TRUE(rig.Sent().empty());
    }
}

TEST(EraseEeprom, FillsTheEepromWithBlankBytes) {
    EepromRig rig;
    EXPECT_EQ(rig.Run(TCardCommand::ccEraseEeprom), TOutcome::ocSucceeded);
    EXPECT_EQ(rig.Eeprom(), std::string(kEepromChars, 'F'));
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kEepromErased});
    EXPECT_EQ(rig.view.statuses, (std::vector<std::string>{rig.Text(entries::kWritingLoader),
                                                           rig.Text(entries::kErasingEeprom),
                                                           rig.Text(entries::kCardReady)}));
}

TEST(EraseEeprom, AFailedFillIsAnErrorMessage) {
    EepromRig rig;
    rig.Options().SetStepRetries(0); // one try: the failure itself is looked at
    rig.device.AddFault(sim::ParseSimFault("silent@I1"));
    EXPECT_EQ(rig.Run(TCardCommand::ccEraseEeprom), TOutcome::ocFailed);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kEepromWriteFailed});
    EXPECT_EQ(rig.prompts.messages[0].kind, TMessageKind::mkError);
    EXPECT_EQ(rig.Sent().back(), "A30");
}

TEST(ReadEeprom, HandsTheEepromToTheView) {
    EepromRig rig;
    rig.flows.SetFileField(TFileRow::frLoader, "DEFAULT");
    EXPECT_EQ(rig.Run(TCardCommand::ccReadEeprom), TOutcome::ocSucceeded);
    ASSERT_EQ(rig.view.readBacks.size(), 1u);
    EXPECT_EQ(rig.view.readBacks[0].mode, "Eeprom");
    EXPECT_EQ(TReadBackSeen::Text(rig.view.readBacks[0].lines, 0, 1u << 30), rig.garbage);
    EXPECT_EQ(rig.view.statuses, (std::vector<std::string>{rig.Text(entries::kWritingLoader),
                                                           rig.Text(entries::kReadingEeprom),
                                                           rig.Text(entries::kCardReady)}));
    EXPECT_TRUE(rig.prompts.plain.empty()) << "no box only echoing the loader field";
    EXPECT_TRUE(rig.prompts.messages.empty());

    // A blank loader leaves the EEPROM out of reach: no data.
    rig.flows.SetFileField(TFileRow::frLoader,
                           rig.File("blank.hex", HexRecord(0, 0, {0xFF, 0x3F}) + HexEnd()));
    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccReadEeprom), TOutcome::ocFailed);
    EXPECT_TRUE(rig.view.readBacks.empty());
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kEepromNotRead});
}

TEST(EepromCommands, AMissingLoaderStopsThemBeforeAnythingIsSent) {
    EepromRig rig;
    const std::filesystem::path loader = rig.folder / "defaults" / "loader84.hex";
    std::filesystem::remove(loader);
    for (const auto command : {TCardCommand::ccWriteEeprom, TCardCommand::ccVerifyEeprom,
                               TCardCommand::ccEraseEeprom, TCardCommand::ccReadEeprom}) {
        rig.ClearRecords();
        EXPECT_EQ(rig.Run(command), TOutcome::ocNothing);
        ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kRowUnusable});
        EXPECT_NE(rig.prompts.messages[0].text.find(loader.string()), std::string::npos);
        EXPECT_TRUE(rig.prompts.asked.empty());
        EXPECT_TRUE(rig.Sent().empty());
    }
    // A loader named by hand that is not there is as missing.
    std::filesystem::copy(KORVEX_SOURCE_DATA_DIR "/defaults/loader84.hex", loader);
    rig.Set(TFileRow::frLoader, "/nowhere/MyLoader.hex");
    rig.ClearRecords();
    EXPECT_EQ(rig.Run(TCardCommand::ccWriteEeprom), TOutcome::ocNothing);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kRowUnusable});
    EXPECT_NE(rig.prompts.messages[0].text.find("/nowhere/MyLoader.hex"), std::string::npos);
    EXPECT_TRUE(rig.device.Card().ProgramBlank());
}

} // namespace
} // namespace korvex
