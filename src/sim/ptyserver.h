#pragma once

#include "sim/pseudoterminal.h"
#include "sim/signalwatch.h"
#include "sim/simdevice.h"

#include <cstdint>
#include <deque>
#include <string>

namespace korvex::sim {

// Serves the simulated programmer on a pseudo-terminal: takes what the host
// writes, hands it to the device and writes the answers back, each, with wire
// time, only once the frame and the answer would have crossed the line at the
// host's rate since the frame's last byte came in. Waits in poll() only.
class TPtyServer {
public:
    enum class TEnd { Stopped, HungUp };

    TPtyServer(TSimDevice& device, TPseudoTerminal& line, TSignalWatch& signals, bool wireTime);

    // Until SIGINT, SIGTERM or SIGHUP (its terminal closed), or the device's
    // line goes away. SIGUSR1 pulls
    // the card out, SIGUSR2 puts it back. Throws ESimSetup when the line fails.
    TEnd Serve();

private:
    struct TScheduled {
        std::int64_t dueUs = 0;
        std::string bytes;
    };

    void TakeInput();
    bool HandleSignals(); // false: stop
    void ReleaseDue(std::int64_t nowUs);
    void Flush();
    int PollTimeoutUs(std::int64_t nowUs) const;

    TSimDevice& device_;
    TPseudoTerminal& line_;
    TSignalWatch& signals_;
    bool wireTime_;
    std::deque<TScheduled> scheduled_; // answers waiting for their wire time, in order
    std::string outgoing_;             // due, not yet taken by the line
};

} // namespace korvex::sim
