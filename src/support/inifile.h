#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The integer rule of every INI value the program reads: decimal with an
// optional sign, or "0x" / "0X" followed by up to eight hex digits (taken as a
// 32-bit pattern, so 0xFFFFFFFF is -1). Anything else is not a number.
std::optional<int> ParseIniInteger(std::string_view text);

// The one INI class of the program. The whole file is held in memory and only
// written back, atomically, by UpdateFile, so a failed write never leaves half
// a file. Section and key names are matched without regard to ASCII case; a
// replaced value keeps its place, a new key goes to the end of its section and
// a new section to the end of the file; lines are written as `key=value`.
// Comment lines (";" or "#") written by hand are written back: a block before
// a section or key stays with it, and the comments after the last entry stay
// at the end of the file.
class TPIniFile {
public:
    // Reads the file when it exists; a missing file is an empty one. A file
    // that exists but cannot be read throws EInOutError with the reason.
    explicit TPIniFile(std::filesystem::path path);
    ~TPIniFile();
    TPIniFile(const TPIniFile&) = delete;
    TPIniFile& operator=(const TPIniFile&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Where UpdateFile writes from now on; the contents stay. So a user's copy
    // of a shipped file starts as the shipped file.
    void SetPath(std::filesystem::path path) { path_ = std::move(path); }

    // Replaces the contents with `text` parsed as an INI file, leaving the
    // path alone. Lets content be checked without touching the disk.
    void LoadText(std::string_view text);
    // The contents as UpdateFile would write them.
    std::string Text() const;

    // A section counts as existing only when it holds at least one key.
    bool SectionExists(std::string_view section) const;
    // The sections holding a key, in the order of the file.
    std::vector<std::string> Sections() const;
    // The keys of a section, in the order of the file.
    std::vector<std::string> Keys(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // ParseIniInteger of the value, or `def` when it is missing or no number.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;

    // Values are single lines: CR, LF and NUL are dropped, and the blanks the
    // parser would strip on the next read are stripped now, so what was
    // written is what reads back, before and after UpdateFile.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    // A missing key or section is no error.
    void DeleteKey(std::string_view section, std::string_view key);
    void DeleteSection(std::string_view section);

    // Writes the whole file. Any failure throws EIniFileException
    // "Unable to write to <path>"; the old file is then left as it was.
    void UpdateFile();

private:
    class Store;
    std::filesystem::path path_;
    std::unique_ptr<Store> store_;
    bool crlf_ = false;   // the file we read used CR LF: keep it that way
    std::string trailer_; // comment lines after the last entry
};

} // namespace korvex
