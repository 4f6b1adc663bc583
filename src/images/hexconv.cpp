#include "images/hexconv.h"

#include "support/errors.h"

#include <algorithm>
#include <string>
#include <utility>

namespace korvex {

int TPHexConv::HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    throw EConvertError("'" + std::string(1, c) + "' is not a valid integer value");
}

std::uint64_t TPHexConv::HexToInt(std::string_view text) {
    std::uint64_t value = 0;
    for (char c : text) {
        value = (value << 4) | static_cast<std::uint64_t>(HexDigitValue(c));
    }
    return value;
}

bool TPHexConv::IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool TPHexConv::IsHexText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsHexDigit);
}

void TPHexConv::SwapWordBytes(std::span<char> text) {
    for (std::size_t pos = 0; pos + 4 <= text.size(); pos += 4) {
        std::swap(text[pos], text[pos + 2]);
        std::swap(text[pos + 1], text[pos + 3]);
    }
}

} // namespace korvex
