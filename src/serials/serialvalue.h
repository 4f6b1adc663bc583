#pragma once

#include <cstdint>
#include <string>

namespace korvex {

// One value handed out for one card.
struct TSerialValue {
    std::string field;          // the field's name, "Serial1"
    std::uint64_t position = 0; // a counter's number, or a list's line number from 1
    std::string text;           // as the record shows it: the number in decimal, or the line

    bool operator==(const TSerialValue&) const = default;
};

} // namespace korvex
