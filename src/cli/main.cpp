#include "cli/commandline.h"
#include "cli/commands/commandlist.h"
#include "cli/output/manualhelp.h"
#include "cli/output/messageline.h"
#include "cli/session/interrupts.h"
#include "link/clock.h"
#include "support/errors.h"
#include "support/programfolder.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>

namespace {

using namespace korvex::cli;

int Fail(int code, const std::string& message) {
    std::cerr << ErrorLine(message) << '\n';
    return code;
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

// The exit code when the command line is not one to run (--help and
// --version end here too); nothing when it is.
std::optional<int> Parse(CLI::App& app, int argc, char** argv) {
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
    return std::nullopt;
}

int Run(TCommand& command, TGlobalOptions& global) {
    // The program folder holds the shipped files; the user's own card types,
    // options and copies live in the user's data folder.
    const korvex::TPDataFolders folders(global.dataDir.empty()
                                            ? korvex::ShippedDataFolder()
                                            : std::filesystem::path(global.dataDir),
                                        korvex::TPDataFolders::DefaultUserFolder());
    // A signal now ends the command at its next step instead of killing the
    // process with the programmer held, the port changed and no log.
    const TInterrupts interrupts;
    if (const std::string problem = command.UsageProblem(global); !problem.empty()) {
        return Fail(kExitUsage, problem);
    }
    if (const std::string problem = PortsProblem(global, command.DrivesSeveralProgrammers());
        !problem.empty()) {
        return Fail(kExitUsage, problem);
    }
    int code = kExitUsage;
    try {
        code = command.Run(folders, global);
    } catch (const std::exception& error) {
        code = Fail(kExitUsage, korvex::DescribeError(error));
    }
    if (const int signal = TInterrupts::Received(); signal != 0) {
        // Asked for, not a failure: information, on stderr beside the step lines.
        std::cerr << "Stopped by " << TInterrupts::Name(signal) << ".\n";
    }
    return TInterrupts::ExitCode(code);
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

    TGlobalOptions global;
    const auto commands = AllCommands();
    DeclareCommandLine(app, global, commands);
    if (const auto code = Parse(app, argc, argv)) {
        return *code;
    }
    for (const auto& command : commands) {
        if (command->Chosen()) {
            return Run(*command, global);
        }
    }
    return Fail(kExitUsage, std::string("no command given (see ") + kProgram + " --help)");
}
