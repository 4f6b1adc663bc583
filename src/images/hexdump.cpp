#include "images/hexdump.h"

#include "support/textconv.h"

namespace korvex {

std::vector<std::string> DumpLines(std::string_view text, std::size_t charsPerLine,
                                   std::uint64_t labelBase) {
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos < text.size(); pos += charsPerLine) {
        lines.push_back(" " + HexUpper(labelBase + pos / 2, 4) + " : " +
                        std::string(text.substr(pos, charsPerLine)));
    }
    return lines;
}

} // namespace korvex
