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

void TViewRelay::ShowStatus(const std::string& caption, TStatusColour colour) {
    if (target_ != nullptr) {
        target_->ShowStatus(caption, colour);
    }
}

void TViewRelay::ShowFileRow(TFileRow row, const TRowStatus& status) {
    if (target_ != nullptr) {
        target_->ShowFileRow(row, status);
    }
}

void TViewRelay::ShowFieldText(TFileRow row, const std::string& text) {
    if (target_ != nullptr) {
        target_->ShowFieldText(row, text);
    }
}

void TViewRelay::ShowCardLayout(const TCardLayout& layout) {
    if (target_ != nullptr) {
        target_->ShowCardLayout(layout);
    }
}

void TViewRelay::ShowDescription(const std::string& text) {
    if (target_ != nullptr) {
        target_->ShowDescription(text);
    }
    if (OnCardShown) {
        OnCardShown();
    }
}

void TViewRelay::ShowFuses(const TFuseChoices& fuses) {
    if (target_ != nullptr) {
        target_->ShowFuses(fuses);
    }
}

void TViewRelay::ShowWindowCaption(const std::string& caption) {
    if (target_ != nullptr) {
        target_->ShowWindowCaption(caption);
    }
}

void TViewRelay::ShowPortChoice(int comPort) {
    if (target_ != nullptr) {
        target_->ShowPortChoice(comPort);
    }
}

void TViewRelay::ShowSpeedChoice(TBaudRate rate) {
    if (target_ != nullptr) {
        target_->ShowSpeedChoice(rate);
    }
}

void TViewRelay::ShowLanguage() {
    if (target_ != nullptr) {
        target_->ShowLanguage();
    }
}

void TViewRelay::EnableCommands(bool enabled) {
    if (target_ != nullptr) {
        target_->EnableCommands(enabled);
    }
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

void TViewRelay::ShowNote(const std::string& text) {
    if (target_ != nullptr) {
        target_->ShowNote(text);
    }
}

void TViewRelay::ShowResult() {
    if (target_ != nullptr) {
        target_->ShowResult();
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
