#pragma once

#include <CLI/CLI.hpp>

namespace korvex::cli {

// A connection string is refused before anything else is done with it, in
// words that never hold its password.
CLI::Validator DatabaseCheck();

} // namespace korvex::cli
