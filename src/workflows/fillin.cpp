#include "workflows/fillin.h"

namespace korvex {

std::string FillIn(std::string_view pattern, const std::vector<std::string>& values) {
    std::string text;
    text.reserve(pattern.size());
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        const char next = at + 1 < pattern.size() ? pattern[at + 1] : '\0';
        const auto index = static_cast<std::size_t>(next - '1');
        if (pattern[at] == '%' && next >= '1' && next <= '9' && index < values.size()) {
            text += values[index];
            ++at;
        } else {
            text += pattern[at];
        }
    }
    return text;
}

} // namespace korvex
