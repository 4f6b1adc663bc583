#include "support/logmemo.h"

#include "support/textconv.h"

namespace korvex {

void TLogMemo::SetMaxLines(int value) {
    maxLines_ = value <= 0 ? kDefaultMaxLines : value;
}

void TLogMemo::Add(std::string line) {
    lines_.push_back(std::move(line));
    if (OnLineAdded) {
        OnLineAdded(lines_.back());
    }
    TrimLines();
}

void TLogMemo::Clear() {
    lines_.clear();
    if (OnLinesRemoved) {
        OnLinesRemoved();
    }
}

void TLogMemo::TrimLines() {
    const auto limit = static_cast<std::size_t>(maxLines_);
    if (lines_.size() <= limit) {
        return;
    }
    lines_.erase(lines_.begin(),
                 lines_.begin() + static_cast<std::ptrdiff_t>(lines_.size() - limit));
    if (OnLinesRemoved) {
        OnLinesRemoved();
    }
}

std::string TLogMemo::Text() const {
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string DisplayLogLine(std::string_view line) {
    std::string shown;
    shown.reserve(line.size());
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            shown += '<';
            shown += HexUpper(byte, 2);
            shown += '>';
        }
    }
    return shown;
}

} // namespace korvex
