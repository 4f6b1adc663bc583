#pragma once

#include "cli/session/cardsession.h"

#include <string>
#include <vector>

namespace korvex::cli {

// A file named on the command line that cannot be written ends the run
// before anything is sent, with the error a failed save gives after it; so
// do two results named into one file, where the second would replace the
// first. Empty names are passed over.
bool DestinationsUsable(TCardSession& session, const std::vector<std::string>& files);

} // namespace korvex::cli
