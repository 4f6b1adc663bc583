#include "support/lang.h"

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
    const std::string fileName = std::string(name) + "." + std::string(kExtension);
    // The files of the name, the user's first; each is measured against the
    // one after it, which is what a short or broken copy would replace.
    std::vector<std::pair<std::filesystem::path, std::vector<std::string>>> found;
    std::vector<bool> text;
    for (const std::filesystem::path& dir : dirs_) {
        if (auto content = ReadFile(dir / fileName)) {
            found.emplace_back(dir / fileName, SplitLines(*content));
            text.push_back(IsUtf8Text(*content));
        }
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        const auto& [file, lines] = found[i];
        const std::size_t needed = i + 1 < found.size() ? found[i + 1].second.size() : 1;
        std::string reason;
        if (lines.empty()) {
            reason = "empty";
        } else if (!text[i]) {
            reason = "not UTF-8 text";
        } else if (lines.size() < needed) {
            reason = std::to_string(lines.size()) + " lines of " + std::to_string(needed);
        }
        if (reason.empty()) {
            table_ = lines;
            return;
        }
        if (told_.insert(file).second && !problem_) {
            problem_ = TProblem{file, reason, i + 1 < found.size()};
        }
    }
}

std::optional<TPLang::TProblem> TPLang::TakeProblem() {
    return std::exchange(problem_, std::nullopt);
}

std::string TPLang::TProblem::Text() const {
    return file.string() + ": not a usable language file (" + reason + "); " +
           (shippedUsed ? "the one shipped with the program is used instead"
                        : "the language stays as it was");
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
