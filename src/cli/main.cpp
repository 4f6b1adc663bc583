#include "cli/commands.h"
#include "cli/linksession.h"
#include "link/clock.h"
#include "support/errors.h"
#include "support/programfolder.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace {

constexpr const char* kProgram = "korvex-cli";

int Fail(int code, const std::string& message) {
    std::cerr << kProgram << ": " << korvex::OneLine(message) << '\n';
    return code;
}

} // namespace

int main(int argc, char** argv) {
    using namespace korvex::cli;
    korvex::UsePreciseTimers();

    CLI::App app{"Korvex smart-card programmer, command-line tool", kProgram};
    app.require_subcommand(1);
    // Options of the whole tool may follow the command as well.
    app.fallthrough();

    std::string dataDir;
    app.add_option("--data", dataDir,
                   "Program folder holding cards/, lang/, options/ and defaults/ "
                   "(default: the folder of this executable)");

    LinkOptions link;
    app.add_option("--port", link.port,
                   "Programmer port: COM1..COM8 (as mapped in the settings), a device path, "
                   "or sim for the built-in simulator (default: the remembered port)");
    app.add_option("--speed", link.speed, "Line speed (default: the remembered speed, else 19200)")
        ->check(CLI::IsMember({"19200", "115200"}));
    app.add_option("--log", link.logFile,
                   "Write the conversation with the programmer to FILE, one line per frame "
                   "and answer");

    auto* state = app.add_subcommand(
        "state", "Show whether the programmer answers and a card is ready (exit 0 when ready)");
    auto* firmware = app.add_subcommand("firmware", "Print the programmer's firmware version");

    auto* cards =
        app.add_subcommand("cards", "List the card types with their processor and EEPROM");

    ViewRequest view;
    auto* viewCommand =
        app.add_subcommand("view", "Show an image file as the file view window shows it");
    viewCommand->add_option("FILE", view.file, "Intel HEX or binary image file")->required();
    auto* cardOption =
        viewCommand->add_option("--card", view.cardName, "Card type whose processor kind applies");
    viewCommand->add_flag("--avr", view.avr, "Read the file as an AVR-kind program file")
        ->excludes(cardOption);
    viewCommand->add_flag("--eeprom", view.eeprom, "Read the file as an EEPROM image");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? kExitOk : kExitUsage;
    }

    const std::filesystem::path folder =
        dataDir.empty() ? korvex::ExecutableFolder() : std::filesystem::path(dataDir);
    try {
        if (*cards) {
            return RunCards(folder, std::cout);
        }
        if (*viewCommand) {
            return RunView(folder, view, std::cout);
        }
        if (*state) {
            return RunState(folder, link, std::cout, std::cerr);
        }
        if (*firmware) {
            return RunFirmware(folder, link, std::cout, std::cerr);
        }
    } catch (const std::exception& error) {
        return Fail(kExitUsage, korvex::DescribeError(error));
    }
    return kExitUsage;
}
