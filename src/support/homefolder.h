#pragma once

#include <filesystem>

namespace korvex {

// The user's home folder: $HOME when it is set, else the home folder of the
// user's account entry; empty when neither is known.
std::filesystem::path HomeFolder();

} // namespace korvex
