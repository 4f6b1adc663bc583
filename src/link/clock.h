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
    // Microseconds, for the time a byte takes on the line (87 us at 115200
    // baud): a clock that keeps whole milliseconds counts them in thousands
    // and sleeps the milliseconds that cover the wait.
    virtual std::int64_t MicrosNow() { return NowMs() * 1000; }
    virtual void SleepMicros(std::int64_t us) { SleepMs(static_cast<int>((us + 999) / 1000)); }
};

// The steady system clock; sleeps really sleep.
class TSteadyClock final : public TClock {
public:
    std::int64_t NowMs() override;
    void SleepMs(int ms) override;
    std::int64_t MicrosNow() override { return NowUs(); }
    void SleepMicros(std::int64_t us) override;
    // Microseconds, for wire-time emulation and measurements.
    static std::int64_t NowUs();

    static TSteadyClock& Instance();
};

// Asks the system to wake this process on time rather than up to 50 us late
// when a sleep or a wait ends: the protocol's pauses are a few milliseconds
// each, and a line at 115200 baud carries a byte every 87 us.
void UsePreciseTimers();

} // namespace korvex
