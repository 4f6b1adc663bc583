#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// Places the data records of the Intel HEX text `content` into the hex text
// `image`: a byte at full address a goes to positions 2 * (a - base) and the
// one after, upper-cased. Records whose full address lies below `base` or
// above `upperLimit` (negative: no limit) are skipped, which is how one PIC
// file is split into program, configuration and data EEPROM images.
// `highest` is raised to every position written as the records are placed, so
// it stays true when a later line turns out to be bad.
// Throws EImageFileError "<name>:<line>: <what>" for a malformed line, data
// that would not fit the image, or a file with no data record at all; nothing
// of the bad line or after it is placed. A file without its end-of-file
// record is refused as cut short, after its records have been placed.
void ReadHexRecords(std::string_view content, const std::string& name, std::int64_t base,
                    std::int64_t upperLimit, std::span<char> image, std::int64_t& highest);

} // namespace korvex
