#include "support/logfile.h"

#include "support/errors.h"
#include "support/filetarget.h"
#include "support/logmemo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace korvex {

TPLogFile::TPLogFile(const std::filesystem::path& file) : file_(file) {
    CheckDestination(file);
    // Not waiting on a FIFO swapped in since the check: it is refused below.
    fd_ = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC | O_NONBLOCK,
                 0666);
    if (fd_ < 0) {
        throw EInOutError(std::string("Cannot write: ") + std::strerror(errno), file.string());
    }
    RefuseNonFile(file);
}

TPLogFile::~TPLogFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void TPLogFile::Add(std::string_view line) {
    if (!error_.empty()) {
        return;
    }
    // One write per line, straight to the file: no buffer of ours to lose.
    const std::string text = DisplayLogLine(line) + '\n';
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd_, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error_ =
                file_.string() + ": Cannot write: " + std::strerror(written < 0 ? errno : ENOSPC);
            return;
        }
        done += static_cast<std::size_t>(written);
    }
}

} // namespace korvex
