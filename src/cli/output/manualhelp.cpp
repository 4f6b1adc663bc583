#include "cli/output/manualhelp.h"

#include <sstream>

namespace korvex::cli {

std::string TManualFormatter::make_help(const CLI::App* app, std::string name,
                                        CLI::AppFormatMode mode) const {
    if (mode != CLI::AppFormatMode::All) {
        return Formatter::make_help(app, std::move(name), mode);
    }
    std::string help = Formatter::make_help(app, std::move(name), CLI::AppFormatMode::Normal);
    for (const CLI::App* command : app->get_subcommands({})) {
        help += CommandSection(*command, app->get_name() + " " + command->get_name());
    }
    return help;
}

// "korvex-cli auto:" ends its line, which help2man takes for a heading; the
// description is a paragraph of its own, the arguments and options follow
// as the tool's own options do, and a command's own commands follow it.
std::string TManualFormatter::CommandSection(const CLI::App& command,
                                             const std::string& path) const {
    std::ostringstream out;
    out << '\n' << path << ":\n";
    out << "  " << command.get_description() << "\n\n";
    for (const CLI::Option* option :
         command.get_options([](const CLI::Option* item) { return item->get_positional(); })) {
        out << make_option(option, true);
    }
    for (const CLI::Option* option : command.get_options([&](const CLI::Option* item) {
             return item->nonpositional() && item != command.get_help_ptr() &&
                    item != command.get_help_all_ptr();
         })) {
        out << make_option(option, false);
    }
    for (const CLI::App* inner : command.get_subcommands({})) {
        out << CommandSection(*inner, path + " " + inner->get_name());
    }
    return out.str();
}

} // namespace korvex::cli
