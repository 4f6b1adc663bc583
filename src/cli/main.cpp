#include "cli/commands.h"
#include "cli/programfolder.h"
#include "support/errors.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace {

constexpr const char* kProgram = "korvex-cli";

// Some messages carry line breaks of their own; a failure is one line on stderr.
int Fail(int code, std::string message) {
    for (char& c : message) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    std::cerr << kProgram << ": " << message << '\n';
    return code;
}

} // namespace

int main(int argc, char** argv) {
    using namespace korvex::cli;

    CLI::App app{"Korvex smart-card programmer, command-line tool", kProgram};
    app.require_subcommand(1);

    std::string dataDir;
    app.add_option("--data", dataDir,
                   "Program folder holding cards/, lang/, options/ and defaults/ "
                   "(default: the folder of this executable)");

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
        dataDir.empty() ? ExecutableFolder() : std::filesystem::path(dataDir);
    try {
        if (*cards) {
            return RunCards(folder, std::cout);
        }
        if (*viewCommand) {
            return RunView(folder, view, std::cout);
        }
    } catch (const std::exception& error) {
        return Fail(kExitUsage, korvex::DescribeError(error));
    }
    return kExitUsage;
}
