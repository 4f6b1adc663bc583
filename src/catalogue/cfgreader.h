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
    // Where an entry came from, so a message can point at its line.
    struct Source {
        int line = 0;   // in the file, from 1
        int fields = 0; // fields the line has, at most kMaxFields
    };

    std::string path_;
    int count_ = 0;
    std::array<Entry, kMaxEntries> table_{};
    std::array<Source, kMaxEntries> sources_{};
};

// Reads one catalogue file ("cards/pics.cfg", "cards/eeproms.cfg",
// "cards/configwords.cfg") whole at construction and answers from memory.
class TPCardReader : public TPCfgReader {
public:
    // Loads at once. Throws EInOutError when the file cannot be read and
    // ECfgOutOfBounds, naming the file and line, when it does not fit the table.
    explicit TPCardReader(const std::filesystem::path& file);
    // The same for `relative` ("cards/pics.cfg") as the data folders have
    // it: the user's own catalogue when there is one, else the shipped one.
    // The catalogues the program gives a meaning to are checked line by line
    // (CheckCatalogueEntries), so that a line that cannot be right is an
    // error naming the file and line before anything uses it.
    TPCardReader(const TPDataFolders& folders, const std::filesystem::path& relative);

    // The same from text already in memory; `nameForMessages` stands where the
    // file path would in messages.
    static TPCardReader FromText(std::string_view text, std::string nameForMessages);

    int GetCount() const;
    const std::string& GetPath() const { return path_; }
    // The line of the file entry 1..count came from, and how many fields it
    // has (a "," at the end of a line adds none); 0 outside the entries.
    int LineOf(int entry) const { return Source(entry).line; }
    int FieldCount(int entry) const { return Source(entry).fields; }

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
    // The number of fields the line has.
    int ParseLine(std::string_view line, int lineNumber, Entry& entry);
    TPCfgReader::Source Source(int entry) const {
        return entry >= 1 && entry <= count_ ? sources_[static_cast<std::size_t>(entry - 1)]
                                             : TPCfgReader::Source{};
    }
};

} // namespace korvex
