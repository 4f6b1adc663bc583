#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvex {

// The user values that live between runs, in <folder>/settings.ini,
// section [Korvex]:
//
//   ComPort  integer  0 = offline, 1..8 = the port items "Com 1".."Com 8";
//                     other values select nothing
//   Card     integer  item index of the card type selector (negative = 0)
//   CardName string   the card type's name; while the list has it, it wins
//                     over Card, which older files and tools know alone
//   Lang     string   language name (file name without ".lang"); applied
//                     when not empty
//   Speed    integer  9600 = the "19200 baud" item (9600 is the item's code,
//                     not its rate), 115200 = the "115200 baud" item; other
//                     values change nothing
//   ProductionRecord  string   the production window's record file; empty = none
//   ProductionCount   integer  the cards a production run is asked for; 0 = until
//                              stopped
//   ProductionDatabase string  the database the stations share, never with a
//                              password; empty = none
//   ProductionStation  string  this station's name in the shared record
//   ProductionDatabaseWait integer  the longest a call waits for that database, ms
//   ProductionReserve  integer  serial values of a field taken ahead from it
//
// What the codes mean is the caller's business; the store only keeps them.
// Every call reads the file afresh. Reading never creates anything, and a
// store that cannot be read reads as empty, like one never written. Writing
// creates the folder and the file; a failure throws EIniFileException
// "Unable to write to <path>".
class TPSettingsStore {
public:
    static constexpr std::string_view kComPort = "ComPort";
    static constexpr std::string_view kCard = "Card";
    static constexpr std::string_view kCardName = "CardName";
    static constexpr std::string_view kLang = "Lang";
    static constexpr std::string_view kSpeed = "Speed";
    static constexpr std::string_view kProductionRecord = "ProductionRecord";
    static constexpr std::string_view kProductionCount = "ProductionCount";
    static constexpr std::string_view kProductionDatabase = "ProductionDatabase";
    static constexpr std::string_view kProductionStation = "ProductionStation";
    static constexpr std::string_view kProductionDatabaseWait = "ProductionDatabaseWait";
    static constexpr std::string_view kProductionReserve = "ProductionReserve";
    // The programmers a production run drives, one a slot, "|" between them.
    static constexpr std::string_view kProductionPorts = "ProductionPorts";

    explicit TPSettingsStore(std::filesystem::path folder);

    // $XDG_CONFIG_HOME/korvex when that is set to an absolute path, else
    // $HOME/.config/korvex (the home folder of the user's account entry when
    // HOME is unset).
    static std::filesystem::path DefaultFolder();

    const std::filesystem::path& Folder() const { return folder_; }
    std::filesystem::path FilePath() const;

    // The store has been written before.
    bool Exists() const;

    // Absent, or not a number (decimal or 0x hex): nullopt.
    std::optional<int> ReadInteger(std::string_view name) const;
    std::optional<std::string> ReadString(std::string_view name) const;

    void WriteInteger(std::string_view name, int value);
    void WriteString(std::string_view name, std::string_view value);
    // Several values in one atomic write.
    void Write(const std::vector<std::pair<std::string, std::string>>& values);

private:
    std::optional<std::string> Read(std::string_view name) const;

    std::filesystem::path folder_;
};

} // namespace korvex
