#pragma once

#include "link/seams.h"

#include <functional>
#include <string>

namespace korvex::cli {

// SIGINT, SIGTERM and SIGHUP during a run. The first one only takes note:
// the running transfer stops at its next block (TInterruptPump), the
// programmer is released, the port put back and the log written as at any
// other end, and the run exits with 128 + the signal. A second one ends the
// process at once, with 128 + its number, for a run that will not stop.
class TInterrupts {
public:
    // Takes the three signals over for the object's life. No SA_RESTART: a
    // blocked read of a question's answer returns at once.
    TInterrupts();
    ~TInterrupts();
    TInterrupts(const TInterrupts&) = delete;
    TInterrupts& operator=(const TInterrupts&) = delete;

    // The first signal that came, 0 while none has.
    static int Received();
    // `code`, or 128 + the signal once one came.
    static int ExitCode(int code);
    // The signal was the run's normal end (a production run ends so): the
    // exit code is the run's own, and a further signal counts as a first.
    static void Acknowledge();
    // "SIGINT", "SIGTERM" or "SIGHUP".
    static std::string Name(int signal);
};

// The driver's message pump in korvex-cli: once a signal has come, it asks
// for the transfer to stop; the driver calls it between blocks and in each poll.
class TInterruptPump final : public TMessagePump {
public:
    explicit TInterruptPump(std::function<void()> stop) : stop_(std::move(stop)) {}
    void ProcessMessages() override;

private:
    std::function<void()> stop_;
};

} // namespace korvex::cli
