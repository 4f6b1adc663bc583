#pragma once

#include <cstddef>
#include <string_view>

namespace korvex {

// Cuts a text into lines at LF, CR LF or CR, whichever the file uses. A last
// line without its line end still counts; a final line end opens no empty line.
class TLineCutter {
public:
    explicit TLineCutter(std::string_view text) : text_(text) {}

    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) {
            return false;
        }
        std::size_t end = text_.find_first_of("\r\n", pos_);
        if (end == std::string_view::npos) {
            end = text_.size();
        }
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (end < text_.size() && text_[end] == '\r' && pos_ < text_.size() &&
            text_[pos_] == '\n') {
            ++pos_;
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace korvex
