#include "link/posixserial.h"

#include "link/serialdevices.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace korvex {

namespace {

speed_t SpeedOf(int baud) {
    switch (baud) {
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 1800:
        return B1800;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B9600;
    }
}

tcflag_t DataBitsFlag(int dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

tcflag_t ParityFlags(int parity) {
    switch (parity) {
    case 1:
        return PARENB | PARODD;
    case 2:
        return PARENB;
    case 3:
        return PARENB | CMSPAR | PARODD;
    case 4:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

} // namespace

termios RawLineFor(const termios& original, const TLineSettings& settings) {
    termios line = original;
    ::cfmakeraw(&line);
    line.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    line.c_cflag |= CLOCAL | CREAD | DataBitsFlag(settings.dataBits) | ParityFlags(settings.parity);
    // There is no one-and-a-half on this interface; two is the nearest the
    // receiver on the other end will accept.
    if (settings.stopBits == 1 || settings.stopBits == 2) {
        line.c_cflag |= CSTOPB;
    }
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    ::cfsetispeed(&line, SpeedOf(settings.baud));
    ::cfsetospeed(&line, SpeedOf(settings.baud));
    return line;
}

namespace {

// How long a full transmit queue may go without taking a byte before the
// line counts as stuck. A UART's queue holds a page and reports room again
// only when nearly empty, so the bound covers draining a whole page at the
// line's speed, plus some slack for the far end.
int WriteStallMs(const TLineSettings& settings) {
    constexpr long long kQueueBytes = 4096;
    const int bitsPerChar = 1 + settings.dataBits + (settings.parity != 0 ? 1 : 0) + 2;
    const int baud = SpeedOf(settings.baud) == B9600 ? 9600 : settings.baud;
    return 500 + static_cast<int>(kQueueBytes * bitsPerChar * 1000 / baud);
}

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// poll() on one descriptor until it reports or the deadline passes; a signal
// only shortens the wait it interrupted. Returns the reported events, 0 when
// the time ran out.
short PollUntil(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, RemainingMs(deadline));
        if (ready > 0) {
            return entry.revents;
        }
        if (ready == 0 || errno != EINTR) {
            return 0;
        }
    }
}

} // namespace

TPosixSerialBackend::TPosixSerialBackend(std::string devicePath) : path_(std::move(devicePath)) {}

TPosixSerialBackend::~TPosixSerialBackend() {
    Close();
}

TOpenResult TPosixSerialBackend::Fail(int errnoValue) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    return {false, DescribeOpenError(errnoValue, path_)};
}

TOpenResult TPosixSerialBackend::Open(const TLineSettings& settings) {
    if (fd_ >= 0) {
        return {true, {}};
    }
    fd_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        return Fail(errno);
    }
    if (::tcgetattr(fd_, &original_) != 0) {
        return Fail(errno == EINVAL ? ENOTTY : errno);
    }
    // TIOCEXCL does not hold back a privileged opener; the advisory lock also
    // keeps out a second copy of this program running as root.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        return Fail(EBUSY);
    }
    if (::ioctl(fd_, TIOCEXCL) != 0) {
        return Fail(errno);
    }
    const termios line = RawLineFor(original_, settings);
    if (::tcsetattr(fd_, TCSANOW, &line) != 0) {
        const int error = errno;
        ::ioctl(fd_, TIOCNXCL);
        return Fail(error);
    }
    gone_ = false;
    // Bytes that reached the line before it was ours (the answer to a run
    // that ended before it came) would pass for the answer to the first frame.
    ::tcflush(fd_, TCIOFLUSH);
    writeStallMs_ = WriteStallMs(settings);
    return {true, {}};
}

void TPosixSerialBackend::Close() {
    if (fd_ < 0) {
        return;
    }
    // The exclusive flag outlives this descriptor on a pseudo-terminal whose
    // other end stays open, so it is cleared explicitly.
    ::tcsetattr(fd_, TCSANOW, &original_);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

bool TPosixSerialBackend::WaitWritable() {
    const short events =
        PollUntil(fd_, POLLOUT, Clock::now() + std::chrono::milliseconds(writeStallMs_));
    return (events & POLLOUT) != 0 && (events & (POLLERR | POLLHUP | POLLNVAL)) == 0;
}

std::size_t TPosixSerialBackend::Write(std::string_view bytes) {
    if (fd_ < 0) {
        return 0;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitWritable()) {
            continue;
        }
        gone_ = gone_ || (written < 0 && (errno == EIO || errno == ENXIO || errno == ENODEV));
        break;
    }
    return done;
}

int TPosixSerialBackend::BytesWaiting() {
    int count = 0;
    if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &count) != 0 || count < 0) {
        return 0;
    }
    return count;
}

std::size_t TPosixSerialBackend::Read(char* buffer, std::size_t max) {
    if (fd_ < 0 || max == 0) {
        return 0;
    }
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, max);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

void TPosixSerialBackend::PurgeInput() {
    // Flushing an empty queue still costs a round through the terminal layer
    // (tens of microseconds on a pseudo-terminal, before every frame); bytes
    // not yet in the queue would arrive just after a flush all the same.
    if (fd_ >= 0 && BytesWaiting() > 0) {
        ::tcflush(fd_, TCIFLUSH);
    }
}

void TPosixSerialBackend::PurgeOutput() {
    if (fd_ >= 0) {
        ::tcflush(fd_, TCOFLUSH);
    }
}

bool TPosixSerialBackend::WaitForInput(int timeoutMs) {
    if (fd_ < 0) {
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    const short events = PollUntil(fd_, POLLIN, deadline);
    if (events == 0) {
        return false;
    }
    if (BytesWaiting() > 0) {
        return true;
    }
    // Readable with nothing to read means the line is gone (unplugged, or
    // the far end of a pseudo-terminal closed): poll reports that at once
    // every time, so the rest of the bound is slept here instead.
    gone_ = true;
    std::this_thread::sleep_until(deadline);
    return false;
}

} // namespace korvex
