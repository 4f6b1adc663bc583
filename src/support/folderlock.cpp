#include "support/folderlock.h"

#include "support/errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace korvex {

TFolderLock::TFolderLock(const std::filesystem::path& folder) {
    const std::filesystem::path where = folder.empty() ? std::filesystem::path(".") : folder;
    fd_ = ::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        throw EInOutError(std::string("Cannot open the folder: ") + std::strerror(errno),
                          where.string());
    }
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            ::close(fd_);
            throw EInOutError(std::string("Cannot lock the folder: ") + std::strerror(error),
                              where.string());
        }
    }
}

TFolderLock::~TFolderLock() {
    ::close(fd_); // also releases the lock
}

} // namespace korvex
