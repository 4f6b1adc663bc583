#pragma once

#include <filesystem>

namespace korvex {

// The folder of the running executable: the data folders are delivered beside it.
std::filesystem::path ExecutableFolder();

} // namespace korvex
