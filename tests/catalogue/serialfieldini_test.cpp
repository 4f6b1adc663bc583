#include "catalogue/carderrors.h"
#include "catalogue/cardini.h"
#include "common/tempdir.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

namespace {

const std::string kCard = "; made by hand\n[CardType]\nCardName=C\nPicName=PIC 16F84\n"
                          "[Defaults]\nPicFile=a.hex\n; keys list\n[Extra]\nMine=1\n";

struct TFieldsRig {
    TempDir dir;
    TPCardIni store;
    std::filesystem::path file = dir / "cards/C.ini";

    explicit TFieldsRig(const std::string& text = kCard) {
        WriteText(file, text);
        store.SetBaseDir(dir.Path());
    }
};

} // namespace

// Fault: rewriting the serial fields lost the file's comments, its other
// sections, or a list file's place; a field taken out stayed in the file.
TEST(SerialFieldIni, FieldsWrittenReadBackAndEverythingElseStays) {
    TFieldsRig rig;
    EXPECT_TRUE(rig.store.ReadSerialFields("C").empty());
    const TSerialField counter{.name = "Serial1",
                               .address = 0x10,
                               .format = TSerialFormat::sfBcd,
                               .first = 1000,
                               .step = 2,
                               .last = 9999,
                               .list = {}};
    const TSerialField list{.name = "Serial2",
                            .memory = TSerialMemory::smProgram,
                            .length = 16,
                            .source = TSerialSource::ssList,
                            .list = rig.dir / "cards/keys/b.txt"};
    rig.store.WriteSerialFields("C", {counter, list});
    EXPECT_EQ(rig.store.ReadSerialFields("C"), (std::vector<TSerialField>{counter, list}));
    const std::string text = ReadText(rig.file);
    for (const char* kept : {"; made by hand", "PicFile=a.hex", "; keys list", "Mine=1",
                             "List=keys/b.txt", "Address=0x0010"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " in\n" << text;
    }
    rig.store.WriteSerialFields("C", {list});
    EXPECT_EQ(rig.store.ReadSerialFields("C"), (std::vector<TSerialField>{list}));
    EXPECT_EQ(ReadText(rig.file).find("Serial1"), std::string::npos);
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
        try {
            rig.store.ReadSerialFields("C");
            ADD_FAILURE() << "taken: " << section;
        } catch (const ESerialField& error) {
            const std::string message = error.what();
            const std::string where =
                rig.file.string() +
                (problem.starts_with("shares") ? " [Serial7]: " : " [Serial1]: ");
            EXPECT_TRUE(message.starts_with(where)) << message;
            EXPECT_NE(message.find(problem), std::string::npos) << message;
        }
    }
}

} // namespace korvex
