#pragma once

#include <cstdint>

namespace korvex {

// Milliseconds for deadlines and the pauses the protocol mandates. Tests that
// must be instant use a clock whose sleep only moves time on.
class TClock {
public:
    virtual ~TClock() = default;
    virtual std::int64_t NowMs() = 0;
    virtual void SleepMs(int ms) = 0;
};

// The steady system clock; sleeps really sleep.
class TSteadyClock final : public TClock {
public:
    std::int64_t NowMs() override;
    void SleepMs(int ms) override;
    // Microseconds, for wire-time emulation and measurements.
    static std::int64_t NowUs();

    static TSteadyClock& Instance();
};

} // namespace korvex
