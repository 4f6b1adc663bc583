#include "support/lang.h"

#include "support/errors.h"
#include "support/linecutter.h"
#include "support/readfile.h"

#include <algorithm>
#include <optional>

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

bool IsFolder(const std::filesystem::path& dir) {
    std::error_code error;
    return !dir.empty() && std::filesystem::is_directory(dir, error);
}

} // namespace

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
    for (const std::filesystem::path& dir : dirs_) {
        if (auto text = ReadFile(dir / (std::string(name) + "." + std::string(kExtension)))) {
            LoadText(*text);
            return;
        }
    }
}

void TPLang::LoadText(std::string_view text) {
    table_ = SplitLines(text);
}

std::string TPLang::GetText(int entry) const {
    if (entry < 0 || entry >= EntryCount()) {
        return std::string(kUndefined);
    }
    return table_[static_cast<std::size_t>(entry)];
}

} // namespace korvex
