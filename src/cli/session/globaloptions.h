#pragma once

#include "cli/session/linkoptions.h"

#include <string>
#include <vector>

namespace korvex::cli {

// What every command shares: the tool's own options.
struct TGlobalOptions {
    std::string dataDir;
    LinkOptions link; // its port: the first --port
    // Every --port given: auto --watch drives a programmer on each.
    std::vector<std::string> ports;
    std::string card; // empty: the remembered card type
    bool yes = false;
    bool quiet = false;
    // The result as one JSON object on stdout; the messages go to stderr.
    bool json = false;
};

} // namespace korvex::cli
