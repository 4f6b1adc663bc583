#pragma once

#include "link/seams.h"

#include <functional>
#include <string>
#include <vector>

namespace korvex::testing {

// Stand-ins for what the window gives the driver: dialogs that are only
// recorded, a gauge that keeps every value, a pump that counts and can act
// in the middle of a transfer, a poll timer ticked by hand.
class TRecordedPrompts final : public TLinkPrompts {
public:
    void ShowLinkError(const std::string& text) override {
        errors.push_back(text);
        if (onShown) {
            onShown();
        }
    }
    std::vector<std::string> errors;
    // Looks at the rest of the program while the box would be up.
    std::function<void()> onShown;
};

class TRecordedGauge final : public TProgressSink {
public:
    void SetProgress(int percent) override { values.push_back(percent); }
    std::vector<int> values;
};

class TCountingPump final : public TMessagePump {
public:
    void ProcessMessages() override {
        ++count;
        if (during) {
            during();
        }
    }
    int count = 0;
    std::function<void()> during;
};

// A poll scheduler that ticks only when the test says so.
class TManualPollScheduler final : public TPollScheduler {
public:
    void Start(int intervalMs, std::function<void()> tick) override {
        intervalMs_ = intervalMs;
        tick_ = std::move(tick);
        running_ = true;
    }
    void Stop() override { running_ = false; }

    // Runs one tick when started.
    void Tick() {
        if (running_ && tick_) {
            tick_();
        }
    }
    bool Running() const { return running_; }
    int IntervalMs() const { return intervalMs_; }

private:
    std::function<void()> tick_;
    int intervalMs_ = 0;
    bool running_ = false;
};

} // namespace korvex::testing
