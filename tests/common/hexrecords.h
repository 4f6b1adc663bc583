#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace korvex::testing {

// One Intel HEX record line (with CR LF), built here independently of the
// program's own writer so tests can feed the readers hand-made files.
inline std::string HexRecord(std::uint16_t address, std::uint8_t type,
                             const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(data.size()),
                                    static_cast<std::uint8_t>(address >> 8),
                                    static_cast<std::uint8_t>(address & 0xFF), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string line = ":";
    char digits[3];
    for (std::uint8_t b : bytes) {
        sum += b;
        std::snprintf(digits, sizeof digits, "%02X", b);
        line += digits;
    }
    std::snprintf(digits, sizeof digits, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + digits + "\r\n";
}

inline std::string HexEnd() {
    return ":00000001FF\r\n";
}

// Data records of `bytes` from `address` on, 16 bytes a record.
inline std::string HexData(std::uint16_t address, const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 16) {
        std::vector<std::uint8_t> chunk(
            bytes.begin() + static_cast<std::ptrdiff_t>(i),
            bytes.begin() + static_cast<std::ptrdiff_t>(std::min(i + 16, bytes.size())));
        text += HexRecord(static_cast<std::uint16_t>(address + i), 0, chunk);
    }
    return text;
}

} // namespace korvex::testing
