#include "common/ordinaryuser.h"
#include "common/tempdir.h"
#include "workflows/presenter/optionsdialog.h"

#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>

namespace korvex {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

namespace {

constexpr const char* kAllOn = "[Auto]\nWriteEe=1\nVerifyEe=1\nWritePic=1\nVerifyPic=1\n\n"
                               "[WritePic]\nWritePic=1\nVerifyPic=1\n\n"
                               "[WriteEeprom]\nWriteEe=1\nVerifyEe=1\n";

constexpr TOptionBoxes kAllOff{false, false, false, false, false, false, false, false};

std::filesystem::path OptionsFile(const TempDir& dir) {
    return dir / "options" / "options.ini";
}

} // namespace

TEST(OptionsDialog, MissingFileIsCreatedAllOnAndShownChecked) {
    TempDir dir;
    std::filesystem::create_directory(dir / "options");
    TPOptionReader reader(dir.Path());
    TOptionBoxes boxes = kAllOff;
    EXPECT_EQ(TPOptionsDialog::Show(reader, boxes), std::nullopt);
    EXPECT_EQ(boxes, TOptionBoxes{});
    EXPECT_EQ(ReadText(OptionsFile(dir)), kAllOn);
}

TEST(OptionsDialog, ShowsWhatTheFileSays) {
    TempDir dir;
    WriteText(OptionsFile(dir), "[Auto]\nWriteEe=0\n");
    TPOptionReader reader(dir.Path());
    TOptionBoxes boxes;
    EXPECT_EQ(TPOptionsDialog::Show(reader, boxes), std::nullopt);
    TOptionBoxes expected;
    expected.chkawEeprom = false;
    EXPECT_EQ(boxes, expected);

    WriteText(OptionsFile(dir), "[Auto]\nWriteEe=1\nVerifyEe=1\nWritePic=0\nVerifyPic=abc\n"
                                "[WritePic]\nWritePic=1\nVerifyPic=0\n"
                                "[WriteEeprom]\nWriteEe=0\nVerifyEe=2\n");
    EXPECT_EQ(TPOptionsDialog::Show(reader, boxes), std::nullopt);
    EXPECT_EQ(boxes, (TOptionBoxes{true, true, false, true, false, true, true, false}));
}

TEST(OptionsDialog, AcceptWritesEachBoxToItsOwnOption) {
    TempDir dir;
    WriteText(OptionsFile(dir), kAllOn);
    TPOptionReader reader(dir.Path());
    TOptionBoxes boxes;
    boxes.chkawEeprom = false;
    boxes.chkavPic = false;
    boxes.chkwwEeprom = false;
    boxes.chkwvPic = false;
    EXPECT_EQ(TPOptionsDialog::Accept(reader, boxes), std::nullopt);
    EXPECT_EQ(ReadText(OptionsFile(dir)),
              "[Auto]\nWriteEe=0\nVerifyEe=1\nWritePic=1\nVerifyPic=0\n\n"
              "[WritePic]\nWritePic=1\nVerifyPic=0\n\n"
              "[WriteEeprom]\nWriteEe=0\nVerifyEe=1\n");

    TOptionBoxes shown;
    EXPECT_EQ(TPOptionsDialog::Show(reader, shown), std::nullopt);
    EXPECT_EQ(shown, boxes);
}

TEST(OptionsDialog, FailuresAreReportedAndLeaveTheRestAlone) {
    TempDir dir;
    TPOptionReader reader(dir.Path());
    const std::string unable = "Unable to write to " + OptionsFile(dir).string();

    // No options folder: the defaults cannot be written.
    TOptionBoxes boxes = kAllOff;
    boxes.chkwvPic = true;
    const TOptionBoxes before = boxes;
    EXPECT_EQ(TPOptionsDialog::Show(reader, boxes), unable);
    EXPECT_EQ(boxes, before);
    EXPECT_EQ(TPOptionsDialog::Accept(reader, kAllOff), unable);
    EXPECT_FALSE(std::filesystem::exists(dir / "options"));

    // A read-only file can be shown but not changed.
    WriteText(OptionsFile(dir), kAllOn);
    ::chmod(OptionsFile(dir).c_str(), 0444);
    EXPECT_EQ(TPOptionsDialog::Show(reader, boxes), std::nullopt);
    EXPECT_EQ(boxes, TOptionBoxes{});
    EXPECT_EQ(TPOptionsDialog::Accept(reader, kAllOff), unable);
    EXPECT_EQ(ReadText(OptionsFile(dir)), kAllOn);
}

// Root writes through read-only permissions: the dialog runs as an ordinary user.
TEST(OptionsDialog, ReadOnlyFolderMakesAcceptFail) {
    TempDir dir;
    WriteText(OptionsFile(dir), kAllOn);
    ::chmod(dir.Path().c_str(), 0755);
    ::chmod((dir / "options").c_str(), 0555);
    const int result = testing::TOrdinaryUser::RunHere([&] {
        TPOptionReader reader(dir.Path());
        const auto failure = TPOptionsDialog::Accept(reader, kAllOff);
        return failure && failure->find("Unable to write to") != std::string::npos ? 0 : 1;
    });
    EXPECT_EQ(result, 0) << "the dialog reported no failure";
    EXPECT_EQ(ReadText(OptionsFile(dir)), kAllOn);
}

TEST(OptionsDialog, OptionsAreNamedBySectionAndKey) {
    TempDir dir;
    WriteText(OptionsFile(dir), kAllOn);
    TPOptionReader reader(dir.Path());

    const TOptionField& field = TPOptionsDialog::Find("writeeeprom/VERIFYEE");
    EXPECT_EQ(field.Name(), "WriteEeprom/VerifyEe");
    EXPECT_EQ(field.checkBox, "chkwvEeprom");
    field.Set(reader, false);
    EXPECT_FALSE(reader.GetWriteEeVerify());
    EXPECT_TRUE(reader.GetAutoVerifyEe());
    EXPECT_FALSE(field.Get(reader));

    auto setting = TPOptionsDialog::ParseSetting("Auto/WritePic=Off");
    EXPECT_EQ(setting.field->Name(), "Auto/WritePic");
    EXPECT_FALSE(setting.on);
    EXPECT_TRUE(TPOptionsDialog::ParseSetting("WritePic/WritePic=1").on);

    try {
        TPOptionsDialog::Find("Auto/Write");
        FAIL() << "an unknown option was found";
    } catch (const std::invalid_argument& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("Auto/Write'"), std::string::npos) << message;
        for (const char* name : {"Auto/WriteEe", "Auto/VerifyEe", "Auto/WritePic", "Auto/VerifyPic",
                                 "WritePic/WritePic", "WritePic/VerifyPic", "WriteEeprom/WriteEe",
                                 "WriteEeprom/VerifyEe", "Line/StepRetries"}) {
            EXPECT_NE(message.find(name), std::string::npos) << name;
        }
    }
    EXPECT_THROW(TPOptionsDialog::ParseSetting("Auto/WriteEe"), std::invalid_argument);
    EXPECT_THROW(TPOptionsDialog::ParseSetting("Auto/WriteEe=maybe"), std::invalid_argument);
    EXPECT_THROW(TPOptionsDialog::ParseSetting("Auto=on"), std::invalid_argument);
}

} // namespace korvex
