#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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

// One record line (with CR LF) of the given address, type and data bytes.
inline std::string HexRecord(std::uint16_t address, std::uint8_t type,
                             const std::vector<std::uint8_t>& data) {
    char field[5];
    std::snprintf(field, sizeof field, "%02X", static_cast<unsigned>(data.size()));
    std::string body = field;
    std::snprintf(field, sizeof field, "%04X", static_cast<unsigned>(address));
    body += field;
    std::snprintf(field, sizeof field, "%02X", static_cast<unsigned>(type));
    body += field;
    for (std::uint8_t b : data) {
        std::snprintf(field, sizeof field, "%02X", static_cast<unsigned>(b));
        body += field;
    }
    return Record(body) + "\r\n";
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

// Bytes as uppercase hex text, two digits each.
inline std::string HexOf(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const unsigned char c : bytes) {
        text += kDigits[c >> 4];
        text += kDigits[c & 0x0F];
    }
    return text;
}

} // namespace korvex::testing
