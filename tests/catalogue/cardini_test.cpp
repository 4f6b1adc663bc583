#include "catalogue/carderrors.h"
#include "catalogue/cardini.h"
#include "common/tempdir.h"
#include "support/errors.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace korvex {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

namespace {

std::vector<std::string> NonEmptyLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

class CardIniTest : public ::testing::Test {
protected:
    void SetUp() override { store.SetBaseDir(dir.Path()); }
    std::filesystem::path Card(const std::string& name) { return dir / ("cards/" + name + ".ini"); }

    TempDir dir;
    TPCardIni store;
};

} // namespace

TEST_F(CardIniTest, MissingOrEmptyFolderScansToNothing) {
    store.ScanCardTypes();
    EXPECT_EQ(store.GetCardCount(), 0);
    EXPECT_FALSE(store.GetCardInfo(0));
    std::filesystem::create_directory(dir / "cards");
    store.ScanCardTypes();
    EXPECT_EQ(store.GetCardCount(), 0);
}

TEST_F(CardIniTest, ScanReadsIdentityWithDefaultsAndSkipsOtherFiles) {
    WriteText(Card("Bare"), "[cardtype]\ncardname=Bare\n");
    WriteText(Card("Full"), "[CardType]\nCardName=Full\nCardDescription=A card\n"
                            "PicName=AT90S8515\nEepromName=24C64\n");
    WriteText(dir / "cards/pics.cfg", "not a card type");
    std::filesystem::create_directory(dir / "cards/Folder.ini");
    store.ScanCardTypes();
    ASSERT_EQ(store.GetCardCount(), 2);
    EXPECT_EQ(*store.GetCardInfo(0), (TPCardInfo{"Bare", "", "PIC 16F84", "None"}));
    EXPECT_EQ(*store.GetCardInfo(1), (TPCardInfo{"Full", "A card", "AT90S8515", "24C64"}));
    EXPECT_FALSE(store.GetCardInfo(2));
    EXPECT_FALSE(store.GetCardInfo(-1));
    EXPECT_EQ(store.SkippedFiles(),
              (std::vector<TPSkippedCardFile>{{dir / "cards/Folder.ini", "is a folder"}}));
}

// Fault: one card type file that could not be read made the scan throw, and
// every card type vanished with it; folders and files of no card type were
// listed as nameless card types.
TEST_F(CardIniTest, FilesThatAreNoCardTypeAreLeftOutWithTheReasonAndTheRestListed) {
    WriteText(Card("Alpha"), "[CardType]\nCardName=Alpha\n");
    std::filesystem::create_directory(dir / "cards/Folder.ini");
    WriteText(Card("Junk"), std::string("\x7F"
                                        "ELF\x02\x01\0\0garbage",
                                        13));
    WriteText(Card("Notes"), "; just notes\n[Other]\nKey=1\n");
    std::filesystem::create_symlink(dir / "nowhere.ini", Card("Link"));
    WriteText(Card("Zulu"), "[CardType]\nCardName=Zulu\n");

    store.ScanCardTypes();
    ASSERT_EQ(store.GetCardCount(), 2);
    EXPECT_EQ(store.GetCardInfo(0)->CardName, "Alpha");
    EXPECT_EQ(store.GetCardInfo(1)->CardName, "Zulu");
    EXPECT_EQ(store.SkippedFiles(), (std::vector<TPSkippedCardFile>{
                                        {Card("Folder"), "is a folder"},
                                        {Card("Junk"), "has no [CardType] section"},
                                        {Card("Link"), "is not a regular file"},
                                        {Card("Notes"), "has no [CardType] section"},
                                    }));

    // The list of what was left out is the last scan's.
    std::filesystem::remove_all(dir / "cards/Folder.ini");
    std::filesystem::remove(Card("Junk"));
    std::filesystem::remove(Card("Notes"));
    std::filesystem::remove(Card("Link"));
    store.ScanCardTypes();
    EXPECT_TRUE(store.SkippedFiles().empty());
    EXPECT_EQ(store.GetCardCount(), 2);
}

TEST_F(CardIniTest, DefaultsFallBackPerKeyAndForMissingSectionOrFile) {
    WriteText(Card("A"), "[CardType]\nCardName=A\n");
    WriteText(Card("B"), "[CardType]\nCardName=B\n[Defaults]\nPicFile=/x/prog.hex\n"
                         "PowerUp=abc\nOscil=0x2\nWatchDog=0\n");
    store.ScanCardTypes();
    TPCardDefaults defaults;
    store.ReadDefaults(0, defaults);
    EXPECT_EQ(defaults, TPCardDefaults{});
    store.ReadDefaults(1, defaults);
    EXPECT_EQ(defaults.PicFile, "/x/prog.hex");
    EXPECT_EQ(defaults.PowerUp, 1);
    EXPECT_EQ(defaults.Oscil, 2);
    EXPECT_EQ(defaults.WatchDog, 0);
    EXPECT_EQ(defaults.ATLock, 1);

    std::filesystem::remove(Card("B"));
    store.ReadDefaults(1, defaults);
    EXPECT_EQ(defaults, TPCardDefaults{});
    store.ReadDefaults(7, defaults);
    EXPECT_EQ(defaults, TPCardDefaults{});
}

TEST_F(CardIniTest, CreateThenWriteDefaultsGivesTheDocumentedLayout) {
    TPCardInfo gold{"Gold", "Gold card", "PIC 16F84", "24C16"};
    EXPECT_EQ(store.CreateCardType(&gold), TPCardIni::crCreated);
    EXPECT_EQ(NonEmptyLines(ReadText(Card("Gold"))),
              (std::vector<std::string>{"[CardType]", "CardName=Gold", "CardDescription=Gold card",
                                        "PicName=PIC 16F84", "EepromName=24C16"}));
    store.ScanCardTypes();
    TPCardDefaults defaults{"/p.hex", "/i.hex", "/e.bin", "Default", 0, 1, 3, 0, 1};
    store.WriteDefaults(0, defaults);
    EXPECT_EQ(NonEmptyLines(ReadText(Card("Gold"))),
              (std::vector<std::string>{"[CardType]", "CardName=Gold", "CardDescription=Gold card",
                                        "PicName=PIC 16F84", "EepromName=24C16", "[Defaults]",
                                        "PicFile=/p.hex", "ExtEeFile=/e.bin", "IntEeFile=/i.hex",
                                        "Loader=Default", "PowerUp=0", "Protected=1", "Oscil=3",
                                        "WatchDog=0", "ATLock=1"}));
    TPCardDefaults back;
    store.ReadDefaults(0, back);
    EXPECT_EQ(back, defaults);

    // A second save replaces the values where they stand.
    defaults.Oscil = 2;
    store.WriteDefaults(0, defaults);
    auto lines = NonEmptyLines(ReadText(Card("Gold")));
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[12], "Oscil=2");
}

// Fault: a note at the end of a card type file was lost when the program
// saved the card's settings.
TEST_F(CardIniTest, CommentsWrittenByHandSurviveSavingTheSettings) {
    WriteText(Card("Gold"), "; bought in 2019\n[CardType]\nCardName=Gold\n"
                            "# the loader is the red one\n");
    store.ScanCardTypes();
    store.WriteDefaults(0, TPCardDefaults{});
    const std::string text = ReadText(Card("Gold"));
    EXPECT_EQ(text.find("; bought in 2019\n"), 0u) << text;
    EXPECT_NE(text.find("ATLock=1\n\n# the loader is the red one\n"), std::string::npos) << text;
}

TEST_F(CardIniTest, CreateNeverOverwritesAndEditReplacesIdentityInPlace) {
    WriteText(Card("Gold"), "[CardType]\nCardName=Gold\nCardDescription=old\n");
    TPCardInfo gold{"Gold", "new", "PIC 16F84", "None"};
    EXPECT_EQ(store.CreateCardType(&gold), TPCardIni::crExists);
    EXPECT_EQ(ReadText(Card("Gold")), "[CardType]\nCardName=Gold\nCardDescription=old\n");
    EXPECT_EQ(store.CreateCardType(nullptr), TPCardIni::crNoRecord);

    store.UpdateCardInfo("Gold", gold);
    EXPECT_EQ(NonEmptyLines(ReadText(Card("Gold"))),
              (std::vector<std::string>{"[CardType]", "CardName=Gold", "CardDescription=new",
                                        "PicName=PIC 16F84", "EepromName=None"}));
    store.UpdateCardInfo("Nobody", gold);
    EXPECT_FALSE(std::filesystem::exists(Card("Nobody")));
}

TEST_F(CardIniTest, DeletedCardIsNeverRecreatedAndDeleteOfUnknownNameDoesNotRescan) {
    TPCardInfo a{"A", "", "PIC 16F84", "None"};
    TPCardInfo b{"B", "", "PIC 16F84", "None"};
    store.CreateCardType(&a);
    store.CreateCardType(&b);
    store.ScanCardTypes();
    ASSERT_EQ(store.GetCardCount(), 2);

    std::filesystem::remove(Card("A"));
    store.WriteDefaults(0, TPCardDefaults{});
    EXPECT_FALSE(std::filesystem::exists(Card("A")));

    EXPECT_THROW(store.DeleteCardType("Nobody"), ECardType);
    EXPECT_EQ(store.GetCardCount(), 2); // no rescan happened
    store.DeleteCardType("B");
    EXPECT_FALSE(std::filesystem::exists(Card("B")));
    EXPECT_EQ(store.GetCardCount(), 0);
}

TEST_F(CardIniTest, SettingsFollowTheCardNameNotTheFileName) {
    WriteText(Card("file-name"), "[CardType]\nCardName=Real\n");
    WriteText(Card("Real"), "[CardType]\nCardName=Real\n[Defaults]\nPicFile=real.hex\n");
    store.ScanCardTypes();
    ASSERT_EQ(store.GetCardCount(), 2);
    TPCardDefaults defaults;
    store.ReadDefaults(0, defaults); // file-name.ini sorts first
    EXPECT_EQ(defaults.PicFile, "real.hex");
    defaults.PicFile = "changed.hex";
    store.WriteDefaults(0, defaults);
    EXPECT_EQ(ReadText(Card("file-name")), "[CardType]\nCardName=Real\n");
    EXPECT_NE(ReadText(Card("Real")).find("PicFile=changed.hex"), std::string::npos);
}

TEST_F(CardIniTest, NamesThatWouldLeaveTheCardsFolderAreRefused) {
    const std::vector<std::string> names{"../evil", "a/b", "..", "x\\y", "bell\a", "new\nline"};
    for (const std::string& name : names) {
        TPCardInfo card{name, "", "PIC 16F84", "None"};
        try {
            store.CreateCardType(&card);
            FAIL() << "accepted " << name;
        } catch (const EIniFileException& e) {
            EXPECT_NE(std::string(e.what()).find("cannot be used"), std::string::npos) << e.what();
        }
        EXPECT_THROW(store.DeleteCardType(name), EIniFileException);
    }
    TPCardInfo unnamed{"", "", "PIC 16F84", "None"};
    EXPECT_THROW(store.CreateCardType(&unnamed), ECardName);
    EXPECT_FALSE(std::filesystem::exists(dir / "evil.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir / "cards/a"));

    // A hand-edited file whose CardName points elsewhere is never written through.
    WriteText(Card("trap"), "[CardType]\nCardName=../../trap\n");
    store.ScanCardTypes();
    TPCardDefaults defaults;
    store.ReadDefaults(0, defaults);
    EXPECT_EQ(defaults, TPCardDefaults{});
    EXPECT_THROW(store.WriteDefaults(0, defaults), EIniFileException);
}

// Fault: a name the INI file keeps otherwise than written (" Gold" reads
// back as "Gold") made a file the card type could never be found by.
TEST_F(CardIniTest, NamesTheFileWouldNotKeepAsWrittenAreRefusedBeforeAFileIsMade) {
    const std::vector<std::pair<std::string, std::string>> refused{
        {" Gold", "starts or ends with a blank"},
        {"Gold ", "starts or ends with a blank"},
        {"Tab\tName", "holds a control character"},
        {"Cr\rName", "holds a control character"},
        {std::string("Nul\0Name", 8), "holds a control character"},
        {std::string(252, 'n'), "longer than 251 bytes"},
    };
    for (const auto& [name, reason] : refused) {
        SCOPED_TRACE(name);
        TPCardInfo card{name, "d", "PIC 16F84", "None"};
        try {
            store.CreateCardType(&card);
            ADD_FAILURE() << "accepted";
        } catch (const ECardName& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Card type name \"", 0), 0u) << message;
            EXPECT_NE(message.find(reason), std::string::npos) << message;
            EXPECT_NE(message.find("must not start or end with a blank, nor hold /, \\, \"..\" or "
                                   "control characters (tab, line break, NUL)"),
                      std::string::npos)
                << message;
            EXPECT_EQ(message.find_first_of(std::string("\r\n\t\0", 4)), std::string::npos)
                << "one line, control characters shown as codes";
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "cards")) << "nothing was made, not even the folder";

    // The longest name a file can carry, and blanks inside a name, are fine.
    const std::string longest(251, 'n');
    for (const std::string& name : {longest, std::string("Gold card 2")}) {
        TPCardInfo card{name, "d", "PIC 16F84", "None"};
        EXPECT_EQ(store.CreateCardType(&card), TPCardIni::crCreated);
    }
    store.ScanCardTypes();
    ASSERT_EQ(store.GetCardCount(), 2);
    EXPECT_EQ(store.GetCardInfo(0)->CardName, "Gold card 2");
    EXPECT_EQ(store.GetCardInfo(1)->CardName, longest);
}

// Fault: deleting a card type that is not there returned as if it had worked.
TEST_F(CardIniTest, DeletingACardTypeThatIsNotThereSaysSo) {
    WriteText(Card("Gold"), "[CardType]\nCardName=Gold\n");
    store.ScanCardTypes();
    try {
        store.DeleteCardType("Silver");
        FAIL() << "a card type that is not there was deleted";
    } catch (const ECardType& e) {
        EXPECT_NE(std::string(e.what()).find("no card type named \"Silver\""), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(store.GetCardCount(), 1);
    EXPECT_TRUE(std::filesystem::exists(Card("Gold")));
}

// Fault: a card file without a CardName made saving its settings throw (and
// would have written "cards/.ini"), where reading them quietly gave defaults.
TEST_F(CardIniTest, ACardWithoutANameIsNeitherWrittenNorDeleted) {
    const std::string text = "[CardType]\nCardDescription=found by hand\n";
    WriteText(Card("unnamed"), text);
    store.ScanCardTypes();
    ASSERT_EQ(store.GetCardCount(), 1);
    ASSERT_EQ(store.GetCardInfo(0)->CardName, "");

    TPCardDefaults defaults;
    defaults.PicFile = "/p.hex";
    EXPECT_NO_THROW(store.WriteDefaults(0, defaults));
    EXPECT_NO_THROW(store.UpdateCardInfo("unnamed", {"", "new", "PIC 16F84", "None"}));
    EXPECT_NO_THROW(store.UpdateCardInfo("", {"Named", "new", "PIC 16F84", "None"}));
    EXPECT_NO_THROW(store.DeleteCardType(""));
    EXPECT_EQ(ReadText(Card("unnamed")), text);
    EXPECT_FALSE(std::filesystem::exists(Card("")));
    EXPECT_EQ(store.GetCardCount(), 1);
}

} // namespace korvex

namespace korvex {
namespace {

// Card types over a program folder and a user's data folder.
class CardIniFoldersTest : public ::testing::Test {
protected:
    void SetUp() override { store.SetBaseDir(TPDataFolders{program, user}); }
    std::filesystem::path Shipped(const std::string& name) const {
        return program / "cards" / (name + ".ini");
    }
    std::filesystem::path Own(const std::string& name) const {
        return user / "cards" / (name + ".ini");
    }
    // A shipped file that may not be written (for root too).
    void ReadOnly(const std::filesystem::path& file) { ::chmod(file.c_str(), 0444); }

    TempDir dir;
    const std::filesystem::path program = dir / "program";
    const std::filesystem::path user = dir / "user";
    TPCardIni store;
};

} // namespace

TEST_F(CardIniFoldersTest, TheListMergesBothFoldersTheUsersCardWinning) {
    WriteText(Shipped("Alpha"), "[CardType]\nCardName=Alpha\nCardDescription=shipped\n");
    WriteText(Shipped("Beta"), "[CardType]\nCardName=Beta\nCardDescription=shipped\n");
    WriteText(Own("Beta"), "[CardType]\nCardName=Beta\nCardDescription=own\n");
    WriteText(Own("Gamma"), "[CardType]\nCardName=Gamma\nCardDescription=own\n");
    store.ScanCardTypes();
    ASSERT_EQ(store.GetCardCount(), 3);
    EXPECT_EQ(store.GetCardInfo(0)->CardDescription, "shipped");
    EXPECT_EQ(store.GetCardInfo(1)->CardDescription, "own");
    EXPECT_EQ(store.GetCardInfo(2)->CardName, "Gamma");
    EXPECT_EQ(store.CardFilePath("Beta"), Own("Beta"));
    EXPECT_EQ(store.CardFilePath("Alpha"), Shipped("Alpha"));
}

TEST_F(CardIniFoldersTest, SettingsOfAShippedCardTypeThatCannotBeWrittenGoToTheUsersCopy) {
    const std::string shipped = "; shipped\n[CardType]\nCardName=Alpha\nPicName=PIC 16F628\n";
    WriteText(Shipped("Alpha"), shipped);
    ReadOnly(Shipped("Alpha"));
    store.ScanCardTypes();
    TPCardDefaults defaults;
    defaults.WatchDog = 0;
    store.WriteDefaults(0, defaults);
    EXPECT_EQ(ReadText(Shipped("Alpha")), shipped);
    // The copy starts as the shipped file, so the card type stays whole.
    const std::string own = ReadText(Own("Alpha"));
    EXPECT_EQ(own.find("; shipped\n"), 0u) << own;
    EXPECT_NE(own.find("PicName=PIC 16F628\n"), std::string::npos) << own;
    EXPECT_NE(own.find("WatchDog=0\n"), std::string::npos) << own;
    TPCardDefaults back;
    store.ReadDefaults(0, back);
    EXPECT_EQ(back.WatchDog, 0);

    store.UpdateCardInfo("Alpha", {"Alpha", "edited", "PIC 16F84", "24C16"});
    EXPECT_EQ(ReadText(Shipped("Alpha")), shipped);
    store.ScanCardTypes();
    EXPECT_EQ(*store.GetCardInfo(0), (TPCardInfo{"Alpha", "edited", "PIC 16F84", "24C16"}));
    store.ReadDefaults(0, back);
    EXPECT_EQ(back.WatchDog, 0) << "the edit kept the settings";
}

TEST_F(CardIniFoldersTest, ANewCardTypeGoesWhereItCanBeWritten) {
    // A program folder that can be written takes it, as a build tree does.
    WriteText(program / "cards" / "pics.cfg", "");
    TPCardInfo first{"First", "d", "PIC 16F84", "None"};
    EXPECT_EQ(store.CreateCardType(&first), TPCardIni::crCreated);
    EXPECT_TRUE(std::filesystem::exists(Shipped("First")));
    EXPECT_FALSE(std::filesystem::exists(user));

    // One whose cards folder cannot be made does not.
    std::filesystem::remove_all(program);
    WriteText(program, "a file where the program folder would be");
    TPCardInfo second{"Second", "d", "PIC 16F84", "None"};
    EXPECT_EQ(store.CreateCardType(&second), TPCardIni::crCreated);
    EXPECT_TRUE(std::filesystem::exists(Own("Second")));
    EXPECT_EQ(store.CreateCardType(&second), TPCardIni::crExists);
}

TEST_F(CardIniFoldersTest, DeletingACardTypeRemovesEveryCopyOfIt) {
    WriteText(Shipped("Alpha"), "[CardType]\nCardName=Alpha\n");
    WriteText(Own("Alpha"), "[CardType]\nCardName=Alpha\n");
    WriteText(Own("Mine"), "[CardType]\nCardName=Mine\n");
    store.ScanCardTypes();
    store.DeleteCardType("Mine");
    EXPECT_FALSE(std::filesystem::exists(Own("Mine")));
    // The user's copy alone gone would bring the shipped card type back.
    store.DeleteCardType("Alpha");
    EXPECT_FALSE(std::filesystem::exists(Own("Alpha")));
    EXPECT_FALSE(std::filesystem::exists(Shipped("Alpha")));
    EXPECT_EQ(store.GetCardCount(), 0);
    try {
        store.DeleteCardType("Alpha");
        FAIL() << "deleted twice";
    } catch (const ECardType& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(program.string()), std::string::npos) << message;
        EXPECT_NE(message.find(user.string()), std::string::npos) << message;
    }
}

} // namespace korvex
