#include "sim/signalwatch.h"

#include "sim/simcardmodel.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace korvex::sim {

namespace {

sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2}) {
        sigaddset(&set, signal);
    }
    return set;
}

} // namespace

TSignalWatch::TSignalWatch() {
    const sigset_t set = WatchedSignals();
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) {
        throw ESimSetup(std::string("Cannot block the signals: ") + std::strerror(errno));
    }
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0) {
        throw ESimSetup(std::string("Cannot watch the signals: ") + std::strerror(errno));
    }
}

TSignalWatch::~TSignalWatch() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

int TSignalWatch::Take() {
    signalfd_siginfo info{};
    if (::read(fd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) {
        return 0;
    }
    return static_cast<int>(info.ssi_signo);
}

} // namespace korvex::sim
