#include "support/errors.h"

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
    for (char& c : message) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return message;
}

} // namespace korvex
