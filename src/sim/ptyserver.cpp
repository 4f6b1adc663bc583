#include "sim/ptyserver.h"

#include "link/clock.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace korvex::sim {

namespace {

constexpr std::int64_t kBitsPerByte = 10; // start bit, eight data bits, stop bit
// What a host that stopped reading may leave queued before answers are lost,
// as they would be on a real line.
constexpr std::size_t kMostOutgoing = 64 * 1024;

[[noreturn]] void LineFailed(const char* what) {
    throw ESimSetup(std::string("The pseudo-terminal failed (") + what +
                    "): " + std::strerror(errno));
}

} // namespace

TPtyServer::TPtyServer(TSimDevice& device, TPseudoTerminal& line, TSignalWatch& signals,
                       bool wireTime)
    : device_(device), line_(line), signals_(signals), wireTime_(wireTime) {}

TPtyServer::TEnd TPtyServer::Serve() {
    // Answers are due at their wire time to the microsecond; the default
    // timer slack would let each one go out up to 50 us late.
    UsePreciseTimers();
    for (;;) {
        pollfd fds[2] = {{line_.MasterFd(), POLLIN, 0}, {signals_.Fd(), POLLIN, 0}};
        if (!outgoing_.empty()) {
            fds[0].events |= POLLOUT;
        }
        const int timeoutUs = PollTimeoutUs(TSteadyClock::NowUs());
        timespec timeout{timeoutUs / 1000000, (timeoutUs % 1000000) * 1000L};
        if (ppoll(fds, 2, timeoutUs < 0 ? nullptr : &timeout, nullptr) < 0 && errno != EINTR) {
            LineFailed("poll");
        }
        if ((fds[1].revents & POLLIN) && !HandleSignals()) {
            return TEnd::Stopped;
        }
        // Never with the slave end kept open; a line in that state would
        // wake poll() for ever.
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            errno = EIO;
            LineFailed("line error");
        }
        if (fds[0].revents & POLLIN) {
            TakeInput();
            if (device_.HungUp()) {
                return TEnd::HungUp;
            }
        }
        ReleaseDue(TSteadyClock::NowUs());
        Flush();
    }
}

bool TPtyServer::HandleSignals() {
    for (int signal = signals_.Take(); signal != 0; signal = signals_.Take()) {
        if (signal == SIGUSR1) {
            device_.SetPresent(false);
        } else if (signal == SIGUSR2) {
            device_.SetPresent(true);
        } else {
            return false;
        }
    }
    return true;
}

void TPtyServer::TakeInput() {
    char buffer[4096];
    const ssize_t got = ::read(line_.MasterFd(), buffer, sizeof buffer);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (got <= 0) {
        errno = got == 0 ? EIO : errno;
        LineFailed("read");
    }
    const std::int64_t arrivedUs = TSteadyClock::NowUs();
    // Checked on every piece: the host may reopen the port at another rate.
    const int baud = line_.HostBaud();
    device_.SetHostBaud(baud);
    device_.Receive(std::string_view(buffer, static_cast<std::size_t>(got)));
    for (const TSimFrame& frame : device_.Frames()) {
        if (frame.answer.empty()) {
            continue;
        }
        std::int64_t dueUs = arrivedUs;
        if (wireTime_ && baud > 0) {
            const auto bytes = static_cast<std::int64_t>(frame.wireBytes + frame.answer.size());
            dueUs += bytes * kBitsPerByte * 1000000 / baud;
        }
        scheduled_.push_back({dueUs, frame.answer});
    }
    // The log is for tests of the model; a server running for hours keeps none.
    device_.ClearFrames();
}

void TPtyServer::ReleaseDue(std::int64_t nowUs) {
    while (!scheduled_.empty() && scheduled_.front().dueUs <= nowUs) {
        outgoing_ += scheduled_.front().bytes;
        scheduled_.pop_front();
    }
    if (outgoing_.size() > kMostOutgoing) {
        outgoing_.erase(0, outgoing_.size() - kMostOutgoing);
    }
}

void TPtyServer::Flush() {
    while (!outgoing_.empty()) {
        const ssize_t put = ::write(line_.MasterFd(), outgoing_.data(), outgoing_.size());
        if (put < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                return; // poll() says when the line takes more
            }
            LineFailed("write");
        }
        outgoing_.erase(0, static_cast<std::size_t>(put));
    }
}

int TPtyServer::PollTimeoutUs(std::int64_t nowUs) const {
    if (scheduled_.empty()) {
        return -1;
    }
    return static_cast<int>(std::clamp<std::int64_t>(scheduled_.front().dueUs - nowUs, 0, 1000000));
}

} // namespace korvex::sim
