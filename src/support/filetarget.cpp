#include "support/filetarget.h"

#include "support/errors.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

namespace {

// The same words wherever a path names something other than a file.
const char* NonFileReason(mode_t mode) {
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "is a device, not a file";
    }
    if (S_ISFIFO(mode)) {
        return "is a FIFO (named pipe), not a file";
    }
    if (S_ISSOCK(mode)) {
        return "is a socket, not a file";
    }
    if (S_ISDIR(mode)) {
        return "is a folder, not a file";
    }
    return S_ISREG(mode) ? nullptr : "is not a regular file";
}

[[noreturn]] void Fail(const std::filesystem::path& target, const std::string& what) {
    throw EInOutError(what, target.string());
}

} // namespace

std::filesystem::path ResolveLink(const std::filesystem::path& target) {
    // Each link is read in turn rather than the path made canonical: a link
    // whose file does not exist yet still names where the file goes, and
    // writing the link's own name would put a file in the link's place.
    // As many links in a row as the kernel follows; a loop ends there.
    constexpr int kMaxLinks = 40;
    std::filesystem::path file = target;
    for (int links = 0; links < kMaxLinks; ++links) {
        std::error_code error;
        if (!std::filesystem::is_symlink(file, error)) {
            return file;
        }
        const std::filesystem::path next = std::filesystem::read_symlink(file, error);
        if (error) {
            return file;
        }
        file = next.is_absolute() ? next : file.parent_path() / next;
    }
    return file;
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code errorA;
    std::error_code errorB;
    const std::filesystem::path fileA = std::filesystem::weakly_canonical(ResolveLink(a), errorA);
    const std::filesystem::path fileB = std::filesystem::weakly_canonical(ResolveLink(b), errorB);
    if (!errorA && !errorB && fileA == fileB) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

void RefuseNonFile(const std::filesystem::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (const char* reason = NonFileReason(info.st_mode)) {
            Fail(target, reason);
        }
    }
}

std::string InputFileProblem(const std::filesystem::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? "no such file" : std::strerror(errno);
    }
    const char* reason = NonFileReason(info.st_mode);
    return reason != nullptr ? reason : "";
}

void CheckDestination(const std::filesystem::path& target) {
    RefuseNonFile(target);
    const std::filesystem::path file = ResolveLink(target);
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0 &&
        (::access(file.c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0)) {
        Fail(target, "the file is read-only");
    }
    std::filesystem::path folder = file.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    if (::stat(folder.c_str(), &info) != 0) {
        Fail(target, errno == ENOTDIR ? "a part of " + folder.string() + " is not a folder"
                                      : "the folder " + folder.string() + " does not exist");
    }
    if (!S_ISDIR(info.st_mode)) {
        Fail(target, folder.string() + " is not a folder");
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        Fail(target,
             "cannot create files in " + folder.string() + " (" + std::strerror(errno) + ")");
    }
}

} // namespace korvex
