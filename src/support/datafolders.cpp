#include "support/datafolders.h"

#include "support/errors.h"
#include "support/homefolder.h"

#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace korvex {

namespace {

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// As the atomic writer judges it: root passes access() on any file, so a
// file nobody may write (no write bits) counts as read-only for root too.
bool MayReplace(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return true; // not there: nothing to replace
    }
    return ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0 &&
           (status.st_mode & 0222) != 0;
}

} // namespace

std::filesystem::path TPDataFolders::DefaultUserFolder() {
    // A relative XDG_DATA_HOME is invalid by the XDG rules and is ignored.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data == '/') {
        return std::filesystem::path(data) / "korvex";
    }
    const std::filesystem::path home = HomeFolder();
    if (home.empty()) {
        return {};
    }
    return home / ".local" / "share" / "korvex";
}

std::filesystem::path TPDataFolders::FindFile(const std::filesystem::path& relative) const {
    if (HasUserFolder() && Exists(user / relative)) {
        return user / relative;
    }
    return program / relative;
}

std::filesystem::path TPDataFolders::WriteTarget(const std::filesystem::path& relative) const {
    if (!HasUserFolder()) {
        return program / relative;
    }
    const std::filesystem::path own = user / relative;
    if (Exists(own)) {
        return own;
    }
    const std::filesystem::path shipped = program / relative;
    std::error_code error;
    if (std::filesystem::is_directory(shipped.parent_path(), error) &&
        MayChange(shipped.parent_path()) && MayReplace(shipped)) {
        return shipped;
    }
    return own;
}

std::filesystem::path TPDataFolders::PrepareWrite(const std::filesystem::path& relative) const {
    std::filesystem::path target = WriteTarget(relative);
    if (HasUserFolder() && target == user / relative) {
        std::error_code error;
        std::filesystem::create_directories(target.parent_path(), error);
        if (error) {
            // Named after the shipped file: that is the one the user knows.
            throw EInOutError("Cannot write it, nor create " + target.parent_path().string() +
                                  " for a copy of your own: " + error.message(),
                              (program / relative).string());
        }
    }
    return target;
}

std::vector<std::filesystem::path>
TPDataFolders::List(const std::filesystem::path& subfolder) const {
    std::map<std::filesystem::path, std::filesystem::path> byName;
    // The program folder first, so the user's entry of the same name replaces it.
    for (const std::filesystem::path* folder : {&program, &user}) {
        if (folder->empty()) {
            continue;
        }
        std::error_code error;
        for (std::filesystem::directory_iterator it(*folder / subfolder, error), end;
             !error && it != end; it.increment(error)) {
            byName[it->path().filename()] = it->path();
        }
    }
    std::vector<std::filesystem::path> entries;
    entries.reserve(byName.size());
    for (auto& [name, path] : byName) {
        entries.push_back(std::move(path));
    }
    return entries;
}

bool TPDataFolders::MayChange(const std::filesystem::path& folder) {
    return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

} // namespace korvex
