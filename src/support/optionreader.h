#pragma once

#include "support/datafolders.h"

#include <filesystem>
#include <string_view>

namespace korvex {

// The eight on/off options that decide which steps the write commands and the
// auto program perform, kept in options/options.ini of the data folders: the
// user's copy when there is one, else the program folder's, and a change goes
// where the next read finds it (TPDataFolders).
// Nothing is cached: every call reads the file afresh, so a hand edit counts
// for the next operation. Every call first adds the sections that are missing,
// with all their options on; a section that exists is left as it is. A value
// of 0 is off; any other number, an empty or missing value, or a text that is
// no number is on. A failed write throws EIniFileException
// "Unable to write to <path>"; the program folder's options folder is never
// created.
class TPOptionReader {
public:
    explicit TPOptionReader(TPDataFolders folders);

    // The file the options are read from now.
    std::filesystem::path FilePath() const;

    bool GetAutoWriteEe();
    bool GetAutoVerifyEe();
    bool GetAutoWritePic();
    bool GetAutoVerifyPic();
    bool GetWritePicWrite();
    bool GetWritePicVerify();
    bool GetWriteEeWrite();
    bool GetWriteEeVerify();

    void SetAutoWriteEe(bool on);
    void SetAutoVerifyEe(bool on);
    void SetAutoWritePic(bool on);
    void SetAutoVerifyPic(bool on);
    void SetWritePicWrite(bool on);
    void SetWritePicVerify(bool on);
    void SetWriteEeWrite(bool on);
    void SetWriteEeVerify(bool on);

    // How often a step that failed by the line (no answer, a spoiled answer,
    // refusals beyond their resends) is run again from its start: section
    // [Line], key StepRetries, kDefaultStepRetries when the file does not say,
    // at most kMostStepRetries. 0 runs every step once.
    static constexpr int kDefaultStepRetries = 2;
    static constexpr int kMostStepRetries = 9;
    int GetStepRetries();
    // Throws std::invalid_argument outside 0..kMostStepRetries.
    void SetStepRetries(int retries);

private:
    bool Get(std::string_view section, std::string_view key);
    void Set(std::string_view section, std::string_view key, bool on);

    TPDataFolders folders_;
};

} // namespace korvex
