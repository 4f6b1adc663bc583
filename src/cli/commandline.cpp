#include "cli/commandline.h"

#include "link/portmap.h"

namespace korvex::cli {

namespace {

// A command's help shows only its own options; the tool's options work with
// every command (before or after it), so each command's help lists them too,
// less any the command has one of its own for (view's --card).
void ShowToolOptionsInCommandHelp(CLI::App& app) {
    const CLI::Formatter formatter; // the layout of the help itself
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        std::vector<const CLI::Option*> shown;
        for (const CLI::Option* option : app.get_options()) {
            if (option == app.get_help_ptr() || option == app.get_version_ptr() ||
                command->get_option_no_throw("--" + option->get_lnames().front()) != nullptr) {
                continue;
            }
            shown.push_back(option);
        }
        command->footer(
            formatter.make_group("Options of every command (before or after it)", false, shown));
    }
}

void AddToolOptions(CLI::App& app, TGlobalOptions& global) {
    app.add_option("--data", global.dataDir,
                   "Program folder holding cards/, lang/, options/ and defaults/ "
                   "(default: the installed one, or the one beside this executable)")
        ->type_name("DIR");
    app.add_option("--port", global.ports,
                   "Programmer port: COM1..COM8 (as mapped in the settings), a device path, "
                   "or sim for the built-in simulator (default: the remembered port); "
                   "auto --watch takes it once per programmer")
        ->type_name("PORT")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--speed", global.link.speed,
                   "Line speed, 19200 or 115200 (default: the remembered speed, else 19200)")
        ->check(CLI::IsMember({"19200", "115200"}).description(""))
        ->type_name("BAUD");
    app.add_option("--log", global.link.logFile,
                   "Write the conversation with the programmer to FILE, one line per frame "
                   "and answer")
        ->type_name("FILE");
    app.add_option("--card", global.card, "Card type to work with (default: the remembered one)")
        ->type_name("NAME");
    app.add_flag("--yes,-y", global.yes, "Answer yes to every question");
    app.add_flag("--quiet,-q", global.quiet, "No step captions or progress bar");
    app.add_flag("--json", global.json,
                 "Print the result of a card command (state, firmware, read, write, verify, "
                 "erase, auto, lock) as one JSON object on stdout; auto --watch prints one per "
                 "card first");
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

} // namespace

void DeclareCommandLine(CLI::App& app, TGlobalOptions& global,
                        const std::vector<std::unique_ptr<TCommand>>& commands) {
    AddToolOptions(app, global);
    for (const auto& command : commands) {
        command->Declare(app);
    }
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        command->group("Commands");
    }
    ShowToolOptionsInCommandHelp(app);
}

std::string PortsProblem(TGlobalOptions& global, bool severalAllowed) {
    if (!global.ports.empty()) {
        global.link.port = global.ports.front();
    }
    if (global.ports.size() < 2) {
        return {};
    }
    if (!severalAllowed) {
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

} // namespace korvex::cli
