#include "cli/session/interrupts.h"

#include "link/picprog.h"

#include <array>
#include <atomic>
#include <csignal>
#include <unistd.h>

namespace korvex::cli {

namespace {

constexpr std::array<int, 3> kStopSignals = {SIGINT, SIGTERM, SIGHUP};

// Read by every programmer's thread of a run with several: an atomic that
// needs no lock is safe in the handler and between the threads alike.
std::atomic<int> gReceived{0};
static_assert(std::atomic<int>::is_always_lock_free);
std::array<struct sigaction, kStopSignals.size()> gPrevious{};

// Only what is safe in a signal handler: one flag, or the immediate end.
extern "C" void OnStopSignal(int signal) {
    if (gReceived.load() != 0) {
        ::_exit(128 + signal);
    }
    gReceived.store(signal);
}

} // namespace

TInterrupts::TInterrupts() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        ::sigaction(kStopSignals[i], &action, &gPrevious[i]);
    }
}

TInterrupts::~TInterrupts() {
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        ::sigaction(kStopSignals[i], &gPrevious[i], nullptr);
    }
}

int TInterrupts::Received() {
    return gReceived.load();
}

void TInterrupts::Acknowledge() {
    gReceived.store(0);
}

int TInterrupts::ExitCode(int code) {
    const int signal = gReceived.load();
    return signal != 0 ? 128 + signal : code;
}

std::string TInterrupts::Name(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        break;
    }
    return "signal " + std::to_string(signal);
}

void TInterruptPump::ProcessMessages() {
    const bool asked = gReceived.load() != 0;
    if (asked && stop_) {
        stop_();
    }
}

} // namespace korvex::cli
