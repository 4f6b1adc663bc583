#include "catalogue/cardini.h"

#include "catalogue/carderrors.h"
#include "support/errors.h"
#include "support/inifile.h"
#include "support/textconv.h"

#include <algorithm>
#include <system_error>

namespace korvex {

namespace {

constexpr std::string_view kCardType = "CardType";
constexpr std::string_view kDefaults = "Defaults";

void WriteCardType(TPIniFile& ini, const TPCardInfo& record) {
    ini.WriteString(kCardType, "CardName", record.CardName);
    ini.WriteString(kCardType, "CardDescription", record.CardDescription);
    ini.WriteString(kCardType, "PicName", record.PicName);
    ini.WriteString(kCardType, "EepromName", record.EepromName);
}

bool IsRegularFile(const std::filesystem::path& file) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(file, ignored);
}

// The longest name whose file name, with ".ini", a Linux file system takes.
constexpr std::size_t kMaxCardNameBytes = 255 - 4;

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// What makes a name unusable, or nothing.
std::string CardNameProblem(std::string_view name) {
    if (name.empty()) {
        return "it is empty";
    }
    if (std::any_of(name.begin(), name.end(), IsControl)) {
        return "it holds a control character";
    }
    if (name.find_first_of("/\\") != std::string_view::npos) {
        return "it holds a / or \\";
    }
    if (name.find("..") != std::string_view::npos) {
        return "it holds \"..\"";
    }
    if (name.front() == ' ' || name.back() == ' ') {
        return "it starts or ends with a blank";
    }
    if (name.size() > kMaxCardNameBytes) {
        return "it is longer than " + std::to_string(kMaxCardNameBytes) + " bytes";
    }
    return {};
}

// The name as a message can show it: control characters as <0A> and the like.
std::string Shown(std::string_view name) {
    std::string shown;
    for (char c : name) {
        shown += IsControl(c) ? "<" + HexUpper(static_cast<unsigned char>(c), 2) + ">"
                              : std::string(1, c);
    }
    return shown;
}

} // namespace

void TPCardIni::SetBaseDir(const std::filesystem::path& folder) {
    baseDir_ = folder;
}

void TPCardIni::CheckCardName(std::string_view name) {
    const std::string problem = CardNameProblem(name);
    if (!problem.empty()) {
        throw ECardName("Card type name \"" + Shown(name) + "\" cannot be used: " + problem +
                        "; a name must not start or end with a blank, nor hold /, \\, \"..\" or "
                        "control characters (tab, line break, NUL)");
    }
}

bool TPCardIni::IsSafeCardName(std::string_view name) {
    return CardNameProblem(name).empty();
}

std::filesystem::path TPCardIni::CardFilePath(std::string_view name) const {
    CheckCardName(name);
    return CardsDir() / (std::string(name) + ".ini");
}

void TPCardIni::ScanCardTypes() {
    cards_.clear();
    skipped_.clear();
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(CardsDir(), error), end; !error && it != end;
         it.increment(error)) {
        if (EndsWithNoCase(it->path().filename().string(), ".ini")) {
            found.push_back(it->path());
        }
    }
    // The folder listing has no stable order on Linux; show the card types
    // sorted by name, without regard to case.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return AsciiUpper(a.stem().string()) < AsciiUpper(b.stem().string());
    });
    for (const auto& file : found) {
        if (auto info = ReadCardInfo(file)) {
            cards_.push_back(std::move(*info));
        }
    }
}

// One file that cannot be read must not hide the card types beside it.
std::optional<TPCardInfo> TPCardIni::ReadCardInfo(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (std::filesystem::is_directory(status)) {
        skipped_.push_back({file, "is a folder"});
        return std::nullopt;
    }
    if (!std::filesystem::is_regular_file(status)) {
        // A link to nowhere, a pipe (which would block the read) and the like.
        skipped_.push_back({file, "is not a regular file"});
        return std::nullopt;
    }
    try {
        const TPIniFile ini(file);
        if (!ini.SectionExists(kCardType)) {
            skipped_.push_back({file, "has no [CardType] section"});
            return std::nullopt;
        }
        const TPCardInfo defaults;
        return TPCardInfo{ini.ReadString(kCardType, "CardName", defaults.CardName),
                          ini.ReadString(kCardType, "CardDescription", defaults.CardDescription),
                          ini.ReadString(kCardType, "PicName", defaults.PicName),
                          ini.ReadString(kCardType, "EepromName", defaults.EepromName)};
    } catch (const EKorvex& failure) {
        skipped_.push_back({file, failure.what()});
        return std::nullopt;
    }
}

std::optional<TPCardInfo> TPCardIni::GetCardInfo(int index) const {
    if (index < 0 || index >= GetCardCount()) {
        return std::nullopt;
    }
    return cards_[static_cast<std::size_t>(index)];
}

std::optional<std::filesystem::path> TPCardIni::ExistingCardFile(int index) const {
    auto info = GetCardInfo(index);
    if (!info || !IsSafeCardName(info->CardName)) {
        return std::nullopt;
    }
    std::filesystem::path file = CardFilePath(info->CardName);
    if (!IsRegularFile(file)) {
        return std::nullopt;
    }
    return file;
}

void TPCardIni::ReadDefaults(int index, TPCardDefaults& defaults) const {
    defaults = TPCardDefaults{};
    auto file = ExistingCardFile(index);
    if (!file) {
        return;
    }
    TPIniFile ini(*file);
    if (!ini.SectionExists(kDefaults)) {
        return;
    }
    defaults.PicFile = ini.ReadString(kDefaults, "PicFile", "");
    defaults.ExtEeFile = ini.ReadString(kDefaults, "ExtEeFile", "");
    defaults.Loader = ini.ReadString(kDefaults, "Loader", "");
    defaults.IntEeFile = ini.ReadString(kDefaults, "IntEeFile", "");
    defaults.PowerUp = ini.ReadInteger(kDefaults, "PowerUp", 1);
    defaults.Protected = ini.ReadInteger(kDefaults, "Protected", 1);
    defaults.Oscil = ini.ReadInteger(kDefaults, "Oscil", 1);
    defaults.WatchDog = ini.ReadInteger(kDefaults, "WatchDog", 1);
    defaults.ATLock = ini.ReadInteger(kDefaults, "ATLock", 1);
}

void TPCardIni::WriteDefaults(int index, const TPCardDefaults& defaults) const {
    auto info = GetCardInfo(index);
    // A card whose file names none has no file of its own to keep settings in.
    if (!info || info->CardName.empty()) {
        return;
    }
    // A deleted card type is never brought back by saving its settings.
    std::filesystem::path file = CardFilePath(info->CardName);
    if (!IsRegularFile(file)) {
        return;
    }
    TPIniFile ini(file);
    ini.WriteString(kDefaults, "PicFile", defaults.PicFile);
    ini.WriteString(kDefaults, "ExtEeFile", defaults.ExtEeFile);
    ini.WriteString(kDefaults, "IntEeFile", defaults.IntEeFile);
    ini.WriteString(kDefaults, "Loader", defaults.Loader);
    ini.WriteInteger(kDefaults, "PowerUp", defaults.PowerUp);
    ini.WriteInteger(kDefaults, "Protected", defaults.Protected);
    ini.WriteInteger(kDefaults, "Oscil", defaults.Oscil);
    ini.WriteInteger(kDefaults, "WatchDog", defaults.WatchDog);
    ini.WriteInteger(kDefaults, "ATLock", defaults.ATLock);
    ini.UpdateFile();
}

int TPCardIni::CreateCardType(const TPCardInfo* record) const {
    if (record != nullptr) {
        CheckCardName(record->CardName);
    }
    std::error_code ignored;
    std::filesystem::create_directory(CardsDir(), ignored);
    if (record == nullptr) {
        return crNoRecord;
    }
    std::filesystem::path file = CardFilePath(record->CardName);
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        return crExists;
    }
    TPIniFile ini(file);
    WriteCardType(ini, *record);
    ini.UpdateFile();
    return crCreated;
}

void TPCardIni::UpdateCardInfo(const std::filesystem::path& file, const TPCardInfo& record) const {
    // Written without a name the card could never be found by its name again.
    if (record.CardName.empty() || !IsRegularFile(file)) {
        return;
    }
    TPIniFile ini(file);
    WriteCardType(ini, record);
    ini.UpdateFile();
}

void TPCardIni::DeleteCardType(std::string_view name) {
    if (name.empty()) {
        return;
    }
    std::filesystem::path file = CardFilePath(name);
    if (!IsRegularFile(file)) {
        throw ECardType("There is no card type named \"" + std::string(name) + "\" (no file " +
                        file.string() + ")");
    }
    std::error_code error;
    if (!std::filesystem::remove(file, error)) {
        throw EInOutError("Cannot delete: " + error.message(), file.string());
    }
    ScanCardTypes();
}

} // namespace korvex
