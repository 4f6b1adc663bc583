#pragma once

#include <filesystem>

namespace korvex {

// The folder of the running executable.
std::filesystem::path ExecutableFolder();

// The folder of the shipped data (cards/, lang/, options/, defaults/, ...)
// for this executable, as the rule below finds it with the paths the build
// was configured to install to.
std::filesystem::path ShippedDataFolder();

// The rule: the executable's own folder when the data is beside it (a build
// tree, a portable copy); else `installedRelative` taken from the
// executable's folder, when there, so that an install moved as a whole (a
// staging root, an unpacked package) finds its own data; else
// `installedAbsolute`, the configured install path.
std::filesystem::path ShippedDataFolder(const std::filesystem::path& executableFolder,
                                        const std::filesystem::path& installedRelative,
                                        const std::filesystem::path& installedAbsolute);

} // namespace korvex
