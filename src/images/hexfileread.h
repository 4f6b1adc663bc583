#pragma once

#include "images/hexfile.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// Places the data records of a HEX file into the hex text `image`: a byte at
// full address a goes to positions 2 * (a - base) and the one after,
// upper-cased. Records whose full address lies below `base` or above
// `upperLimit` (negative: no limit) are skipped, which is how one PIC file is
// split into program, configuration and data EEPROM images. `highest` is
// raised to every position written as the records are placed.
// Throws EImageFileError "<name>:<line>: <what>" for data that would not fit
// the image; the records before it stay placed.
void PlaceHexRecords(const THexFile& file, std::int64_t base, std::int64_t upperLimit,
                     std::span<char> image, std::int64_t& highest);

// Parse and place in one go, for a file's contents already in memory.
void ReadHexRecords(std::string_view content, const std::string& name, std::int64_t base,
                    std::int64_t upperLimit, std::span<char> image, std::int64_t& highest);

} // namespace korvex
