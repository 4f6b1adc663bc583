#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace korvex {

// One value a claim file holds.
struct TClaimEntry {
    std::string text;    // the value
    std::string outcome; // how it was spent; empty while it never was
    std::string time;    // of its last line, UTC
};

// What a station's claim file (see TPClaimFile) says of the values in it:
// each value claimed there, by its position, and the highest position
// claimed.
struct TClaimHistory {
    std::map<std::uint64_t, TClaimEntry> values;
    std::optional<std::uint64_t> highest;
};

// Reads the whole file, named by its field (see TPLocalSerialClaims); nothing
// for a file that does not exist. Only what a crash leaves is forgiven (see
// TPAppendedLines); any other line it cannot read throws EInOutError naming
// the file with DamagedClaimsMessage.
TClaimHistory ReadClaimHistory(const std::filesystem::path& file);

} // namespace korvex
