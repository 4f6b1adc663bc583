#include "support/programfolder.h"

#include <system_error>

namespace korvex {

namespace {

// Every data folder has the card catalogues; an executable's folder that
// happens to hold other things is no data folder.
bool HoldsData(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_directory(folder / "cards", error);
}

} // namespace

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path();
    }
    return self.parent_path();
}

std::filesystem::path ShippedDataFolder(const std::filesystem::path& executableFolder,
                                        const std::filesystem::path& installedRelative,
                                        const std::filesystem::path& installedAbsolute) {
    if (HoldsData(executableFolder)) {
        return executableFolder;
    }
    const std::filesystem::path moved = (executableFolder / installedRelative).lexically_normal();
    if (HoldsData(moved)) {
        return moved;
    }
    return installedAbsolute;
}

std::filesystem::path ShippedDataFolder() {
    return ShippedDataFolder(ExecutableFolder(), KORVEX_INSTALL_DATA_RELATIVE,
                             KORVEX_INSTALL_DATA_DIR);
}

} // namespace korvex
