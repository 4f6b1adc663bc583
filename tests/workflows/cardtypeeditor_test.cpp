#include "catalogue/cardini.h"
#include "common/tempdir.h"
#include "support/errors.h"
#include "workflows/cardtype/cardtypeeditor.h"

#include <gtest/gtest.h>

namespace korvex {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

namespace {

class CardTypeEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteText(dir / "cards/pics.cfg", "PIC 16F84,3,1024,64,,Loader84,1,\n"
                                          "ATmega161,9,8192,512,1E9401,LoaderAVR,0,1E9401\n"
                                          "pic12f675,4,1024,128,0FC0,Loader628,2,0FC0\n"
                                          "at90s8515,8,4096,512,1E9301,LoaderAVR,0,000102\n");
        WriteText(dir / "cards/eeproms.cfg", "None,-1,0,-1\n24c16,1,2048,1\n24C02,1,256,1\n"
                                             "24C16,1,2048,1\n");
    }

    std::filesystem::path Card(const std::string& name) const {
        return dir / ("cards/" + name + ".ini");
    }

    void WriteCard(const std::string& name, const std::string& pic, const std::string& eeprom) {
        WriteText(Card(name), "[CardType]\nCardName=" + name + "\nCardDescription=About " + name +
                                  "\nPicName=" + pic + "\nEepromName=" + eeprom + "\n");
    }

    // The card type as a fresh scan reads it back, by name.
    std::optional<TPCardInfo> Stored(const std::string& name) const {
        TPCardIni store;
        store.SetBaseDir(dir.Path());
        store.ScanCardTypes();
        for (int i = 0; i < store.GetCardCount(); ++i) {
            if (store.GetCardInfo(i)->CardName == name) {
                return store.GetCardInfo(i);
            }
        }
        return std::nullopt;
    }

    TempDir dir;
};

} // namespace

TEST_F(CardTypeEditorTest, ListsAreSortedWithoutRegardToCase) {
    auto editor = TPCardTypeEditor::ForAdd(dir.Path());
    EXPECT_EQ(editor.ProcessorNames(),
              (std::vector<std::string>{"at90s8515", "ATmega161", "PIC 16F84", "pic12f675"}));
    // Names equal but for case keep their catalogue order.
    EXPECT_EQ(editor.EepromNames(), (std::vector<std::string>{"24C02", "24c16", "24C16", "None"}));
    EXPECT_FALSE(editor.IsEdit());
    EXPECT_EQ(editor.InitialFields(), (TCardTypeFields{"", "", "", "None"}));
}

TEST_F(CardTypeEditorTest, MissingCatalogueFailsTheDialog) {
    std::filesystem::remove(dir / "cards/eeproms.cfg");
    EXPECT_THROW(TPCardTypeEditor::ForAdd(dir.Path()), EInOutError);
    EXPECT_THROW(TPCardTypeEditor::ForEdit(dir.Path(), 0), EInOutError);
}

TEST_F(CardTypeEditorTest, AddWritesNothingWhileAnyFieldIsEmpty) {
    auto editor = TPCardTypeEditor::ForAdd(dir.Path());
    const TCardTypeFields full{"Card", "A card", "PIC 16F84", "None"};
    for (std::string TCardTypeFields::*field :
         {&TCardTypeFields::name, &TCardTypeFields::description, &TCardTypeFields::processor,
          &TCardTypeFields::eeprom}) {
        TCardTypeFields fields = full;
        fields.*field = "";
        EXPECT_FALSE(editor.Accept(fields));
        EXPECT_FALSE(std::filesystem::exists(Card("Card")));
    }
    EXPECT_FALSE(editor.Accept(editor.InitialFields()));
}

TEST_F(CardTypeEditorTest, AddCreatesTheCardTypeAsTyped) {
    auto editor = TPCardTypeEditor::ForAdd(dir.Path());
    // A processor typed by hand need not be in the catalogue.
    EXPECT_TRUE(editor.Accept({"Handmade", "Typed", "PIC 18F452", "None"}));
    EXPECT_EQ(Stored("Handmade"), (TPCardInfo{"Handmade", "Typed", "PIC 18F452", "None"}));

    WriteCard("Old", "PIC 16F84", "24C16");
    const std::string before = ReadText(Card("Old"));
    EXPECT_TRUE(editor.Accept({"Old", "Replaced", "ATmega161", "None"}));
    EXPECT_EQ(ReadText(Card("Old")), before);

    EXPECT_THROW(editor.Accept({"../escape", "x", "PIC 16F84", "None"}), EIniFileException);
    EXPECT_FALSE(std::filesystem::exists(dir / "escape.ini"));
}

TEST_F(CardTypeEditorTest, EditStartsFromTheRecordMatchedAgainstTheLists) {
    WriteCard("Alpha", "pic 16f84", "24c02");
    WriteCard("Beta", "PIC 99X99", "24C512");
    auto alpha = TPCardTypeEditor::ForEdit(dir.Path(), 0);
    EXPECT_TRUE(alpha.IsEdit());
    EXPECT_EQ(alpha.EditedRecord().CardName, "Alpha");
    EXPECT_EQ(alpha.InitialFields(),
              (TCardTypeFields{"Alpha", "About Alpha", "PIC 16F84", "24C02"}));

    // Names the lists do not hold show as empty texts, and Ok then cancels.
    auto beta = TPCardTypeEditor::ForEdit(dir.Path(), 1);
    EXPECT_EQ(beta.InitialFields(), (TCardTypeFields{"Beta", "About Beta", "", ""}));
    const std::string before = ReadText(Card("Beta"));
    EXPECT_FALSE(beta.Accept(beta.InitialFields()));
    EXPECT_EQ(ReadText(Card("Beta")), before);

    for (int index : {-1, 2}) {
        auto none = TPCardTypeEditor::ForEdit(dir.Path(), index);
        EXPECT_EQ(none.EditedRecord(), (TPCardInfo{"", "", "", ""}));
        EXPECT_EQ(none.InitialFields(), (TCardTypeFields{"", "", "", ""}));
        EXPECT_FALSE(none.Accept({"Alpha", "x", "PIC 16F84", "None"}));
    }
}

TEST_F(CardTypeEditorTest, EditNeverRenamesNorRecreates) {
    WriteCard("Alpha", "PIC 16F84", "None");
    auto editor = TPCardTypeEditor::ForEdit(dir.Path(), 0);
    EXPECT_TRUE(editor.Accept({"Renamed", "Changed", "ATmega161", "24C16"}));
    EXPECT_FALSE(std::filesystem::exists(Card("Renamed")));
    EXPECT_EQ(Stored("Alpha"), (TPCardInfo{"Alpha", "Changed", "ATmega161", "24C16"}));

    std::filesystem::remove(Card("Alpha"));
    EXPECT_TRUE(editor.Accept({"Alpha", "Again", "PIC 16F84", "None"}));
    EXPECT_FALSE(std::filesystem::exists(Card("Alpha")));
}

} // namespace korvex
