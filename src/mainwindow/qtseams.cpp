#include "mainwindow/qtseams.h"

#include <QCoreApplication>

namespace korvex::gui {

void TQtMessagePump::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TQtPollScheduler::Start(int intervalMs, std::function<void()> tick) {
    tick_ = std::move(tick);
    timer_.disconnect();
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (tick_) {
            tick_();
        }
    });
    timer_.start(intervalMs);
}

void TQtPollScheduler::Stop() {
    timer_.stop();
}

void TViewRelay::ShowReadBack(TPReadBack& readBack) {
    if (target_ != nullptr) {
        target_->ShowReadBack(readBack);
    }
}

void TViewRelay::ShowFileView(const std::filesystem::path& file, bool eepromKind, bool avrKind) {
    if (target_ != nullptr) {
        target_->ShowFileView(file, eepromKind, avrKind);
    }
}

void TViewRelay::OpenDocument(const std::string& target) {
    if (target_ != nullptr) {
        target_->OpenDocument(target);
    }
}

void TViewRelay::RequestClose() {
    if (target_ != nullptr) {
        target_->RequestClose();
    }
}

} // namespace korvex::gui
