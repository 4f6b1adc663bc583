#pragma once

#include "link/serialbackend.h"
#include "sim/simfeeder.h"
#include "support/datafolders.h"

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvex::sim {

// The built-in simulator behind a port: a programmer with a blank card of the
// named card type, or of the one remembered in the user's settings (the first
// card type when none is). Its memories are kept in the user's settings
// folder (simcard/<card type>/) from one run to the next; a kept card that
// cannot be loaded is replaced by a blank one, with one line on `warnings`
// that begins with `program`. With `wireTime` every answer takes as long as
// its bytes would on a line of the chosen speed.
// With `feed` a feeder puts fresh blank cards of the card type in and out
// instead (see TSimFeeder), timed on the steady clock; the kept card is
// neither read nor written. The plan is checked when the simulator is first
// used, which throws ESimSetup for a plan ValidateSimFeedPlan refuses.
struct TSimFeedOptions {
    TSimFeedPlan plan;
    TSimFeeder::TEventHandler onEvent; // each card in and out, as it happens
};
std::function<std::unique_ptr<TSerialBackend>()>
InProcessSimulator(const TPDataFolders& folders, const std::string& cardName = "",
                   std::ostream& warnings = std::cerr, std::string_view program = "korvex-cli",
                   bool wireTime = false, std::optional<TSimFeedOptions> feed = std::nullopt);

} // namespace korvex::sim
