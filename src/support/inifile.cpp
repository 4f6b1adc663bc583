#include "support/inifile.h"

#include "support/atomicfile.h"
#include "support/errors.h"
#include "support/linecutter.h"
#include "support/readfile.h"
#include "support/textconv.h"

// Only narrow strings are used, so no wide-character converter is needed. The
// packaged header keeps the template bodies behind SI_IMPLEMENTATION; they are
// instantiated here, so nothing links against the prebuilt library (built with
// other converter settings).
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <charconv>
#include <cstdint>
#include <vector>

namespace korvex {

// CSimpleIniA compares names with SI_NoCase: ASCII case-insensitive.
class TPIniFile::Store : public CSimpleIniA {
public:
    Store() : CSimpleIniA(/*utf8=*/false, /*multiKey=*/false, /*multiLine=*/false) {
        SetQuotes(false);
        SetSpaces(false);
        SetAllowKeyOnly(false);
    }
};

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The parser ends a line at CR or LF and a text at NUL, and strips blanks
// around names and values; doing the same here keeps a written value from
// injecting lines and makes it read back unchanged.
std::string SingleLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (char c : text) {
        if (c != '\r' && c != '\n' && c != '\0') {
            line += c;
        }
    }
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) {
        ++first;
    }
    std::size_t last = line.size();
    while (last > first && IsBlank(line[last - 1])) {
        --last;
    }
    return line.substr(first, last - first);
}

std::string_view WithoutIndent(std::string_view line) {
    std::size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) {
        ++first;
    }
    return line.substr(first);
}

bool IsCommentLine(std::string_view line) {
    const std::string_view text = WithoutIndent(line);
    return !text.empty() && (text.front() == ';' || text.front() == '#');
}

bool IsBlankLine(std::string_view line) {
    return WithoutIndent(line).empty();
}

// A line the parser takes as a section header or a key.
bool IsEntryLine(std::string_view line) {
    const std::string_view text = WithoutIndent(line);
    if (text.empty() || IsCommentLine(text)) {
        return false;
    }
    return text.front() == '[' ? text.find(']') != std::string_view::npos
                               : text.find('=') != std::string_view::npos;
}

struct TPreparedText {
    std::string text;    // for the parser
    std::string trailer; // comment lines it would drop, to be written back last
};

// The parser keeps a comment block with the section or key that follows it,
// so hand-written comments survive a rewrite, with two gaps closed here: a
// block ends at a comment line that is indented (so such lines lose their
// indent), and comments after the last entry belong to nothing (so they are
// kept apart and written back at the end).
TPreparedText PrepareText(std::string_view text) {
    text = text.substr(0, text.find('\0')); // where the parser stops
    std::vector<std::string_view> lines;
    TLineCutter cutter(text);
    for (std::string_view line; cutter.Next(line);) {
        lines.push_back(IsCommentLine(line) ? WithoutIndent(line) : line);
    }
    std::size_t kept = 0; // lines the parser gives a home
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsEntryLine(lines[i])) {
            kept = i + 1;
        }
    }
    if (kept == 0) {
        // Without entries only the file comment, the block at the very start, stays.
        while (kept < lines.size() && IsCommentLine(lines[kept])) {
            ++kept;
        }
    }
    TPreparedText prepared;
    for (std::size_t i = 0; i < kept; ++i) {
        prepared.text += std::string(lines[i]) + '\n';
    }
    // Blank lines between the comments stay (one for a run of them); lines
    // the parser would ignore anyway go.
    bool gap = false;
    for (std::size_t i = kept; i < lines.size(); ++i) {
        if (IsCommentLine(lines[i])) {
            prepared.trailer += (gap && !prepared.trailer.empty() ? "\n" : "");
            prepared.trailer += std::string(lines[i]) + '\n';
            gap = false;
        } else if (IsBlankLine(lines[i])) {
            gap = true;
        }
    }
    return prepared;
}

} // namespace

std::optional<int> ParseIniInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::string_view digits = text.substr(2);
        if (digits.size() > 8) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (error != std::errc() || end != digits.data() + digits.size()) {
            return std::nullopt;
        }
        return static_cast<int>(value);
    }
    return TryStrToInt(text);
}

TPIniFile::TPIniFile(std::filesystem::path path)
    : path_(std::move(path)), store_(std::make_unique<Store>()) {
    LoadText(ReadFileIfExists(path_).value_or(""));
}

TPIniFile::~TPIniFile() = default;

void TPIniFile::LoadText(std::string_view text) {
    store_->Reset();
    crlf_ = text.find("\r\n") != std::string_view::npos;
    TPreparedText prepared = PrepareText(text);
    trailer_ = std::move(prepared.trailer);
    if (!prepared.text.empty() &&
        store_->LoadData(prepared.text.data(), prepared.text.size()) < 0) {
        // Only an allocation failure gets here; treat the content as lost.
        store_->Reset();
        trailer_.clear();
    }
}

std::string TPIniFile::Text() const {
    std::string saved;
    if (store_->Save(saved, false) < 0) {
        throw EIniFileException("Unable to write to " + path_.string());
    }
    if (!trailer_.empty()) {
        saved += saved.empty() ? "" : "\n";
        saved += trailer_;
    }
    // The library puts two blank lines between sections; one is the usual
    // look of these files.
    std::string text;
    text.reserve(saved.size() + (crlf_ ? saved.size() / 8 : 0));
    int newlines = 0;
    for (char c : saved) {
        newlines = c == '\n' ? newlines + 1 : 0;
        if (newlines > 2) {
            continue;
        }
        if (c == '\n' && crlf_) {
            text += '\r';
        }
        text += c;
    }
    return text;
}

bool TPIniFile::SectionExists(std::string_view section) const {
    return store_->GetSectionSize(SingleLine(section).c_str()) > 0;
}

std::vector<std::string> TPIniFile::Sections() const {
    CSimpleIniA::TNamesDepend names;
    store_->GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> sections;
    for (const auto& name : names) {
        if (store_->GetSectionSize(name.pItem) > 0) {
            sections.emplace_back(name.pItem);
        }
    }
    return sections;
}

std::vector<std::string> TPIniFile::Keys(std::string_view section) const {
    CSimpleIniA::TNamesDepend names;
    store_->GetAllKeys(SingleLine(section).c_str(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> keys;
    for (const auto& name : names) {
        keys.emplace_back(name.pItem);
    }
    return keys;
}

bool TPIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return store_->GetValue(SingleLine(section).c_str(), SingleLine(key).c_str(), nullptr) !=
           nullptr;
}

std::string TPIniFile::ReadString(std::string_view section, std::string_view key,
                                  std::string_view def) const {
    const char* value =
        store_->GetValue(SingleLine(section).c_str(), SingleLine(key).c_str(), nullptr);
    return value != nullptr ? std::string(value) : std::string(def);
}

int TPIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    const char* value =
        store_->GetValue(SingleLine(section).c_str(), SingleLine(key).c_str(), nullptr);
    if (value == nullptr) {
        return def;
    }
    return ParseIniInteger(value).value_or(def);
}

void TPIniFile::WriteString(std::string_view section, std::string_view key,
                            std::string_view value) {
    if (store_->SetValue(SingleLine(section).c_str(), SingleLine(key).c_str(),
                         SingleLine(value).c_str()) < 0) {
        throw EIniFileException("Unable to write to " + path_.string());
    }
}

void TPIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TPIniFile::DeleteKey(std::string_view section, std::string_view key) {
    store_->Delete(SingleLine(section).c_str(), SingleLine(key).c_str(), /*removeEmpty=*/true);
}

void TPIniFile::DeleteSection(std::string_view section) {
    store_->Delete(SingleLine(section).c_str(), nullptr);
}

void TPIniFile::UpdateFile() {
    try {
        WriteFileAtomically(path_, Text());
    } catch (const std::exception&) {
        throw EIniFileException("Unable to write to " + path_.string());
    }
}

} // namespace korvex
