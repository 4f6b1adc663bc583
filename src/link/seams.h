#pragma once

#include <functional>
#include <string>

namespace korvex {

// Lets the window process its messages between blocks of a transfer, so it
// repaints, the log grows and timers fire.
class TMessagePump {
public:
    virtual ~TMessagePump() = default;
    virtual void ProcessMessages() = 0;
};

// The progress gauge: 0..100, shown at once.
class TProgressSink {
public:
    virtual ~TProgressSink() = default;
    virtual void SetProgress(int percent) = 0;
};

// The error dialogs the composite transfers show themselves
// ("Failed to read Pic", "Failed to write card !").
class TLinkPrompts {
public:
    virtual ~TLinkPrompts() = default;
    virtual void ShowLinkError(const std::string& text) = 0;
};

// Runs the card-state poll every interval on the thread of the operations.
class TPollScheduler {
public:
    virtual ~TPollScheduler() = default;
    virtual void Start(int intervalMs, std::function<void()> tick) = 0;
    virtual void Stop() = 0;
};

} // namespace korvex
