#pragma once

#include <cstdint>

namespace korvex {

// Line speeds the port can be set to. The ordinals are stored, so they stay as
// they are; there is deliberately no 38400 or 57600.
enum class TBaudRate : std::uint8_t {
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br19200,
    br115200,
};

// Bits per second of a rate. An ordinal outside the table means 9600.
int BaudOf(TBaudRate rate);
int BaudOfOrdinal(int ordinal);

} // namespace korvex
