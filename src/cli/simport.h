#pragma once

#include "link/serialbackend.h"

#include "support/datafolders.h"

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

namespace korvex::cli {

// The built-in simulator behind a port: a programmer with a blank card of the
// named card type, or of the one remembered in the user's settings (the first
// card type when none is). Its memories are kept in the user's settings
// folder (simcard/<card type>/) from one run to the next; a kept card that
// cannot be loaded is replaced by a blank one, with one line on `warnings`.
std::function<std::unique_ptr<TSerialBackend>()>
InProcessSimulator(const TPDataFolders& folders, const std::string& cardName = "",
                   std::ostream& warnings = std::cerr);

} // namespace korvex::cli
