#include "images/hexconv.h"

#include "support/errors.h"

#include <string>

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

bool TPHexConv::IsHexText(std::string_view text) {
    for (char c : text) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
        if (!digit) {
            return false;
        }
    }
    return true;
}

} // namespace korvex
