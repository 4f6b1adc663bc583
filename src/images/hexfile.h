#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// One data record of an Intel HEX file: its full address (extended address
// records applied) and its data as the hexadecimal digits of the line.
struct THexDataRecord {
    std::int64_t address = 0;
    std::string_view digits; // two per byte, in the file's own letter case
    int line = 0;
};

// An Intel HEX file read and checked once: every line's form, checksum and
// record type, and that it has data. The images of a file (program,
// configuration, data EEPROM of one PIC file) are all placed from the same
// parse, so a file is read from disk and walked once however many images it
// feeds.
class THexFile {
public:
    // Throws EImageFileError "<name>:<line>: <what>" for a malformed line or
    // an unsupported record type, "<name>: no data records" for a file
    // without data, and one that says the file may be cut short for a file
    // without its end-of-file record.
    static THexFile Parse(std::string content, std::string name);
    // Throws EInOutError when the file cannot be read, else as Parse.
    static THexFile Read(const std::filesystem::path& file);

    THexFile(const THexFile&) = delete;
    THexFile& operator=(const THexFile&) = delete;
    THexFile(THexFile&&) noexcept = default;
    THexFile& operator=(THexFile&&) noexcept = default;

    const std::string& Name() const { return name_; }
    const std::vector<THexDataRecord>& Records() const { return records_; }

    // The highest byte address the data give in [from, below); -1 when none.
    std::int64_t HighestAddressIn(std::int64_t from, std::int64_t below) const;
    // Whether any data byte lies in [from, below).
    bool HasDataIn(std::int64_t from, std::int64_t below) const {
        return HighestAddressIn(from, below) >= 0;
    }

private:
    THexFile(std::string content, std::string name);

    // The records' digits point into it: held apart, so moving the file
    // never moves the text under them.
    std::unique_ptr<const std::string> content_;
    std::string name_;
    std::vector<THexDataRecord> records_;
};

} // namespace korvex
