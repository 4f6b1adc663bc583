#pragma once

#include "catalogue/serialfield.h"

namespace korvex::testing {

// Serial1: four bytes of external EEPROM at 0x10, binary, counting from 1.
inline TSerialField Field(TSerialFormat format = TSerialFormat::sfBinaryBigEndian,
                          std::uint32_t length = 4) {
    TSerialField field;
    field.name = "Serial1";
    field.address = 0x10;
    field.format = format;
    field.length = length;
    return field;
}

inline TSerialField Counter(std::uint64_t first, std::uint64_t step, std::uint64_t last) {
    TSerialField field = Field();
    field.first = first;
    field.step = step;
    field.last = last;
    return field;
}

} // namespace korvex::testing
