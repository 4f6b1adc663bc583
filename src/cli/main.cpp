#include "cli/commandline.h"
#include "cli/interrupts.h"
#include "cli/manualhelp.h"
#include "cli/messageline.h"
#include "link/clock.h"
#include "link/portmap.h"
#include "support/errors.h"
#include "support/programfolder.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace {

using namespace korvex::cli;

int Fail(int code, const std::string& message) {
    std::cerr << ErrorLine(message) << '\n';
    return code;
}

TMemory MemoryOf(const std::string& text) {
    return text == "eeprom" ? TMemory::mEeprom : TMemory::mPic;
}

// The first word left over when no command was found: what the user meant
// as the command.
std::string UnknownCommand(CLI::App& app) {
    if (!app.get_subcommands().empty()) {
        return {};
    }
    for (const std::string& word : app.remaining()) {
        if (!word.empty() && word.front() != '-') {
            return word;
        }
    }
    return {};
}

std::string CommandNames(CLI::App& app) {
    std::string names;
    for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        names += (names.empty() ? "" : ", ") + command->get_name();
    }
    return names;
}

// Refusals no single option can say: options that belong to other
// commands, or to a run with a database. Empty: none.
std::string CommandLineProblem(const TCommandLine& line) {
    if (line.global.json && (*line.cards || *line.viewCommand || *line.optionsCommand ||
                             *line.fusesCommand || *line.cardCommand)) {
        return "--json is for the commands that work on a card: state, "
               "firmware, read, write, verify, erase, auto and lock, and for "
               "records";
    }
    if ((line.autoDatabaseWait->count() > 0 || line.autoReserve->count() > 0) &&
        line.autoRequest.database.empty()) {
        return "--db-wait and --reserve belong to a run with --db";
    }
    return {};
}

// The commands that work on the card, or whose options could not be
// checked by the parse: kExitUsage when `line` holds none of them.
int RunCardCommand(const korvex::TPDataFolders& folders, TCommandLine& line) {
    const TGlobalOptions& global = line.global;
    if (*line.state) {
        return RunState(folders, global);
    }
    if (*line.firmware) {
        return RunFirmware(folders, global);
    }
    if (*line.readCommand) {
        line.read.memory = MemoryOf(line.memory);
        return RunRead(folders, global, line.read);
    }
    line.action.memory = MemoryOf(line.memory);
    if (*line.writeCommand) {
        line.action.action = TCardAction::caWrite;
        return RunCardAction(folders, global, line.action);
    }
    if (*line.verifyCommand) {
        line.action.action = TCardAction::caVerify;
        return RunCardAction(folders, global, line.action);
    }
    if (*line.eraseCommand) {
        line.action.action = TCardAction::caErase;
        return RunCardAction(folders, global, line.action);
    }
    if (*line.autoCommand) {
        return RunAuto(folders, global, line.autoRequest);
    }
    if (*line.lockCommand) {
        return RunLock(folders, global);
    }
    return kExitUsage;
}

int RunCommand(const korvex::TPDataFolders& folders, TCommandLine& line) {
    const TGlobalOptions& global = line.global;
    if (*line.cards) {
        return RunCards(folders, line.cardsFormat, std::cout, std::cerr);
    }
    if (*line.viewCommand) {
        // The tool's --card, given before the command, is view's as well.
        if (line.view.cardName.empty() && !line.view.avr) {
            line.view.cardName = global.card;
        }
        return RunView(folders, line.view, std::cout);
    }
    if (*line.optionsCommand) {
        return RunOptions(folders, global, line.optionSettings);
    }
    if (*line.fusesCommand) {
        return RunFuses(folders, global, line.fuses);
    }
    if (*line.recordsCommand) {
        return RunRecords(folders, global, line.records);
    }
    if (*line.cardCommand) {
        const TCardRequest& card = line.card;
        if (card.action == "add" && (card.processor.empty() || card.eeprom.empty())) {
            return Fail(kExitUsage, "card add needs --description, --processor and --eeprom");
        }
        return RunCardType(folders, global, card);
    }
    return RunCardCommand(folders, line);
}

// One programmer however its port is written: "com3" is "COM3".
bool SamePort(const std::string& one, const std::string& other) {
    const auto first = korvex::TPortMap::ReadArgument(one);
    const auto second = korvex::TPortMap::ReadArgument(other);
    if (!first || !second) {
        return one == other;
    }
    return first->comNumber == second->comNumber && first->device == second->device;
}

// Several --port are several programmers, which only a production run
// drives at once; each port once, for its journal is the port's.
std::string PortsProblem(TGlobalOptions& global, bool watch) {
    if (!global.ports.empty()) {
        global.link.port = global.ports.front();
    }
    if (global.ports.size() < 2) {
        return {};
    }
    if (!watch) {
        return "--port is given more than once: only auto --watch drives several programmers";
    }
    for (std::size_t i = 0; i < global.ports.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (SamePort(global.ports[i], global.ports[j])) {
                return "--port " + global.ports[i] + " is given twice: name each programmer once";
            }
        }
    }
    if (!global.link.logFile.empty()) {
        return "--log writes the conversation with one programmer: give it with one --port";
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    korvex::UsePreciseTimers();

    CLI::App app{"Korvex smart-card programmer, command-line tool", kProgram};
    app.set_version_flag("--version", std::string(kProgram) + " " + KORVEX_VERSION);
    // --help-all is the whole manual's text, help2man's source of the page.
    app.formatter(std::make_shared<TManualFormatter>());
    app.set_help_all_flag("--help-all", "Print this help with every command's options and exit");
    app.require_subcommand(1);
    // Options of the whole tool may follow the command as well.
    app.fallthrough();

    TCommandLine line;
    DeclareCommandLine(app, line);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (const std::string word = UnknownCommand(app); !word.empty()) {
            return Fail(kExitUsage,
                        "unknown command '" + word + "'; the commands are: " + CommandNames(app));
        }
        if (error.get_exit_code() == 0) {
            return app.exit(error); // --help, --version
        }
        return Fail(kExitUsage, std::string(error.what()) + " (see " + kProgram + " --help)");
    }

    // The program folder holds the shipped files; the user's own card types,
    // options and copies live in the user's data folder.
    const korvex::TPDataFolders folders(line.global.dataDir.empty()
                                            ? korvex::ShippedDataFolder()
                                            : std::filesystem::path(line.global.dataDir),
                                        korvex::TPDataFolders::DefaultUserFolder());
    // A signal now ends the command at its next step instead of killing the
    // process with the programmer held, the port changed and no log.
    const TInterrupts interrupts;
    if (const std::string problem = CommandLineProblem(line); !problem.empty()) {
        return Fail(kExitUsage, problem);
    }
    if (const std::string problem =
            PortsProblem(line.global, *line.autoCommand && line.autoRequest.watch);
        !problem.empty()) {
        return Fail(kExitUsage, problem);
    }
    int code = kExitUsage;
    try {
        code = RunCommand(folders, line);
    } catch (const std::exception& error) {
        code = Fail(kExitUsage, korvex::DescribeError(error));
    }
    if (const int signal = TInterrupts::Received(); signal != 0) {
        // Asked for, not a failure: information, on stderr beside the step lines.
        std::cerr << "Stopped by " << TInterrupts::Name(signal) << ".\n";
    }
    return TInterrupts::ExitCode(code);
}
