#pragma once

#include "link/clock.h"

#include <cstdint>

namespace korvex::testing {

// A clock that never really sleeps: sleeping moves its time on, so waits and
// deadlines run instantly and the same way every time.
class TFakeClock final : public TClock {
public:
    explicit TFakeClock(std::int64_t startMs = 1000) : nowMs_(startMs) {}

    std::int64_t NowMs() override { return nowMs_; }
    void SleepMs(int ms) override {
        ++sleeps_;
        if (ms > 0) {
            nowMs_ += ms;
            sleptMs_ += ms;
        }
    }

    void Advance(std::int64_t ms) { nowMs_ += ms; }
    int Sleeps() const { return sleeps_; }
    std::int64_t SleptMs() const { return sleptMs_; }

private:
    std::int64_t nowMs_;
    std::int64_t sleptMs_ = 0;
    int sleeps_ = 0;
};

} // namespace korvex::testing
