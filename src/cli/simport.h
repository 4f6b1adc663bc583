#pragma once

#include "link/serialbackend.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace korvex::cli {

// The built-in simulator behind a port: a programmer with a blank card of the
// card type remembered in the user's settings (the first card type when none
// is), alive for the whole run so its memories persist between commands.
std::function<std::unique_ptr<TSerialBackend>()>
InProcessSimulator(const std::filesystem::path& programFolder);

} // namespace korvex::cli
