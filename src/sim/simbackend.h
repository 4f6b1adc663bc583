#pragma once

#include "link/clock.h"
#include "link/serialbackend.h"
#include "sim/simdevice.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace korvex::sim {

// The simulated programmer behind the serial backend interface, in-process.
// Answers are readable at once, or, with wire time, when the bytes of the
// frame and of the answer would have crossed the line at the host's rate,
// measured on the given clock (a test clock that moves only on sleep keeps
// tests instant).
class TSimBackend final : public TSerialBackend {
public:
    TSimBackend(TSimDevice& device, TClock& clock, bool wireTime);

    TOpenResult Open(const TLineSettings& settings) override;
    void Close() override;
    bool IsOpen() const override { return open_; }

    std::size_t Write(std::string_view bytes) override;
    int BytesWaiting() override;
    std::size_t Read(char* buffer, std::size_t max) override;
    // Drops every answer byte not read yet, due or not.
    void PurgeInput() override { pending_.clear(); }
    // What the host wrote reached the device at once: nothing to drop.
    void PurgeOutput() override {}
    bool WaitForInput(int timeoutMs) override;
    // The simulated line hung up (the hangup fault).
    bool Gone() const override { return open_ && device_.HungUp(); }

    const TLineSettings& Settings() const { return settings_; }

private:
    struct TPending {
        std::int64_t dueUs = 0; // on the clock's microseconds
        std::string bytes;
    };

    TSimDevice& device_;
    TClock& clock_;
    bool wireTime_;
    bool open_ = false;
    TLineSettings settings_;
    std::deque<TPending> pending_; // in the order the device answered
};

// One backend on `device`, whatever port it is asked for.
std::unique_ptr<TSerialBackend> MakeSimulatorBackend(TSimDevice& device, TClock& clock,
                                                     bool wireTime = false);
// A factory for TComPort that hands out such backends; device and clock must
// outlive it.
TBackendFactory SimulatorBackendFactory(TSimDevice& device, TClock& clock, bool wireTime = false);

} // namespace korvex::sim
