#include "support/homefolder.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace korvex {

std::filesystem::path HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
        return entry->pw_dir;
    }
    return {};
}

} // namespace korvex
