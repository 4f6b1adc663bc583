#pragma once

#include <cstddef>
#include <string>

namespace korvex::testing {

// Hex text of `count` characters that differ from blank and from each other.
inline std::string Pattern(std::size_t count, std::size_t seed = 0) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += digits[(i * 7 + seed + i / 16) % 16];
    }
    return text;
}

} // namespace korvex::testing
