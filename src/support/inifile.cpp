#include "support/inifile.h"

#include "support/atomicfile.h"
#include "support/errors.h"
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
    if (!text.empty() && store_->LoadData(text.data(), text.size()) < 0) {
        // Only an allocation failure gets here; treat the content as lost.
        store_->Reset();
    }
}

std::string TPIniFile::Text() const {
    std::string saved;
    if (store_->Save(saved, false) < 0) {
        throw EIniFileException("Unable to write to " + path_.string());
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

void TPIniFile::UpdateFile() {
    try {
        WriteFileAtomically(path_, Text());
    } catch (const std::exception&) {
        throw EIniFileException("Unable to write to " + path_.string());
    }
}

} // namespace korvex
