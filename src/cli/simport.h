#pragma once

#include "link/serialbackend.h"

#include "support/datafolders.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace korvex::cli {

// The built-in simulator behind a port: a programmer with a blank card of the
// named card type, or of the one remembered in the user's settings (the first
// card type when none is). Its memories are kept in the user's settings
// folder (simcard/<card type>/) from one run to the next.
std::function<std::unique_ptr<TSerialBackend>()>
InProcessSimulator(const TPDataFolders& folders, const std::string& cardName = "");

} // namespace korvex::cli
