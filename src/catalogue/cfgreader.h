#pragma once

#include "support/datafolders.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace korvex {

// The loaded catalogue: a fixed table of 50 entries x 20 fields x 30
// characters, zero-filled, each field NUL-terminated inside its cell. The
// fixed size is the file format's own limit; the reader refuses what does not
// fit rather than growing.
class TPCfgReader {
public:
    static constexpr int kMaxEntries = 50;
    static constexpr int kMaxFields = 20;
    static constexpr int kCellSize = 30; // 29 characters and the terminator

protected:
    explicit TPCfgReader(std::string path) : path_(std::move(path)) {}

    using Cell = std::array<char, kCellSize>;
    using Entry = std::array<Cell, kMaxFields>;

    std::string path_;
    int count_ = 0;
    std::array<Entry, kMaxEntries> table_{};
};

// Reads one catalogue file ("cards/pics.cfg", "cards/eeproms.cfg",
// "cards/configwords.cfg") whole at construction and answers from memory.
class TPCardReader : public TPCfgReader {
public:
    // Loads at once. Throws EInOutError when the file cannot be read and
    // ECfgOutOfBounds when it does not fit the table.
    explicit TPCardReader(const std::filesystem::path& file);
    // The same for `relative` ("cards/pics.cfg") as the data folders have
    // it: the user's own catalogue when there is one, else the shipped one.
    TPCardReader(const TPDataFolders& folders, const std::filesystem::path& relative);

    // The same from text already in memory; `nameForMessages` stands where the
    // file path would in messages.
    static TPCardReader FromText(std::string_view text, std::string nameForMessages);

    int GetCount() const;
    const std::string& GetPath() const { return path_; }

    // Entry 1..50, field 1..20; entries past the count read empty. Throws
    // ECfgOutOfBounds outside those ranges.
    std::string GetField(int entry, int field) const;

    // Field 2 of the first entry whose field 1 equals `name` (ASCII letters
    // compared without case, no trimming), with `entry` set to its number;
    // otherwise `defaultResult` with `entry` set to 0. A field 2 that is not a
    // number throws EErrorsInCfg and leaves `entry` as it was.
    int FindName(std::string_view name, int defaultResult, int& entry) const;

private:
    TPCardReader(std::string path, std::string_view text);
    void Load(std::string_view bytes);
    void ParseLine(std::string_view line, Entry& entry);
};

} // namespace korvex
