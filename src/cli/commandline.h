#pragma once

#include "cli/cardrun.h"
#include "cli/commands.h"

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace korvex::cli {

// What the command line asks for: the tool's options, each command's
// request, and the commands, of which a parse sets exactly one.
struct TCommandLine {
    TGlobalOptions global;
    TCardsFormat cardsFormat = TCardsFormat::cfText;
    ViewRequest view;
    std::string memory; // read, write, verify and erase: pic, flash or eeprom
    TReadRequest read;
    TActionRequest action;
    TAutoRequest autoRequest;
    std::vector<std::string> optionSettings;
    TFuseRequest fuses;
    TCardRequest card;
    TRecordsRequest records;

    CLI::App* state = nullptr;
    CLI::App* firmware = nullptr;
    CLI::App* cards = nullptr;
    CLI::App* viewCommand = nullptr;
    CLI::App* readCommand = nullptr;
    CLI::App* writeCommand = nullptr;
    CLI::App* verifyCommand = nullptr;
    CLI::App* eraseCommand = nullptr;
    CLI::App* autoCommand = nullptr;
    CLI::App* lockCommand = nullptr;
    CLI::App* optionsCommand = nullptr;
    CLI::App* fusesCommand = nullptr;
    CLI::App* cardCommand = nullptr;
    CLI::App* recordsCommand = nullptr;
    // Given only with --db: told apart from their defaults by their count.
    CLI::Option* autoDatabaseWait = nullptr;
    CLI::Option* autoReserve = nullptr;
};

// Declares the tool's options, and every command with its own, on `app`,
// each bound to its place in `line`; the help shows them in this order.
void DeclareCommandLine(CLI::App& app, TCommandLine& line);

} // namespace korvex::cli
