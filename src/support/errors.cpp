#include "support/errors.h"

#include <cctype>

namespace korvex {

std::string DescribeError(const std::exception& error) {
    if (const auto* io = dynamic_cast<const EInOutError*>(&error)) {
        if (!io->Path().empty()) {
            return io->Path() + ": " + io->what();
        }
    }
    return error.what();
}

std::string OneLine(std::string message) {
    // A message's lines end in CR LF: each break between two lines becomes
    // one blank, after a full stop where the line ended without a mark of
    // its own; one at either end goes.
    std::string line;
    line.reserve(message.size());
    bool broken = false;
    for (const char c : message) {
        if (c == '\r' || c == '\n') {
            broken = !line.empty();
            continue;
        }
        if (broken && line.back() != ' ') {
            const auto last = static_cast<unsigned char>(line.back());
            if (std::isalnum(last) != 0 || last == ')' || last == '"') {
                line += '.';
            }
            line += ' ';
        }
        broken = false;
        line += c;
    }
    return line;
}

} // namespace korvex
