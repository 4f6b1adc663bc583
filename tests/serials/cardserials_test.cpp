#include "common/tempdir.h"
#include "serials/cardserials.h"
#include "serials/claims/localclaims.h"
#include "serials/fields.h"
#include "serials/serialerrors.h"

#include <gtest/gtest.h>

namespace korvex {

using namespace korvex::testing;

// Fault: a card's values went into the wrong image or place, into the record
// under another field, or a field that could not be claimed left the values
// claimed before it handed out but never spent.
TEST(CardSerials, EachCardGetsItsValuesInItsImagesAndItsRecordLine) {
    TempDir dir;
    TSerialField number = Counter(4711, 1, 4712);
    number.format = TSerialFormat::sfBcd;
    number.address = 1;
    number.length = 2;
    TSerialField key = Field(TSerialFormat::sfBinaryBigEndian, 2);
    key.name = "Serial2";
    key.memory = TSerialMemory::smProgram;
    key.address = 2;
    key.source = TSerialSource::ssList;
    key.list = dir / "keys.txt";
    WriteText(key.list, "1A2B\n");
    TPLocalSerialClaims claims(dir / "serials");
    TPCardSerials serials("C", {number, key}, claims);
    TCardImages images{"00FFFFFF", "", "3FFF3FFF"};
    serials.CheckPlaces(images, {4, 0, 4, false});
    serials.Claim();
    serials.Place(images, false);
    EXPECT_EQ(images.eeprom, "004711FF");
    EXPECT_EQ(images.program, "3FFF2B1A");
    EXPECT_EQ(serials.Columns(),
              (TRecordLine{{"serial Serial1", "4711"}, {"serial Serial2", "1A2B"}}));
    serials.Spend("good");
    EXPECT_THROW(serials.Claim(), ESerialsUsedUp);
    EXPECT_NE(ReadText(claims.ClaimFile("C", "Serial1")).find("\nspent 4712 4712 unused "),
              std::string::npos);
}

} // namespace korvex
