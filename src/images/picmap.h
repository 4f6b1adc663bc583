#pragma once

#include <cstdint>

namespace korvex {

// Where a 14-bit PIC's memories lie in one 8-bit merged HEX file (byte
// addresses): program memory from 0, the eight identification and
// configuration words at 0x4000, one data EEPROM byte per word from 0x4200.
// Every PIC-kind program file is split at these addresses, whatever the
// processor's program size.
constexpr std::int64_t kPicProgramLimit = 0x3FFF;
constexpr std::int64_t kPicConfigAddress = 0x4000;
constexpr std::int64_t kPicConfigLimit = 0x4010;
constexpr std::int64_t kPicEepromAddress = 0x4200;

} // namespace korvex
