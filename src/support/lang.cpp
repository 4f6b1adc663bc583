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

} // namespace

void TPLang::SetLangDir(const std::filesystem::path& dir) {
    std::error_code error;
    if (!dir.empty() && std::filesystem::is_directory(dir, error)) {
        dir_ = dir;
    }
}

const std::vector<std::string>& TPLang::GetLanguages() {
    languages_.clear();
    std::error_code error;
    if (dir_.empty() || !std::filesystem::is_directory(dir_, error)) {
        return languages_;
    }
    const std::string dotted = "." + std::string(kExtension);
    for (std::filesystem::directory_iterator it(dir_, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path& path = it->path();
        std::error_code typeError;
        if (path.extension() == dotted && !it->is_directory(typeError)) {
            languages_.push_back(path.stem().string());
        }
    }
    std::sort(languages_.begin(), languages_.end());
    return languages_;
}

void TPLang::LoadLanguage(std::string_view name) {
    if (dir_.empty() || !IsPlainName(name)) {
        return;
    }
    if (auto text = ReadFile(dir_ / (std::string(name) + "." + std::string(kExtension)))) {
        LoadText(*text);
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
