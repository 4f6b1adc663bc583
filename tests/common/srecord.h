#pragma once

// Reads Intel HEX files through srec_cat, a reader that owes nothing to the
// program's own, so a fixture or a written file is judged independently.

#include "common/runprogram.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace korvex::testing {

// srec_cat as found on PATH; empty when there is none.
inline std::string SrecCatPath() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const auto candidate = std::filesystem::path(folder.empty() ? "." : folder) / "srec_cat";
        if (std::filesystem::is_regular_file(candidate) && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return {};
}

// The bytes of one file by address; a hole is an address with no entry.
struct TSrecImage {
    bool ok = false;
    std::string complaints; // srec_cat's standard error, or why it did not run
    std::map<std::uint32_t, std::uint8_t> bytes;

    // `count` bytes from `first` as uppercase hex, "--" for each hole.
    std::string HexText(std::uint32_t first, std::uint32_t count) const {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string text;
        for (std::uint32_t address = first; address - first < count; ++address) {
            const auto found = bytes.find(address);
            if (found == bytes.end()) {
                text += "--";
            } else {
                text += kDigits[found->second >> 4];
                text += kDigits[found->second & 0x0F];
            }
        }
        return text;
    }
    std::uint32_t Lowest() const { return bytes.empty() ? 0 : bytes.begin()->first; }
    std::uint32_t Highest() const { return bytes.empty() ? 0 : bytes.rbegin()->first; }
};

// Takes apart srec_cat's hex dump: "AAAAAAAA: " then sixteen three-character
// cells, two hex digits or blanks for a hole, then the text column.
inline bool ParseSrecHexDump(const std::string& dump, TSrecImage& image) {
    std::stringstream lines(dump);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty()) {
            continue;
        }
        const auto colon = line.find(':');
        if (colon == std::string::npos || colon == 0 || line.size() < colon + 2 + 3 * 16) {
            return false;
        }
        const std::uint32_t base =
            static_cast<std::uint32_t>(std::stoul(line.substr(0, colon), nullptr, 16));
        for (std::uint32_t cell = 0; cell < 16; ++cell) {
            const std::string digits = line.substr(colon + 2 + 3 * cell, 2);
            if (digits != "  ") {
                image.bytes[base + cell] =
                    static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16));
            }
        }
    }
    return true;
}

// The file's data, all of it or only [first, end) when end > first.
inline TSrecImage SrecReadHex(const std::filesystem::path& file, std::uint32_t first = 0,
                              std::uint32_t end = 0) {
    TSrecImage image;
    const std::string srecCat = SrecCatPath();
    if (srecCat.empty()) {
        image.complaints = "srec_cat is not on PATH; install srecord";
        return image;
    }
    std::vector<std::string> args{file.string(), "-intel"};
    if (end > first) {
        args.insert(args.end(), {"-crop", std::to_string(first), std::to_string(end)});
    }
    args.insert(args.end(), {"-o", "-", "-hex-dump"});
    const ProgramResult result = RunProgram(srecCat, args);
    image.complaints = result.err;
    if (result.exitCode != 0) {
        return image;
    }
    image.ok = ParseSrecHexDump(result.out, image);
    if (!image.ok) {
        image.complaints += "unexpected hex dump from srec_cat:\n" + result.out;
    }
    return image;
}

// Empty when both files hold the same bytes at the same addresses within
// [first, end); otherwise what differs, at most the first few places.
inline std::string SrecCompareHex(const std::filesystem::path& a, const std::filesystem::path& b,
                                  std::uint32_t first, std::uint32_t end) {
    const TSrecImage left = SrecReadHex(a, first, end);
    const TSrecImage right = SrecReadHex(b, first, end);
    if (!left.ok || !right.ok) {
        return "cannot read: " + left.complaints + right.complaints;
    }
    std::string report;
    int shown = 0;
    for (std::uint32_t address = first; address < end && shown < 8; ++address) {
        const std::string l = left.HexText(address, 1);
        const std::string r = right.HexText(address, 1);
        if (l != r) {
            std::ostringstream line;
            line << std::hex << std::uppercase << "0x" << address << ": " << l << " vs " << r
                 << "\n";
            report += line.str();
            ++shown;
        }
    }
    return report;
}

} // namespace korvex::testing
