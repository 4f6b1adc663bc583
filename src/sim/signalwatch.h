#pragma once

namespace korvex::sim {

// Takes SIGINT, SIGTERM, SIGHUP, SIGUSR1 and SIGUSR2 out of normal delivery and
// hands them over through a descriptor, so the serving loop waits for them in
// the same poll() as for the line and never misses one that comes early.
class TSignalWatch {
public:
    // Throws ESimSetup when the signals cannot be taken over.
    TSignalWatch();
    ~TSignalWatch();
    TSignalWatch(const TSignalWatch&) = delete;
    TSignalWatch& operator=(const TSignalWatch&) = delete;

    int Fd() const { return fd_; }
    // The next signal that came in, 0 when none is waiting.
    int Take();

private:
    int fd_ = -1;
};

} // namespace korvex::sim
