#include "catalogue/cfglines.h"

namespace korvex {

std::vector<std::string> SplitCatalogueLines(std::string_view bytes) {
    // Editors that save UTF-8 may put a byte order mark first; it belongs to
    // no line, and left in place it would spoil the first entry's name or
    // hide a comment's "//".
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kByteOrderMark)) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    constexpr char kEndOfFile = 26;
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;
    for (char c : bytes) {
        if (c == kEndOfFile) {
            break;
        }
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            pending = false;
        } else if (c != '\r') {
            line.push_back(c);
            pending = true;
        }
    }
    if (pending) {
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace korvex
