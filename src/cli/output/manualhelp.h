#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace korvex::cli {

// The tool's help as the parser knows it. --help-all gives the whole tool:
// its options and commands, then each command under a heading of its own
// with its arguments and options, in a layout help2man makes the manual page
// of. Drawn from the parser, so no command or option added to it can be
// missing from the page.
class TManualFormatter : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override;

private:
    // `path`: the command as it is typed, "korvex-cli records audit".
    std::string CommandSection(const CLI::App& command, const std::string& path) const;
};

} // namespace korvex::cli
