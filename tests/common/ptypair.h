#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

namespace korvex::testing {

// A pseudo-terminal: the slave path stands in for a serial device, the test
// plays the far end on the master. Every wait on the master is bounded so a
// test fails instead of hanging.
class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        char name[128];
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name, sizeof name) != 0) {
            CloseMaster();
            throw std::runtime_error("cannot create a pseudo-terminal");
        }
        slavePath_ = name;
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int MasterFd() const { return master_; }

    // The far end goes away: the slave side sees a hang-up.
    void CloseMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

    // False when the slave side took no byte for timeoutMs.
    bool Write(std::string_view bytes, int timeoutMs = 2000) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(master_, bytes.data(), bytes.size());
            if (n > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(n));
            } else if (!Retry(POLLOUT, timeoutMs)) {
                return false;
            }
        }
        return true;
    }

    // Collects up to `count` bytes; stops early when nothing came for
    // timeoutMs or the slave side was closed.
    std::string Read(std::size_t count, int timeoutMs = 2000) {
        std::string got;
        char buffer[4096];
        while (got.size() < count) {
            const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n > 0) {
                got.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || !Retry(POLLIN, timeoutMs)) {
                break;
            }
        }
        return got;
    }

private:
    // After a failed call: whether trying again may help.
    bool Retry(short events, int timeoutMs) {
        if (errno == EINTR) {
            return true;
        }
        pollfd entry{master_, events, 0};
        return errno == EAGAIN && ::poll(&entry, 1, timeoutMs) > 0 && (entry.revents & events);
    }

    int master_ = -1;
    std::string slavePath_;
};

} // namespace korvex::testing
