#pragma once

#include "link/seams.h"
#include "workflows/presenter/mainview.h"

#include <QTimer>

#include <functional>

namespace korvex::gui {

// Lets the window repaint, grow its log and fire its timers between the
// blocks of a transfer. The transfer waits on the line between calls, so
// this never spins.
class TQtMessagePump final : public TMessagePump {
public:
    void ProcessMessages() override;
};

// The card-state poll on a window timer.
class TQtPollScheduler final : public TPollScheduler {
public:
    void Start(int intervalMs, std::function<void()> tick) override;
    void Stop() override;
    bool Running() const { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> tick_;
};

// The gauge and the window's notifications go to a window made after the
// workflows that report to it.
class TProgressRelay final : public TProgressSink {
public:
    void SetTarget(TProgressSink* target) { target_ = target; }
    void SetProgress(int percent) override {
        if (target_ != nullptr) {
            target_->SetProgress(percent);
        }
    }

private:
    TProgressSink* target_ = nullptr;
};

class TViewRelay final : public TMainView {
public:
    void SetTarget(TMainView* target) { target_ = target; }
    void ShowReadBack(TPReadBack& readBack) override;
    void ShowFileView(const std::filesystem::path& file, bool eepromKind, bool avrKind) override;
    void OpenDocument(const std::string& target) override;
    void RequestClose() override;

private:
    TMainView* target_ = nullptr;
};

} // namespace korvex::gui
