#include "serials/fields.h"
#include "serials/serialencode.h"
#include "serials/serialerrors.h"
#include "serials/serialimage.h"
#include "support/textconv.h"

#include <gtest/gtest.h>

#include <variant>

namespace korvex {

using F = TSerialFormat;
using L = TImageLayout;

// Fault: a value was written in the wrong byte order or digits, or one that
// does not fit its field was cut short instead of refused.
TEST(SerialEncode, CounterNumbersAndListLinesInEveryFormatOrRefused) {
    const struct {
        F format;
        std::uint32_t length;
        std::variant<std::uint64_t, std::string> value;
        std::string bytes; // or the start of the message
    } cases[] = {
        {F::sfBinaryBigEndian, 4, 0x12345u, "00012345"},
        {F::sfBinaryLittleEndian, 4, 0x12345u, "45230100"},
        {F::sfBinaryBigEndian, 10, 0xFFFFFFFFFFFFFFFFu, "0000FFFFFFFFFFFFFFFF"},
        {F::sfBcd, 3, 12345u, "012345"},
        {F::sfAsciiDecimal, 6, 1234u, "303031323334"},
        {F::sfAsciiHex, 4, 0xABu, "30304142"},
        {F::sfBinaryBigEndian, 2, 0x10000u,
         "Serial field Serial1: 65536 does not fit 2 byte(s) "
         "of binary-be (at most 65535)"},
        {F::sfBcd, 1, 100u, "Serial field Serial1: 100 does not fit"},
        {F::sfAsciiDecimal, 3, 1000u, "Serial field Serial1: 1000 does not fit"},
        {F::sfAsciiHex, 2, 0x100u, "Serial field Serial1: 256 does not fit"},
        {F::sfBinaryBigEndian, 3, "0a0B0c", "0A0B0C"},
        {F::sfBinaryLittleEndian, 3, "0A0B0C", "0C0B0A"},
        {F::sfBcd, 3, "4711", "004711"},
        {F::sfAsciiDecimal, 4, "42", "30303432"},
        {F::sfAsciiHex, 3, "aF", "306146"},
        {F::sfBinaryBigEndian, 3, "0A0B",
         "Serial field Serial1: \"0A0B\" has 4 digits, 3 byte(s) "
         "of binary-be needs exactly 6"},
        {F::sfBcd, 1, "123", "Serial field Serial1: \"123\" has 3 digits, more than"},
        {F::sfBcd, 2, "12A", "Serial field Serial1: \"12A\" is not decimal digits"},
        {F::sfAsciiHex, 2, "G1", "Serial field Serial1: \"G1\" is not hexadecimal"},
        {F::sfAsciiDecimal, 2, "", "Serial field Serial1: \"\" is not decimal"},
    };
    for (const auto& c : cases) {
        const TSerialField field = testing::Field(c.format, c.length);
        try {
            const auto bytes = std::holds_alternative<std::string>(c.value)
                                   ? EncodeSerialText(field, std::get<std::string>(c.value))
                                   : EncodeSerialNumber(field, std::get<std::uint64_t>(c.value));
            std::string hex;
            for (std::uint8_t byte : bytes) {
                hex += HexUpper(byte, 2);
            }
            EXPECT_EQ(hex, c.bytes);
        } catch (const ESerialValue& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with(c.bytes)) << error.what();
        }
    }
}

// Fault: a byte landed in the wrong half of a program word, the text was not
// lengthened to the field, or a PIC word above 3FFF went to the card.
TEST(SerialImage, BytesGoToTheirByteAddressInEveryLayout) {
    const struct {
        L layout;
        std::string text;
        std::uint32_t address;
        std::vector<std::uint8_t> bytes;
        std::string placed; // empty: refused, the text kept
    } cases[] = {
        {L::ilBytes, "0102", 3, {0xAA, 0xBB}, "0102FFAABB"},
        {L::ilWords16, "FFFF", 2, {0x34, 0x12}, "FFFF1234"},
        {L::ilWords14, "3FFF3FFF", 1, {0x12}, "12FF3FFF"},
        {L::ilWords14, "", 4, {0xAB}, "3FFF3FFF3FAB"},
        {L::ilWords14, "3FFF", 0, {0x00, 0x40}, ""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        try {
            PlaceSerialBytes(text, c.layout, c.address, c.bytes);
            EXPECT_EQ(text, c.placed) << c.text << " @" << c.address;
        } catch (const ESerialValue& error) {
            EXPECT_EQ(c.placed + text, c.text) << error.what();
        }
    }
}

// Fault: a field was taken that runs past its memory, or that overwrites
// bytes the image sets, which would change the program without a word.
TEST(SerialImage, AFieldOutsideItsMemoryOrOverTheImagesDataIsRefused) {
    const TSerialField eeprom = testing::Field(); // bytes 0x10 to 0x13
    TSerialField program = eeprom;
    program.memory = TSerialMemory::smProgram;
    program.address = 0;
    const std::string blank(0x40, 'F');
    const std::string set = std::string(2 * 0x11, 'F') + "5A" + std::string(0x1C, 'F');
    const struct {
        const TSerialField& field;
        std::uint64_t memory;
        std::string text;
        L layout;
        std::string problem; // empty: taken
    } cases[] = {
        {eeprom, 0x20, blank, L::ilBytes, ""},
        {eeprom, 0x20, "00", L::ilBytes, ""},
        {program, 8, "3FFF3FFF", L::ilWords14, ""},
        {eeprom, 0x13, "", L::ilBytes, "lies outside the 19 bytes of the memory"},
        {eeprom, 0, "", L::ilBytes, "the card type has no external EEPROM"},
        {eeprom, 0x20, set, L::ilBytes, "covers byte 0x0011, which the image sets (5A)"},
        {program, 8, "3FFE", L::ilWords14, "covers byte 0x0000, which the image sets (FE)"},
    };
    for (const auto& c : cases) {
        try {
            CheckSerialPlace(c.field, c.memory, c.text, c.layout);
            EXPECT_EQ(c.problem, "");
        } catch (const ESerialValue& error) {
            EXPECT_NE(c.problem, "") << error.what();
            EXPECT_NE(std::string(error.what()).find(c.problem), std::string::npos) << error.what();
        }
    }
}

} // namespace korvex
