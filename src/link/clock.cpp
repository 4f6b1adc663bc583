#include "link/clock.h"

#include <chrono>
#include <thread>

#include <sys/prctl.h>

namespace korvex {

std::int64_t TSteadyClock::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t TSteadyClock::NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TSteadyClock::SleepMs(int ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

void TSteadyClock::SleepMicros(std::int64_t us) {
    if (us > 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(us));
    }
}

TSteadyClock& TSteadyClock::Instance() {
    static TSteadyClock clock;
    return clock;
}

void UsePreciseTimers() {
    ::prctl(PR_SET_TIMERSLACK, 1000UL);
}

} // namespace korvex
