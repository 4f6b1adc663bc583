#include "serials/serialerrors.h"
#include "serials/serialimage.h"

#include <gtest/gtest.h>

namespace korvex {

namespace {

using L = TImageLayout;

std::string Blank(const std::string& unit, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += unit;
    }
    return text;
}

} // namespace

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
            EXPECT_EQ(c.placed, "") << error.what();
            EXPECT_EQ(text, c.text);
        }
    }
}

// Fault: a field was taken that runs past its memory, or that overwrites
// bytes the image sets, which would change the program without a word.
TEST(SerialImage, AFieldOutsideItsMemoryOrOverTheImagesDataIsRefused) {
    TSerialField eeprom;
    eeprom.name = "Serial1";
    eeprom.address = 0x10;
    eeprom.length = 4;
    TSerialField program = eeprom;
    program.memory = TSerialMemory::smProgram;
    program.address = 0;
    program.length = 2;
    std::string set = Blank("FF", 0x20);
    set.replace(2 * 0x11, 2, "5A");
    const struct {
        const TSerialField& field;
        std::uint64_t memory;
        std::string text;
        L layout;
        std::string problem; // empty: taken
    } cases[] = {
        {eeprom, 0x20, Blank("FF", 0x20), L::ilBytes, ""},
        {eeprom, 0x20, "00", L::ilBytes, ""},
        {program, 8, Blank("3FFF", 4), L::ilWords14, ""},
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
