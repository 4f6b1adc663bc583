#include "catalogue/cardini.h"

#include "catalogue/carderrors.h"
#include "catalogue/serialfieldini.h"
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

const std::filesystem::path kCards = "cards";

// cards/<name>.ini, for a name CheckCardName took.
std::filesystem::path CardFile(std::string_view name) {
    return kCards / (std::string(name) + ".ini");
}

// The file read from, written to the place TPDataFolders chooses.
void Save(TPIniFile& ini, const TPDataFolders& folders, std::string_view name) {
    ini.SetPath(folders.PrepareWrite(CardFile(name)));
    ini.UpdateFile();
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

void TPCardIni::SetBaseDir(const TPDataFolders& folders) {
    folders_ = folders;
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
    return folders_.FindFile(CardFile(name));
}

void TPCardIni::ScanCardTypes() {
    cards_.clear();
    skipped_.clear();
    std::vector<std::filesystem::path> found;
    for (std::filesystem::path& entry : folders_.List(kCards)) {
        if (EndsWithNoCase(entry.filename().string(), ".ini")) {
            found.push_back(std::move(entry));
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
    Save(ini, folders_, info->CardName);
}

std::vector<TSerialField> TPCardIni::ReadSerialFields(std::string_view name) const {
    const std::filesystem::path file = CardFilePath(name);
    if (!IsRegularFile(file)) {
        return {};
    }
    return korvex::ReadSerialFields(TPIniFile(file), file);
}

void TPCardIni::WriteSerialFields(std::string_view name,
                                  const std::vector<TSerialField>& fields) const {
    const std::filesystem::path file = CardFilePath(name);
    if (!IsRegularFile(file)) {
        throw ECardType("There is no card type named \"" + std::string(name) +
                        "\" to give serial "
                        "fields to");
    }
    TPIniFile ini(file);
    // List files are written relative to the folder the file goes to.
    ini.SetPath(folders_.WriteTarget(CardFile(name)));
    korvex::WriteSerialFields(ini, fields);
    Save(ini, folders_, name);
}

int TPCardIni::CreateCardType(const TPCardInfo* record) const {
    if (record != nullptr) {
        CheckCardName(record->CardName);
    }
    // A writable program folder gets its cards folder, as it always did; a
    // read-only one cannot, and the card type goes to the user's folder.
    std::error_code ignored;
    std::filesystem::create_directory(folders_.program / kCards, ignored);
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
    Save(ini, folders_, record->CardName);
    return crCreated;
}

void TPCardIni::UpdateCardInfo(std::string_view name, const TPCardInfo& record) const {
    // Written without a name the card could never be found by its name again.
    if (name.empty() || record.CardName.empty()) {
        return;
    }
    const std::filesystem::path file = CardFilePath(name);
    if (!IsRegularFile(file)) {
        return;
    }
    TPIniFile ini(file);
    WriteCardType(ini, record);
    Save(ini, folders_, name);
}

void TPCardIni::DeleteCardType(std::string_view name) {
    if (name.empty()) {
        return;
    }
    CheckCardName(name);
    const std::filesystem::path shipped = folders_.program / CardFile(name);
    std::vector<std::filesystem::path> files;
    if (folders_.HasUserFolder() && IsRegularFile(folders_.user / CardFile(name))) {
        files.push_back(folders_.user / CardFile(name));
    }
    if (IsRegularFile(shipped)) {
        // Checked before anything goes: the user's copy alone gone would
        // bring the shipped card type back, which is no deletion either.
        if (!TPDataFolders::MayChange(shipped.parent_path())) {
            throw ECardType("Card type \"" + std::string(name) +
                            "\" comes with the program and cannot be deleted: you cannot "
                            "change " +
                            shipped.parent_path().string());
        }
        files.push_back(shipped);
    }
    if (files.empty()) {
        std::string where = folders_.program.string();
        if (folders_.HasUserFolder()) {
            where += " nor in " + folders_.user.string();
        }
        throw ECardType("There is no card type named \"" + std::string(name) + "\" (no " +
                        CardFile(name).string() + " in " + where + ")");
    }
    for (const std::filesystem::path& file : files) {
        std::error_code error;
        if (!std::filesystem::remove(file, error)) {
            throw EInOutError("Cannot delete: " + error.message(), file.string());
        }
    }
    ScanCardTypes();
}

} // namespace korvex
