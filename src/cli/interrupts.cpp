#include "cli/interrupts.h"

#include "link/picprog.h"

#include <array>
#include <csignal>
#include <unistd.h>

namespace korvex::cli {

namespace {

constexpr std::array<int, 3> kStopSignals = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t gReceived = 0;
std::array<struct sigaction, kStopSignals.size()> gPrevious{};

// Only what is safe in a signal handler: one flag, or the immediate end.
extern "C" void OnStopSignal(int signal) {
    if (gReceived != 0) {
        ::_exit(128 + signal);
    }
    gReceived = signal;
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
    return gReceived;
}

void TInterrupts::Acknowledge() {
    gReceived = 0;
}

int TInterrupts::ExitCode(int code) {
    return gReceived != 0 ? 128 + gReceived : code;
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
    if (gReceived != 0 && stop_) {
        stop_();
    }
}

} // namespace korvex::cli
