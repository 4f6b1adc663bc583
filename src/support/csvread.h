#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The records of an RFC 4180 text: fields separated by commas, quoted fields
// with doubled quotes, line ends CRLF or LF, a UTF-8 byte order mark before
// the first. Empty lines are skipped. Throws std::invalid_argument for a
// quote that is never closed.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text);

} // namespace korvex
