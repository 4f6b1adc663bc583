#pragma once

#include "support/datafolders.h"

#include <filesystem>
#include <ostream>
#include <string>

namespace korvex::cli {

// Exit codes shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// For people: a table with the processor family and the EEPROM by name.
// For scripts: tab-separated, with the catalogue's kind codes and sizes.
enum class TCardsFormat { cfText, cfTsv };

// One line per card type after a header; a warning line on `err` for each
// file left out of the list.
int RunCards(const TPDataFolders& folders, TCardsFormat format, std::ostream& out,
             std::ostream& err);

struct ViewRequest {
    std::filesystem::path file;
    std::string cardName; // empty: none named
    bool avr = false;
    bool eeprom = false;
};

// The file view window's memo lines for the file.
int RunView(const TPDataFolders& folders, const ViewRequest& request, std::ostream& out);

struct TGlobalOptions;

// Connects, polls until the programmer answers (at most a second) and prints
// the state as the status panel words it. Exit 0 only when a card is ready.
int RunState(const TPDataFolders& folders, const TGlobalOptions& options);

// Prints the programmer's firmware version number; nothing on stdout and
// exit 1 when it cannot be had.
int RunFirmware(const TPDataFolders& folders, const TGlobalOptions& options);

} // namespace korvex::cli
