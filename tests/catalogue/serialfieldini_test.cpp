#include "catalogue/carderrors.h"
#include "catalogue/cardini.h"
#include "common/tempdir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace korvex {

using ::testing::AllOf;
using ::testing::HasSubstr;
using testing::ReadText;
using ::testing::StartsWith;
using testing::TempDir;
using ::testing::ThrowsMessage;
using testing::WriteText;

namespace {

// As the program writes a card type file.
const std::string kCard = "; made by hand\n\n[CardType]\nCardName=C\nPicName=PIC 16F84\n\n"
                          "[Defaults]\nPicFile=a.hex\n\n; keys list\n[Extra]\nMine=1\n";
const std::string kCounter = "\n[Serial1]\nMemory=eeprom\nAddress=0x0010\nLength=4\nFormat=bcd\n"
                             "First=1000\nStep=2\nLast=9999\n";
const std::string kList = "\n[Serial2]\nMemory=program\nAddress=0x0000\nLength=16\n"
                          "Format=binary-be\nList=keys/b.txt\n";

struct TFieldsRig {
    TempDir dir;
    TPCardIni store;
    std::filesystem::path file = dir / "cards/C.ini";

    explicit TFieldsRig(const std::string& text) {
        WriteText(file, text);
        store.SetBaseDir(dir.Path());
    }
};

} // namespace

// Fault: rewriting the serial fields lost the file's comments, its other
// sections, or a list file's place; a field taken out stayed in the file.
TEST(SerialFieldIni, FieldsWrittenBackChangeNothingElse) {
    TFieldsRig rig(kCard + kCounter + kList);
    const std::vector<TSerialField> fields = rig.store.ReadSerialFields("C");
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[1].list, rig.dir / "cards/keys/b.txt");
    rig.store.WriteSerialFields("C", fields);
    EXPECT_EQ(ReadText(rig.file), kCard + kCounter + kList);
    rig.store.WriteSerialFields("C", {fields[1]});
    EXPECT_EQ(ReadText(rig.file), kCard + kList);
}

// Fault: a field that cannot be used was taken, or the message did not say
// which file and field, so the user could not find it.
TEST(SerialFieldIni, EveryUnusableFieldIsRefusedNamingFileAndField) {
    const std::string good = "Memory=eeprom\nAddress=0x10\nLength=4\nFormat=bcd\n";
    const std::pair<std::string, std::string> cases[] = {
        {"Memory=eeprom\nAddress=0\nLength=0\nFormat=bcd\n", "Length 0"},
        {good + "Step=0\n", "Step 0"},
        {good + "First=10\nLast=9\n", "First 10 lies above Last 9"},
        {good + "Last=100000000\n", "Last 100000000 does not fit 4 byte(s) of bcd"},
        {"Memory=flash\nAddress=0\nLength=1\nFormat=bcd\n", "Memory \"flash\" is none of"},
        {"Memory=eeprom\nAddress=0\nLength=1\nFormat=octal\n", "Format \"octal\" is none of"},
        {"Memory=eeprom\nLength=1\nFormat=bcd\n", "Address is missing"},
        {"Memory=eeprom\nAddress=0x\nLength=1\nFormat=bcd\n", "Address \"0x\" is no number"},
        {"Memory=eeprom\nAddress=0xFFFFFFFF\nLength=2\nFormat=bcd\n", "32-bit address range"},
        {good + "Lenght=2\n", "unknown key Lenght"},
        {good + "List=k.txt\nFirst=1\n", "List and a counter"},
        {good + "[Serial7]\nMemory=eeprom\nAddress=0x13\nLength=1\nFormat=bcd\n",
         "shares bytes of eeprom with [Serial1]"},
    };
    for (const auto& [section, problem] : cases) {
        TFieldsRig rig(kCard + "[Serial1]\n" + section);
        const std::string where = problem.starts_with("shares") ? " [Serial7]: " : " [Serial1]: ";
        EXPECT_THAT([&] { rig.store.ReadSerialFields("C"); },
                    ThrowsMessage<ESerialField>(
                        AllOf(StartsWith(rig.file.string() + where), HasSubstr(problem))));
    }
}

} // namespace korvex
