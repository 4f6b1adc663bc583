#include "support/crashlines.h"

namespace korvex {

std::vector<std::string> CompleteLines(std::string_view text) {
    const std::size_t written = text.find_last_not_of('\0');
    text = text.substr(0, written == std::string_view::npos ? 0 : written + 1);
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string_view::npos;
         start = end + 1) {
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
    }
    return lines;
}

} // namespace korvex
