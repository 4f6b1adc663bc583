#pragma once

#include "support/datafolders.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The numbered language table: line N of <dir>/<Name>.lang is entry N, from 0;
// of several folders, the first that holds a readable file of the name counts.
// Lines end with CR LF, LF or CR; the whole line is the entry, blanks included.
// A failed load (no folder, no such file, a name reaching outside the folder)
// keeps the table that was loaded before, so the texts never go blank.
//
// A file that is there but cannot be a language (empty, not UTF-8 text, or
// fewer lines than the file of the same name in a later folder, the shipped
// one) is passed over for that later file, and the problem is kept for a face
// to show: once for each file, however often it is loaded.
class TPLang {
public:
    struct TProblem {
        std::filesystem::path file;
        std::string reason;       // "empty", "not UTF-8 text", "12 lines of 184"
        bool shippedUsed = false; // else the table loaded before stays
        // In English, for a line on stderr.
        std::string Text() const;
    };

    static constexpr std::string_view kUndefined = "Undefined";
    static constexpr std::string_view kExtension = "lang";

    TPLang() = default;

    // Taken only when the folder exists; otherwise the previous folders stay.
    void SetLangDir(const std::filesystem::path& dir);
    // lang/ of the user's data folder and of the program folder, the user's
    // first, as far as they exist; when neither does, the previous folders stay.
    void SetLangDirs(const TPDataFolders& folders);
    // The first folder a language is looked for in; empty before any is set.
    std::filesystem::path LangDir() const;

    // Names of the files *.lang of the folders without the extension, each
    // once, sorted, because the order of a directory listing means nothing.
    // Rebuilt at each call.
    const std::vector<std::string>& GetLanguages();

    void LoadLanguage(std::string_view name);
    // Replaces the table with the lines of `text`, as a file would.
    void LoadText(std::string_view text);

    // "Undefined" for an entry the table does not have.
    std::string GetText(int entry) const;
    int EntryCount() const { return static_cast<int>(table_.size()); }

    // The first file passed over since the last call, if any.
    std::optional<TProblem> TakeProblem();

private:
    std::vector<std::filesystem::path> dirs_;
    std::vector<std::string> languages_;
    std::vector<std::string> table_;
    std::optional<TProblem> problem_;
    std::set<std::filesystem::path> told_;
};

} // namespace korvex
