#pragma once

#include "serials/serialvalue.h"
#include "support/appendedlines.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// What reading a claims file found: the highest value it holds, and how far
// the reading went, so that the next one reads only what was added since.
struct TClaimsRead {
    std::uint64_t device = 0, inode = 0; // the file read, by its identity
    std::uint64_t length = 0;            // bytes read, up to a whole line's end
    std::size_t nextLine = 1;
    std::optional<TSerialValue> highest;
    std::string highestLine; // the line that holds it, for a message
};

// One line of a claims file: a value claimed, or spent (`outcome` then says
// how), and the line's UTC time.
struct TClaimLine {
    TSerialValue value;
    std::string outcome; // empty: claimed
    std::string time;
};

// Reads `content`, the claims file from `read.length` on, on top of `read`.
// Each line must be a claim or a spend as ClaimLine and SpendLine write them;
// only what a crash leaves at the end is forgiven (see TPAppendedLines).
// Gives what the file holds then, and its first unreadable line, if any;
// `each`, when given, is handed every line that can be read.
struct TClaimsReading {
    TClaimsRead read;
    std::optional<TUnreadableLine> unreadable;
};
TClaimsReading ReadClaims(std::string_view content, const std::string& field, TClaimsRead read,
                          const std::function<void(const TClaimLine&)>& each = {});

// Why no value of the field may be handed out while the claims file has an
// unreadable line, and how to go on: what the reading still found.
std::string DamagedClaimsMessage(const std::string& field, const TClaimsReading& reading);

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

    // The highest value claimed. `read` is what an earlier call found in
    // this file (or nothing); only what was added since is read, and `read`
    // then holds what the whole file does. Throws EInOutError with
    // DamagedClaimsMessage for a line that cannot be read, and leaves `read`
    // as it was.
    std::optional<TSerialValue> HighestClaim(TClaimsRead& read) const;

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

// What the file holds, read without its lock (an ongoing append is either
// seen whole or not at all), as a summary shows it: the highest value
// claimed, none when the file is missing or holds no claim, and why no value
// may be handed out (the file, then DamagedClaimsMessage), or nothing. `field` names the
// values. Throws EInOutError for a file that cannot be read.
struct TClaimsState {
    std::optional<TSerialValue> highest;
    std::string damage;
};
TClaimsState ReadClaimFile(const std::filesystem::path& file, const std::string& field);

} // namespace korvex
