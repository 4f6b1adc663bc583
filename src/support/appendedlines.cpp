#include "support/appendedlines.h"

#include <algorithm>

namespace korvex {

namespace {

constexpr std::size_t kQuotedBytes = 60;

} // namespace

TPAppendedLines::TPAppendedLines(std::string_view content, std::size_t firstLine)
    : firstLine_(firstLine) {
    const std::size_t data = content.find_last_not_of('\0');
    const std::string_view kept = content.substr(0, data == std::string_view::npos ? 0 : data + 1);
    const std::size_t lastEnd = kept.rfind('\n');
    whole_ = kept.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
    nextLine_ =
        firstLine_ + static_cast<std::size_t>(std::count(whole_.begin(), whole_.end(), '\n'));
}

std::string TPAppendedLines::Quotable(std::string_view line) {
    std::string text;
    for (const char c : line.substr(0, kQuotedBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 0x20 || byte >= 0x7F ? '?' : c;
    }
    return line.size() > kQuotedBytes ? text + "..." : text;
}

std::string UnreadableLineWords(const TUnreadableLine& line) {
    return "line " + std::to_string(line.number) + " (\"" + line.text + "\")";
}

} // namespace korvex
