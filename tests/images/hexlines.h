#pragma once

#include <cstdio>
#include <string>

namespace korvex::testing {

// ":" + body + the record's checksum, computed here on its own so tests can
// write records freely without trusting the code under test.
inline std::string Record(const std::string& body) {
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
        sum += static_cast<unsigned>(std::stoul(body.substr(i, 2), nullptr, 16));
    }
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return ":" + body + checksum;
}

inline std::string Repeat(const std::string& text, std::size_t times) {
    std::string result;
    for (std::size_t i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

} // namespace korvex::testing
