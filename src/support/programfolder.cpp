#include "support/programfolder.h"

#include <system_error>

namespace korvex {

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path();
    }
    return self.parent_path();
}

} // namespace korvex
