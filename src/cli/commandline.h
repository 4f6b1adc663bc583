#pragma once

#include "cli/commands/command.h"
#include "cli/session/globaloptions.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <vector>

namespace korvex::cli {

// Declares the tool's options, bound to `global`, then each command with its
// own; the help shows them in this order, each command's help with the
// tool's options it takes.
void DeclareCommandLine(CLI::App& app, TGlobalOptions& global,
                        const std::vector<std::unique_ptr<TCommand>>& commands);

// Several --port are several programmers, which only a command that drives
// them at once takes; each port once, for its journal is the port's. Sets
// the line's port to the first given. Empty: no problem.
std::string PortsProblem(TGlobalOptions& global, bool severalAllowed);

} // namespace korvex::cli
