#pragma once

#include "support/datafolders.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The numbered language table: line N of <dir>/<Name>.lang is entry N, from 0;
// of several folders, the first that holds a usable file of the name counts.
// Lines end with CR LF, LF or CR; the whole line is the entry, blanks included.
// A failed load (no folder, no such file, a name reaching outside the folder)
// keeps the table that was loaded before, so the texts never go blank; before
// any file is loaded the table holds the English texts built into the program.
//
// A file that is there but cannot be a language is passed over for the next
// file of the name (the shipped one), and the problem is kept for a face to
// show: once for each file, however often it is loaded. A language has one
// line for each entry the program has (the built-in table's count): a file
// that is empty, not UTF-8 text, shorter, or longer (a carriage return inside
// a line splits it and moves every entry after it) would put wrong texts in
// every place after the fault.
class TPLang {
public:
    enum class TFault {
        lfEmpty,
        lfNotText,
        lfShort,     // `line`: its last line
        lfLong,      // `line`: the first line beyond the last entry
        lfSplitLine, // `line`: the line a carriage return inside it splits
    };
    // What is used instead of a file passed over.
    enum class TFallback { lfLaterFile, lfBuiltIn, lfKept };
    struct TProblem {
        std::filesystem::path file;
        TFault fault = TFault::lfEmpty;
        int line = 0;    // from 1, as an editor counts
        int entries = 0; // the entries the program has
        TFallback fallback = TFallback::lfKept;
        // In English, for a test or a line on stderr.
        std::string Text() const;
    };

    static constexpr std::string_view kUndefined = "Undefined";
    static constexpr std::string_view kExtension = "lang";

    // The built-in English table (support/builtinlang.h).
    TPLang();
    // A table of the lines of `builtIn` in its place.
    explicit TPLang(std::string_view builtIn);

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
    // Replaces the table with the lines of `text`, as a file would, unchecked.
    void LoadText(std::string_view text);

    // A face that words some messages its own way (the command-line tool,
    // which has no rows or menus to send the user to) names, for each such
    // entry, the entry that stands in for it.
    void SetStandIns(std::map<int, int> standIns) { standIns_ = std::move(standIns); }

    // "Undefined" for an entry the table does not have.
    std::string GetText(int entry) const;
    int EntryCount() const { return static_cast<int>(table_.size()); }
    // The entries the program has: the lines of the built-in table.
    int ProgramEntries() const { return programEntries_; }

    // The files passed over since the last call, each told once.
    std::vector<TProblem> TakeProblems();

private:
    std::optional<TProblem> Judge(const std::filesystem::path& file, std::string_view content,
                                  std::size_t lines) const;

    std::vector<std::filesystem::path> dirs_;
    std::vector<std::string> languages_;
    std::vector<std::string> table_;
    std::map<int, int> standIns_;
    int programEntries_ = 0;
    bool builtInInUse_ = true;
    std::vector<TProblem> problems_;
    std::set<std::filesystem::path> told_;
};

} // namespace korvex
