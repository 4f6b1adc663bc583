#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvex {

// One checked Intel HEX record line.
struct THexRecordLine {
    int count = 0;
    std::uint32_t address = 0;
    int type = 0;
    std::string_view data; // 2 * count hexadecimal digits, as they stand in the line
};

// Checks the line's form (colon, hexadecimal digits, length against the byte
// count, checksum) and splits it. Throws EImageFileError "<name>:<line>: <what>".
THexRecordLine ParseHexRecordLine(std::string_view line, const std::string& name, int lineNumber);

// Throws EImageFileError "<name>:<line>: <what>".
[[noreturn]] void ThrowHexLineError(const std::string& name, int lineNumber,
                                    const std::string& what);

// The value of a record's data read as one big-endian number (extended address
// records carry two bytes).
std::uint32_t HexRecordValue(const THexRecordLine& record);

} // namespace korvex
