#include "support/optionreader.h"

#include "support/inifile.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace korvex {

namespace {

constexpr std::string_view kAuto = "Auto";
constexpr std::string_view kWritePic = "WritePic";
constexpr std::string_view kWriteEeprom = "WriteEeprom";

constexpr std::string_view kWriteEe = "WriteEe";
constexpr std::string_view kVerifyEe = "VerifyEe";
constexpr std::string_view kVerifyPic = "VerifyPic";
constexpr std::string_view kLine = "Line";
constexpr std::string_view kStepRetries = "StepRetries";

struct DefaultSection {
    std::string_view name;
    std::array<std::string_view, 4> keys;
    std::size_t count;
};

const std::filesystem::path kOptionsFile = std::filesystem::path("options") / "options.ini";

// Creates the missing sections in their file order. The file is written only
// when something was added, so reading a complete read-only file works.
void EnsureDefaults(TPIniFile& ini, const TPDataFolders& folders) {
    static const DefaultSection kSections[] = {
        {kAuto, {kWriteEe, kVerifyEe, kWritePic, kVerifyPic}, 4},
        {kWritePic, {kWritePic, kVerifyPic}, 2},
        {kWriteEeprom, {kWriteEe, kVerifyEe}, 2},
    };
    bool added = false;
    for (const DefaultSection& section : kSections) {
        if (ini.SectionExists(section.name)) {
            continue;
        }
        for (std::size_t i = 0; i < section.count; ++i) {
            ini.WriteString(section.name, section.keys[i], "1");
        }
        added = true;
    }
    if (added) {
        ini.SetPath(folders.PrepareWrite(kOptionsFile));
        ini.UpdateFile();
    }
}

} // namespace

TPOptionReader::TPOptionReader(TPDataFolders folders) : folders_(std::move(folders)) {}

std::filesystem::path TPOptionReader::FilePath() const {
    return folders_.FindFile(kOptionsFile);
}

bool TPOptionReader::Get(std::string_view section, std::string_view key) {
    TPIniFile ini(FilePath());
    EnsureDefaults(ini, folders_);
    return ini.ReadInteger(section, key, 1) != 0;
}

void TPOptionReader::Set(std::string_view section, std::string_view key, bool on) {
    TPIniFile ini(FilePath());
    EnsureDefaults(ini, folders_);
    ini.WriteString(section, key, on ? "1" : "0");
    ini.SetPath(folders_.PrepareWrite(kOptionsFile));
    ini.UpdateFile();
}

bool TPOptionReader::GetAutoWriteEe() {
    return Get(kAuto, kWriteEe);
}
bool TPOptionReader::GetAutoVerifyEe() {
    return Get(kAuto, kVerifyEe);
}
bool TPOptionReader::GetAutoWritePic() {
    return Get(kAuto, kWritePic);
}
bool TPOptionReader::GetAutoVerifyPic() {
    return Get(kAuto, kVerifyPic);
}
bool TPOptionReader::GetWritePicWrite() {
    return Get(kWritePic, kWritePic);
}
bool TPOptionReader::GetWritePicVerify() {
    return Get(kWritePic, kVerifyPic);
}
bool TPOptionReader::GetWriteEeWrite() {
    return Get(kWriteEeprom, kWriteEe);
}
bool TPOptionReader::GetWriteEeVerify() {
    return Get(kWriteEeprom, kVerifyEe);
}

void TPOptionReader::SetAutoWriteEe(bool on) {
    Set(kAuto, kWriteEe, on);
}
void TPOptionReader::SetAutoVerifyEe(bool on) {
    Set(kAuto, kVerifyEe, on);
}
void TPOptionReader::SetAutoWritePic(bool on) {
    Set(kAuto, kWritePic, on);
}
void TPOptionReader::SetAutoVerifyPic(bool on) {
    Set(kAuto, kVerifyPic, on);
}
void TPOptionReader::SetWritePicWrite(bool on) {
    Set(kWritePic, kWritePic, on);
}
void TPOptionReader::SetWritePicVerify(bool on) {
    Set(kWritePic, kVerifyPic, on);
}
void TPOptionReader::SetWriteEeWrite(bool on) {
    Set(kWriteEeprom, kWriteEe, on);
}
void TPOptionReader::SetWriteEeVerify(bool on) {
    Set(kWriteEeprom, kVerifyEe, on);
}

// The section is not added to a file that lacks it: the default stands in
// for it, and reading the options never writes for this alone.
int TPOptionReader::GetStepRetries() {
    const TPIniFile ini(FilePath());
    const int retries = ini.ReadInteger(kLine, kStepRetries, kDefaultStepRetries);
    return std::clamp(retries, 0, kMostStepRetries);
}

void TPOptionReader::SetStepRetries(int retries) {
    if (retries < 0 || retries > kMostStepRetries) {
        throw std::invalid_argument("Line/StepRetries takes a number from 0 to " +
                                    std::to_string(kMostStepRetries) + ", not " +
                                    std::to_string(retries));
    }
    TPIniFile ini(FilePath());
    EnsureDefaults(ini, folders_);
    ini.WriteString(kLine, kStepRetries, std::to_string(retries));
    ini.SetPath(folders_.PrepareWrite(kOptionsFile));
    ini.UpdateFile();
}

} // namespace korvex
