#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace korvex {

// Hexadecimal text to numbers, for the image readers and the configuration
// word calculator.
class TPHexConv {
public:
    // 'A'-'F' and 'a'-'f' give 10 to 15, '0'-'9' give 0 to 9; anything else
    // throws EConvertError "'<c>' is not a valid integer value".
    static int HexDigitValue(char c);

    // The digits' value, most significant first; the empty text gives 0.
    // Only the low 64 bits of very long texts are kept.
    static std::uint64_t HexToInt(std::string_view text);

    static bool IsHexDigit(char c);
    // True when every character is a hexadecimal digit (the empty text too).
    static bool IsHexText(std::string_view text);

    // Word text is held high byte first, files hold words low byte first:
    // swaps the two bytes of every whole group of four characters.
    static void SwapWordBytes(std::span<char> text);
};

} // namespace korvex
