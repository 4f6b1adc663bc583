#include "support/readfile.h"

#include "support/errors.h"
#include "support/filetarget.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

TReadOnlyFile::TReadOnlyFile(const std::filesystem::path& file) : path_(file) {
    // Opening a FIFO waits for a writer that may never come (a production
    // record named as one blocked the run for ever): anything but a file is
    // refused before it is opened, and the open itself never waits.
    if (const std::string problem = InputFileProblem(file); !problem.empty()) {
        throw EInOutError(problem, file.string());
    }
    fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        Fail(errno);
    }
    struct stat info {};
    int error = 0;
    if (::fstat(fd_, &info) != 0) {
        error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(info.st_mode)) {
        error = EINVAL; // swapped in after the check
    }
    if (error != 0) {
        ::close(fd_);
        fd_ = -1;
        Fail(error);
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
}

TReadOnlyFile::~TReadOnlyFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void TReadOnlyFile::Fail(int error) const {
    if (error == ENOENT) {
        throw EInOutError("no such file", path_.string());
    }
    throw EInOutError(std::strerror(error), path_.string());
}

std::string TReadOnlyFile::Read(std::uint64_t offset, std::uint64_t count) const {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got =
            ::pread(fd_, bytes.data() + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

std::string ReadWholeFile(const std::filesystem::path& file) {
    return TReadOnlyFile(file).ReadAll();
}

std::optional<std::string> ReadFileIfExists(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        if (error) {
            throw EInOutError(error.message(), file.string());
        }
        return std::nullopt;
    }
    return ReadWholeFile(file);
}

} // namespace korvex
