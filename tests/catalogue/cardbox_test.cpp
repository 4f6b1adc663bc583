#include "catalogue/cardbox.h"
#include "catalogue/carderrors.h"
#include "common/tempdir.h"
#include "support/errors.h"
#include "support/settingsstore.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::TempDir;
using testing::WriteText;

namespace {

class CardBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(dir / "cards/pics.cfg", "// name,kind,size,ee,idA,loader,set,idB\n"
                                          "PIC 16F84,3,1024,64,,Loader84,1,\n"
                                          "AT90S8515,8,4096,512,1E9301,LoaderAVR,0,000102\n");
        WriteText(dir / "cards/eeproms.cfg", "24C16,1,2048,1\n24C64,2,8192,3\n");
    }
    void AddCard(const std::string& name, const std::string& pic, const std::string& eeprom) {
        WriteText(dir / ("cards/" + name + ".ini"), "[CardType]\nCardName=" + name + "\nPicName=" +
                                                        pic + "\nEepromName=" + eeprom + "\n");
    }
    void Open() {
        box.SetBaseDir(dir.Path());
        box.RefreshCardTypes();
    }
    void Choose(int index) {
        box.SetItemIndex(index);
        box.CardChanged();
    }

    TempDir dir;
    TempDir config;
    TPSettingsStore settings{config.Path()};
    TPCardTypeBox box{&settings};
};

} // namespace

TEST_F(CardBoxTest, BeforeAnySelectionTheAccessorsAnswerNone) {
    EXPECT_EQ(box.Text(), "None");
    Open();
    EXPECT_TRUE(box.Items().empty());
    EXPECT_EQ(box.ItemIndex(), -1);
    int changes = 0;
    box.OnCardChange = [&](TPCardTypeBox&) { ++changes; };
    box.CardChanged();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(box.GetPicKind(), -1);
    EXPECT_EQ(box.GetPicSize(), -1);
    EXPECT_EQ(box.GetPicIdA(), "-1");
    EXPECT_EQ(box.GetDefaultLoaderName(), "-1");
    EXPECT_EQ(box.GetDefaultLoaderFile(), std::filesystem::path());
    EXPECT_EQ(box.GetConfigIndex(), 0);
    EXPECT_EQ(box.GetEepromKind(), -1);
    EXPECT_EQ(box.GetEepromSize(), -1);
    EXPECT_EQ(box.GetEepromAvrKind(), -1);
}

TEST_F(CardBoxTest, RemembersTheStoredCardIndexWithinTheList) {
    AddCard("A", "PIC 16F84", "None");
    AddCard("B", "AT90S8515", "24C64");
    settings.WriteInteger(TPSettingsStore::kCard, -3);
    Open();
    EXPECT_EQ(box.Items(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(box.ItemIndex(), 0);
    EXPECT_EQ(box.Text(), "A");

    settings.WriteInteger(TPSettingsStore::kCard, 1);
    box.RefreshCardTypes();
    EXPECT_EQ(box.ItemIndex(), 1);
    EXPECT_EQ(box.SelectedCard().PicName, "AT90S8515");

    settings.WriteInteger(TPSettingsStore::kCard, 2);
    box.RefreshCardTypes();
    EXPECT_EQ(box.ItemIndex(), -1);
    EXPECT_EQ(box.Text(), "");
}

TEST_F(CardBoxTest, LookupsFollowEachSelectionAndFireOnce) {
    AddCard("Avr", "AT90S8515", "24C64");
    AddCard("Lower", "pic 16f84", "24c16");
    AddCard("Unknown", "PIC 99X99", "None");
    Open();
    std::vector<std::string> seen;
    box.OnCardChange = [&](TPCardTypeBox& sender) { seen.push_back(sender.Text()); };

    Choose(0);
    EXPECT_EQ(box.GetPicKind(), 8);
    EXPECT_EQ(box.GetPicSize(), 4096);
    EXPECT_EQ(box.GetPicIntEeSize(), 512);
    EXPECT_EQ(box.GetPicIdA(), "1E9301");
    EXPECT_EQ(box.GetPicIdB(), "000102");
    EXPECT_EQ(box.GetDefaultLoaderName(), "LoaderAVR");
    EXPECT_EQ(box.GetDefaultLoaderFile(), dir / "defaults/loaderavr.hex");
    EXPECT_EQ(box.GetEepromKind(), 2);
    EXPECT_EQ(box.GetEepromSize(), 8192);
    EXPECT_EQ(box.GetEepromAvrKind(), 3);

    Choose(1); // names differ in case only
    EXPECT_EQ(box.GetPicKind(), 3);
    EXPECT_EQ(box.GetPicSize(), 1024);
    EXPECT_EQ(box.GetConfigIndex(), 1);
    EXPECT_EQ(box.GetEepromSize(), 2048);

    Choose(2); // not in the catalogues: nothing of the previous card remains
    EXPECT_EQ(box.GetPicKind(), -1);
    EXPECT_EQ(box.GetPicSize(), -1);
    EXPECT_EQ(box.GetEepromKind(), -1);
    EXPECT_EQ(box.GetEepromSize(), -1);
    EXPECT_EQ(seen, (std::vector<std::string>{"Avr", "Lower", "Unknown"}));
}

// Fault: the loader was looked for in lower case only, so a user's loader
// "MyLoader.hex" named "MyLoader" in the catalogue was never found.
TEST_F(CardBoxTest, TheDefaultLoaderIsFoundByItsExactNameThenInLowerCase) {
    WriteText(dir / "cards/pics.cfg", "PIC 16F84,3,1024,64,,MyLoader,1,\n"
                                      "PIC 16F628,4,2048,128,,Loader628,1,\n");
    AddCard("Mine", "PIC 16F84", "24C16");
    AddCard("Shipped", "PIC 16F628", "24C16");
    WriteText(dir / "defaults/MyLoader.hex", ":00000001FF\n");
    WriteText(dir / "defaults/loader628.hex", ":00000001FF\n");
    Open();
    Choose(0);
    EXPECT_EQ(box.GetDefaultLoaderFile(), dir / "defaults/MyLoader.hex");
    Choose(1);
    EXPECT_EQ(box.GetDefaultLoaderFile(), dir / "defaults/loader628.hex");

    // Where both are there, the exact name wins; where neither is, the
    // lower-case name stands for the missing file.
    WriteText(dir / "defaults/Loader628.hex", ":00000001FF\n");
    EXPECT_EQ(box.GetDefaultLoaderFile(), dir / "defaults/Loader628.hex");
    std::filesystem::remove_all(dir / "defaults");
    Choose(0);
    EXPECT_EQ(box.GetDefaultLoaderFile(), dir / "defaults/myloader.hex");
}

TEST_F(CardBoxTest, TheUsersCatalogueCardTypesAndLoadersCount) {
    AddCard("Shipped", "PIC 16F84", "24C16");
    TempDir user;
    WriteText(user / "cards/pics.cfg", "PIC 16F84,3,2048,64,,MyLoader,1,\n");
    WriteText(user / "cards/Mine.ini", "[CardType]\nCardName=Mine\nPicName=PIC 16F84\n");
    WriteText(user / "defaults/MyLoader.hex", ":00000001FF\n");
    WriteText(dir / "defaults/myloader.hex", ":00000001FF\n");
    box.SetBaseDir(TPDataFolders{dir.Path(), user.Path()});
    box.RefreshCardTypes();
    EXPECT_EQ(box.Items(), (std::vector<std::string>{"Mine", "Shipped"}));
    Choose(1);
    EXPECT_EQ(box.GetPicSize(), 2048) << "the user's catalogue";
    EXPECT_EQ(box.GetEepromSize(), 2048) << "the shipped one where the user has none";
    EXPECT_EQ(box.GetDefaultLoaderFile(), user / "defaults/MyLoader.hex");
}

TEST_F(CardBoxTest, BadCatalogueValuesAndMissingCataloguesReachTheCaller) {
    WriteText(dir / "cards/eeproms.cfg", "Broken,x,2048,1\n");
    EXPECT_THROW(Open(), EErrorsInCfg); // kind "x" is not a number

    std::filesystem::remove(dir / "cards/eeproms.cfg");
    TPCardTypeBox other;
    try {
        other.SetBaseDir(dir.Path());
        FAIL() << "no error for a missing catalogue";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "no such file");
        EXPECT_EQ(e.Path(), (dir / "cards/eeproms.cfg").string());
    }
}

TEST(CardBoxShippedData, EveryShippedCardTypeResolves) {
    TPCardTypeBox box;
    box.SetBaseDir(KORVEX_SOURCE_DATA_DIR);
    box.RefreshCardTypes();
    ASSERT_GE(box.Items().size(), 3u);
    bool pic = false, avr = false, withEeprom = false;
    for (int i = 0; i < static_cast<int>(box.Items().size()); ++i) {
        box.SetItemIndex(i);
        box.CardChanged();
        EXPECT_GE(box.GetPicKind(), 0) << box.Text();
        EXPECT_GT(box.GetPicSize(), 0) << box.Text();
        EXPECT_TRUE(std::filesystem::is_regular_file(box.GetDefaultLoaderFile())) << box.Text();
        pic = pic || box.GetPicKind() < 8;
        avr = avr || box.GetPicKind() >= 8;
        withEeprom = withEeprom || box.GetEepromKind() >= 0;
        if (box.SelectedCard().EepromName != "None") {
            EXPECT_GT(box.GetEepromSize(), 0) << box.Text();
        }
    }
    EXPECT_TRUE(pic && avr && withEeprom);
}

} // namespace korvex
