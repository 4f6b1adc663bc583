#pragma once

#include "catalogue/serialfield.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// How the hex text of an image as sent holds a memory. A serial field's
// address counts bytes the way an image file does, whatever the layout.
enum class TImageLayout {
    // Two characters a byte: the external EEPROM and the internal EEPROM as
    // sent (a PIC's low bytes already taken out of their words).
    ilBytes,
    // Four characters a word, high byte first, blank FFFF: AVR program
    // memory. Byte address 2w is the low byte of word w, 2w + 1 its high byte.
    ilWords16,
    // The same with 14-bit words, blank 3FFF: PIC program memory. The bytes
    // of a value go in as they are, so a field there suits data the program
    // reads as whole words; a value that would make a word above 3FFF is
    // refused.
    ilWords14,
};

// The layout of the field's memory on a card of the processor family.
TImageLayout SerialLayout(TSerialMemory memory, bool avr);

// Refuses, with ESerialValue and before anything is sent, a field that does
// not lie within its memory of `memoryBytes` bytes (0: the card has no such
// memory) or that covers a byte the image sets: every byte of the field must
// be blank in `hexText` (FF, or the blank word's byte) or lie past its end,
// so a field never overwrites the program's own data.
void CheckSerialPlace(const TSerialField& field, std::uint64_t memoryBytes,
                      std::string_view hexText, TImageLayout layout);

// Writes `bytes` into `hexText` from byte `address` on, lengthening the text
// with blanks as needed. Throws ESerialValue, leaving the text as it was, for
// a PIC program word that would go above 3FFF.
void PlaceSerialBytes(std::string& hexText, TImageLayout layout, std::uint32_t address,
                      const std::vector<std::uint8_t>& bytes);

} // namespace korvex
