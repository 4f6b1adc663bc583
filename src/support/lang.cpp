#include "support/lang.h"

#include "support/builtinlang.h"
#include "support/errors.h"
#include "support/linecutter.h"
#include "support/readfile.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

namespace korvex {

namespace {

std::vector<std::string> SplitLines(std::string_view text) {
    // An editor may have saved the file with a byte order mark; it is not
    // part of entry 0.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) {
        text.remove_prefix(kBom.size());
    }
    std::vector<std::string> lines;
    TLineCutter cutter(text);
    for (std::string_view line; cutter.Next(line);) {
        lines.emplace_back(line);
    }
    return lines;
}

// Language names come from the menu and from the settings store, which the
// user can edit: a name must never lead out of the language folder.
bool IsPlainName(std::string_view name) {
    return !name.empty() && name.find_first_of(std::string_view("/\\\0", 3)) == name.npos &&
           name.find("..") == name.npos;
}

// A language file that cannot be read counts as missing: the table in use stays.
std::optional<std::string> ReadFile(const std::filesystem::path& path) {
    try {
        return ReadFileIfExists(path);
    } catch (const EKorvex&) {
        return std::nullopt;
    }
}

// Well-formed UTF-8 without control characters but tabs and line ends: what
// an editor saves, and not what a binary file or another encoding is.
bool IsUtf8Text(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if ((byte < 0x20 && byte != '\t' && byte != '\r' && byte != '\n') || byte == 0x7F) {
                return false;
            }
            ++i;
            continue;
        }
        const std::size_t follow = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
        if (byte < 0xC2 || byte > 0xF4 || i + follow >= text.size()) {
            return false;
        }
        std::uint32_t code = byte & (0x3Fu >> follow);
        for (std::size_t k = 1; k <= follow; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t least = follow == 1 ? 0x80 : follow == 2 ? 0x800 : 0x10000;
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += follow + 1;
    }
    return true;
}

// The line (from 1) of the first carriage return that ends no line in a
// file whose lines end with LF or CR LF: an editor shows it inside the line,
// and it cuts the line in two. 0 when there is none.
int LineSplitByCarriageReturn(std::string_view text) {
    if (text.find('\n') == std::string_view::npos) {
        return 0; // CR alone ends every line of this file
    }
    int line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
        } else if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] != '\n') {
            return line;
        }
    }
    return 0;
}

bool IsFolder(const std::filesystem::path& dir) {
    std::error_code error;
    return !dir.empty() && std::filesystem::is_directory(dir, error);
}

} // namespace

TPLang::TPLang() : TPLang(BuiltInEnglishText()) {}

TPLang::TPLang(std::string_view builtIn)
    : table_(SplitLines(builtIn)), programEntries_(static_cast<int>(table_.size())) {}

void TPLang::SetLangDir(const std::filesystem::path& dir) {
    if (IsFolder(dir)) {
        dirs_ = {dir};
    }
}

void TPLang::SetLangDirs(const TPDataFolders& folders) {
    std::vector<std::filesystem::path> dirs;
    for (const std::filesystem::path* base : {&folders.user, &folders.program}) {
        if (!base->empty() && IsFolder(*base / "lang")) {
            dirs.push_back(*base / "lang");
        }
    }
    if (!dirs.empty()) {
        dirs_ = std::move(dirs);
    }
}

std::filesystem::path TPLang::LangDir() const {
    return dirs_.empty() ? std::filesystem::path() : dirs_.front();
}

const std::vector<std::string>& TPLang::GetLanguages() {
    languages_.clear();
    const std::string dotted = "." + std::string(kExtension);
    for (const std::filesystem::path& dir : dirs_) {
        std::error_code error;
        for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
             it.increment(error)) {
            const std::filesystem::path& path = it->path();
            std::error_code typeError;
            if (path.extension() == dotted && !it->is_directory(typeError)) {
                languages_.push_back(path.stem().string());
            }
        }
    }
    std::sort(languages_.begin(), languages_.end());
    languages_.erase(std::unique(languages_.begin(), languages_.end()), languages_.end());
    return languages_;
}

void TPLang::LoadLanguage(std::string_view name) {
    if (!IsPlainName(name)) {
        return;
    }
    const std::string fileName = std::string(name) + "." + std::string(kExtension);
    // The files of the name, the user's first: a broken copy gives way to
    // the one after it, the shipped one.
    std::vector<TProblem> passedOver;
    const auto tell = [&](TFallback fallback) {
        for (TProblem& problem : passedOver) {
            if (told_.insert(problem.file).second) {
                problem.fallback = fallback;
                problems_.push_back(std::move(problem));
            }
        }
    };
    for (const std::filesystem::path& dir : dirs_) {
        const auto content = ReadFile(dir / fileName);
        if (!content) {
            continue;
        }
        std::vector<std::string> lines = SplitLines(*content);
        if (auto problem = Judge(dir / fileName, *content, lines.size())) {
            passedOver.push_back(std::move(*problem));
            continue;
        }
        table_ = std::move(lines);
        builtInInUse_ = false;
        tell(TFallback::lfLaterFile);
        return;
    }
    tell(builtInInUse_ ? TFallback::lfBuiltIn : TFallback::lfKept);
}

std::optional<TPLang::TProblem> TPLang::Judge(const std::filesystem::path& file,
                                              std::string_view content, std::size_t lines) const {
    TProblem problem;
    problem.file = file;
    problem.entries = programEntries_;
    const auto wanted = static_cast<std::size_t>(programEntries_);
    if (lines == 0) {
        problem.fault = TFault::lfEmpty;
    } else if (!IsUtf8Text(content)) {
        problem.fault = TFault::lfNotText;
    } else if (lines < wanted) {
        problem.fault = TFault::lfShort;
        problem.line = static_cast<int>(lines);
    } else if (lines > wanted) {
        const int split = LineSplitByCarriageReturn(content);
        problem.fault = split > 0 ? TFault::lfSplitLine : TFault::lfLong;
        problem.line = split > 0 ? split : programEntries_ + 1;
    } else {
        return std::nullopt;
    }
    return problem;
}

std::vector<TPLang::TProblem> TPLang::TakeProblems() {
    return std::exchange(problems_, {});
}

std::string TPLang::TProblem::Text() const {
    const std::string at = std::to_string(line);
    const std::string texts = std::to_string(entries) + " texts the program has, one a line";
    std::string reason;
    switch (fault) {
    case TFault::lfEmpty:
        reason = "it is empty";
        break;
    case TFault::lfNotText:
        reason = "it is not UTF-8 text";
        break;
    case TFault::lfShort:
        reason = "it ends at line " + at + ", short of the " + texts;
        break;
    case TFault::lfLong:
        reason = "line " + at + " is one more than the " + texts;
        break;
    case TFault::lfSplitLine:
        reason = "a carriage return inside line " + at +
                 " splits it in two and moves every text after it down a line";
        break;
    }
    const char* instead = fallback == TFallback::lfLaterFile
                              ? "the one shipped with the program is used instead"
                          : fallback == TFallback::lfBuiltIn
                              ? "the English texts built into the program are used instead"
                              : "the language stays as it was";
    return file.string() + " cannot be used: " + reason + "; " + instead;
}

void TPLang::LoadText(std::string_view text) {
    table_ = SplitLines(text);
    builtInInUse_ = false;
}

std::string TPLang::GetText(int entry) const {
    if (const auto standIn = standIns_.find(entry); standIn != standIns_.end()) {
        entry = standIn->second;
    }
    if (entry < 0 || entry >= EntryCount()) {
        return std::string(kUndefined);
    }
    return table_[static_cast<std::size_t>(entry)];
}

} // namespace korvex
