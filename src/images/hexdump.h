#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Hex dump lines as the view windows show them: a blank, the address in at
// least four upper-case hex digits, " : ", then up to `charsPerLine` characters
// of the text. A line's address is `labelBase` plus half the text position of
// its first character; the last line holds what remains.
std::vector<std::string> DumpLines(std::string_view text, std::size_t charsPerLine,
                                   std::uint64_t labelBase);

} // namespace korvex
