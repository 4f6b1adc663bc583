#include "link/pptimer.h"

namespace korvex {

void TPTimer::StartDeadline(int timeoutMs) {
    startMs_ = clock_.NowMs();
    timeoutMs_ = timeoutMs;
}

bool TPTimer::DeadlinePassed() const {
    return clock_.NowMs() > startMs_ + timeoutMs_;
}

int TPTimer::RemainingMs() const {
    const std::int64_t left = startMs_ + timeoutMs_ + 1 - clock_.NowMs();
    return left > 0 ? static_cast<int>(left) : 0;
}

} // namespace korvex
