#include "support/settingsstore.h"

#include "support/errors.h"
#include "support/homefolder.h"
#include "support/inifile.h"

#include <cstdlib>

namespace korvex {

namespace {

constexpr std::string_view kSection = "Korvex";
constexpr const char* kFileName = "settings.ini";

} // namespace

TPSettingsStore::TPSettingsStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path TPSettingsStore::DefaultFolder() {
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules and is ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/') {
        return std::filesystem::path(config) / "korvex";
    }
    const std::filesystem::path home = HomeFolder();
    return (home.empty() ? std::filesystem::path(".") : home) / ".config" / "korvex";
}

std::filesystem::path TPSettingsStore::FilePath() const {
    return folder_ / kFileName;
}

bool TPSettingsStore::Exists() const {
    std::error_code ignored;
    return std::filesystem::is_regular_file(FilePath(), ignored);
}

std::optional<std::string> TPSettingsStore::Read(std::string_view name) const {
    if (!Exists()) {
        return std::nullopt;
    }
    try {
        TPIniFile ini(FilePath());
        if (!ini.ValueExists(kSection, name)) {
            return std::nullopt;
        }
        return ini.ReadString(kSection, name, "");
    } catch (const EInOutError&) {
        // Like a settings key that cannot be opened: nothing is restored.
        return std::nullopt;
    }
}

std::optional<int> TPSettingsStore::ReadInteger(std::string_view name) const {
    if (auto text = Read(name)) {
        return ParseIniInteger(*text);
    }
    return std::nullopt;
}

std::optional<std::string> TPSettingsStore::ReadString(std::string_view name) const {
    return Read(name);
}

void TPSettingsStore::WriteInteger(std::string_view name, int value) {
    Write({{std::string(name), std::to_string(value)}});
}

void TPSettingsStore::WriteString(std::string_view name, std::string_view value) {
    Write({{std::string(name), std::string(value)}});
}

void TPSettingsStore::Write(const std::vector<std::pair<std::string, std::string>>& values) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        throw EIniFileException("Unable to write to " + FilePath().string());
    }
    // An existing store that cannot be read is not overwritten: the values it
    // holds besides the ones written here would be lost.
    std::optional<TPIniFile> ini;
    try {
        ini.emplace(FilePath());
    } catch (const EInOutError&) {
        throw EIniFileException("Unable to write to " + FilePath().string());
    }
    for (const auto& [name, value] : values) {
        ini->WriteString(kSection, name, value);
    }
    ini->UpdateFile();
}

} // namespace korvex
