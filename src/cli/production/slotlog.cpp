#include "cli/production/slotlog.h"

#include <cctype>
#include <filesystem>

namespace korvex::cli {

namespace {

// "/dev/ttyUSB0" is "dev_ttyUSB0": no folder, nothing the shell minds.
std::string PortPiece(const std::string& port) {
    std::string piece;
    for (const char c : port) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.') {
            piece += c;
        } else if (!piece.empty() && piece.back() != '_') {
            piece += '_';
        }
    }
    while (!piece.empty() && piece.back() == '_') {
        piece.pop_back();
    }
    return piece.empty() ? std::string("port") : piece;
}

} // namespace

std::string SlotLogFile(const std::string& log, const std::string& port) {
    const std::filesystem::path file(log);
    std::filesystem::path name = file.stem();
    name += "-" + PortPiece(port);
    name += file.extension();
    return (file.parent_path() / name).string();
}

} // namespace korvex::cli
