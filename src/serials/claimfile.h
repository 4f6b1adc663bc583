#pragma once

#include "serials/serialvalue.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The log of one serial field's claims on a station: a text file that only
// ever grows, one line an event, readable as it stands:
//
//   claimed 1001 1001 2026-12-07T15:05:09Z
//   spent 1001 1001 good 2026-12-07T15:05:13Z
//
// (position, value, and for a spent value the card's outcome). Values are
// digits, so a blank always separates the words.
class TPClaimFile {
public:
    // Opens the file, making it and its folders as needed, and holds an
    // exclusive lock on it (flock) until destroyed, so two programs never
    // read and extend it at the same time. A last line cut short by a crash
    // before it was complete is removed: it was never reported done. Throws
    // EInOutError naming the file.
    explicit TPClaimFile(std::filesystem::path file);
    ~TPClaimFile();
    TPClaimFile(const TPClaimFile&) = delete;
    TPClaimFile& operator=(const TPClaimFile&) = delete;

    // The last value claimed, from the end of the file.
    std::optional<TSerialValue> LastClaim() const;

    // Appends the line and flushes it to the disk before returning.
    void Append(std::string_view line);

    static std::string ClaimLine(const TSerialValue& value);
    static std::string SpendLine(const TSerialValue& value, std::string_view outcome);

private:
    void LockAndMend();
    [[noreturn]] void Fail(const std::string& what, int error) const;
    std::uint64_t Size() const;
    std::string ReadAt(std::uint64_t offset, std::uint64_t count) const;

    std::filesystem::path file_;
    std::string field_;
    int fd_ = -1;
};

// The last value claimed in the file without taking its lock (an ongoing
// append is either seen whole or not at all): what a summary shows. Nothing
// when the file is missing or holds no claim. `field` names the value.
std::optional<TSerialValue> LastClaimIn(const std::filesystem::path& file,
                                        const std::string& field);

} // namespace korvex
