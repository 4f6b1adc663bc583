#include "sim/simcard.h"

#include "sim/simtesting.h"

#include <gtest/gtest.h>

namespace korvex::sim {
namespace {

const std::filesystem::path kData = KORVEX_SOURCE_DATA_DIR;

TSimCardModel SmallPic() {
    return simtest::SmallPicModel();
}

TEST(SimCardModel, CardTypeAndPartNamesGiveTheCatalogueValues) {
    const TSimCardModel pic = SimCardModelForCardType(kData, "PIC16F877-24C64");
    EXPECT_EQ(pic.processor, "PIC 16F877");
    EXPECT_EQ(pic.kind, 5);
    EXPECT_EQ(pic.programWords, 8192);
    EXPECT_EQ(pic.dataBytes, 256);
    EXPECT_EQ(pic.idA, "09A0");
    EXPECT_EQ(pic.eepromName, "24C64");
    EXPECT_EQ(pic.eepromBytes, 8192);
    EXPECT_EQ(pic.eepromKind, 2);

    // Names are matched without case; an AVR takes the EEPROM's AVR kind.
    const TSimCardModel avr = SimCardModelForParts(kData, "at90s8515", "24c02");
    EXPECT_TRUE(avr.IsAvr());
    EXPECT_EQ(avr.processor, "AT90S8515");
    EXPECT_EQ(avr.idA, "1E9301");
    EXPECT_EQ(avr.idB, "000102");
    EXPECT_EQ(avr.eepromBytes, 256);

    const TSimCardModel bare = SimCardModelForParts(kData, "PIC 16F84");
    EXPECT_EQ(bare.eepromBytes, 0);
    EXPECT_EQ(bare.idA, "");
}

TEST(SimCardModel, UnknownNamesAreRefused) {
    try {
        SimCardModelForParts(kData, "PIC 16F84", "24C999");
        FAIL() << "no exception";
    } catch (const ESimSetup& error) {
        EXPECT_NE(std::string(error.what()).find("'24C999'"), std::string::npos) << error.what();
    }
    EXPECT_THROW(SimCardModelForCardType(kData, "NoSuchCard"), ESimSetup);
    EXPECT_THROW(SimCardModelForCardType(kData, "../cards/PIC16F84"), ESimSetup);
    EXPECT_THROW(SimCardModelForParts(kData, "PIC 99X"), ESimSetup);
}

TEST(SimCard, NewCardsAreBlankInTheHostsLayout) {
    const TSimCard pic(SmallPic());
    EXPECT_EQ(pic.Text(TSimMemory::Program), "3FFF3FFF3FFF3FFF");
    EXPECT_EQ(pic.Text(TSimMemory::Data), "FFFF");
    EXPECT_EQ(pic.Text(TSimMemory::Config), "3FFF3FFF3FFF3FFF3FFF3FFF05603FFF");
    EXPECT_EQ(pic.Text(TSimMemory::Eeprom), "FFFFFF");
    EXPECT_TRUE(pic.ProgramBlank());
    EXPECT_EQ(pic.Read(TSimMemory::Program, 12, 10), "3FFF3FFF3F") << "blank words past the end";

    TSimCard avr(SimCardModelForParts(kData, "ATmega161"));
    EXPECT_EQ(avr.Size(TSimMemory::Program), 8192u * 4);
    EXPECT_EQ(avr.Read(TSimMemory::Program, 0, 8), "FFFFFFFF");
    EXPECT_EQ(avr.Text(TSimMemory::Config), "1E9401");
    EXPECT_EQ(avr.Read(TSimMemory::Config, 4, 4), "01FF");
}

TEST(SimCard, ProgramMemoryKeepsOldAndNewUntilErased) {
    TSimCard card(SmallPic());
    card.Write(TSimMemory::Program, 0, "12AB");
    EXPECT_FALSE(card.ProgramBlank());
    card.Write(TSimMemory::Program, 0, "3c5a");
    EXPECT_EQ(card.Read(TSimMemory::Program, 0, 4), "100A") << "1&3, 2&C, A&5, B&A";
    // Characters beyond the memory are lost, not appended.
    card.Write(TSimMemory::Program, 12, "00000000");
    EXPECT_EQ(card.Text(TSimMemory::Program), "100A3FFF3FFF0000");

    // Other memories take the new value as it comes.
    card.Write(TSimMemory::Data, 0, "12");
    card.Write(TSimMemory::Data, 0, "ef");
    EXPECT_EQ(card.Text(TSimMemory::Data), "EFFF");

    // Loading puts a new chip in: no flash rule.
    card.Load(TSimMemory::Program, "12ab");
    EXPECT_EQ(card.Text(TSimMemory::Program), "12AB3FFF3FFF3FFF");
    card.Erase();
    EXPECT_EQ(card.Text(TSimMemory::Program), "3FFF3FFF3FFF3FFF");
    EXPECT_EQ(card.Text(TSimMemory::Data), "FFFF");
    EXPECT_TRUE(card.ProgramBlank());
    card.Write(TSimMemory::Program, 0, "1234");
    EXPECT_EQ(card.Read(TSimMemory::Program, 0, 4), "1234");
}

TEST(SimCard, PicIdentificationWordIsReadOnlyAndSurvivesErase) {
    TSimCard card(SmallPic());
    card.Write(TSimMemory::Config, 20, "00000000");
    card.Write(TSimMemory::Config, 28, "2F84");
    EXPECT_EQ(card.Text(TSimMemory::Config), "3FFF3FFF3FFF3FFF3FFF000005602F84");
    EXPECT_EQ(card.Text(TSimMemory::Eeprom), "FFFFFF") << "the external EEPROM is apart";
    card.Erase();
    EXPECT_EQ(card.Text(TSimMemory::Config), "3FFF3FFF3FFF3FFF3FFF3FFF05603FFF");

    // Without an identification, word 6 is an ordinary word.
    TSimCard plain(SimCardModelForParts(kData, "PIC 16F84"));
    plain.Write(TSimMemory::Config, 24, "0000");
    EXPECT_EQ(plain.Read(TSimMemory::Config, 24, 4), "0000");
}

TEST(SimCard, LockedAvrAnswersItsSecondIdentificationUntilErased) {
    TSimCard avr(SimCardModelForParts(kData, "AT90S8515", "24C64"));
    avr.Write(TSimMemory::Config, 0, "000000");
    EXPECT_EQ(avr.Text(TSimMemory::Config), "1E9301") << "no write changes the identification";
    avr.Lock();
    EXPECT_TRUE(avr.Locked());
    EXPECT_EQ(avr.Text(TSimMemory::Config), "000102");
    avr.Erase();
    EXPECT_FALSE(avr.Locked());
    EXPECT_EQ(avr.Text(TSimMemory::Config), "1E9301");

    TSimCard pic(SmallPic());
    pic.Lock();
    EXPECT_FALSE(pic.Locked()) << "locking is an AVR matter";
}

} // namespace
} // namespace korvex::sim
