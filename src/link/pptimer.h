#pragma once

#include "link/clock.h"

#include <cstdint>

namespace korvex {

// The deadline of one wait for the programmer.
class TPTimer {
public:
    explicit TPTimer(TClock& clock) : clock_(clock) {}

    void StartDeadline(int timeoutMs);
    // True once the clock has gone past start + timeout.
    bool DeadlinePassed() const;
    // Milliseconds until DeadlinePassed turns true (at least 1 while it is
    // false), 0 once it has: the bound for a wait on the line.
    int RemainingMs() const;

private:
    TClock& clock_;
    std::int64_t startMs_ = 0;
    int timeoutMs_ = 0;
};

} // namespace korvex
