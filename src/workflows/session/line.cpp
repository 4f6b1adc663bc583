#include "workflows/session/line.h"

namespace korvex {

TPortName TPLine::PortName() const {
    return ports_ != nullptr ? TPortName::OfItem(*ports_, comPort_)
                             : TPortName{"COM" + std::to_string(comPort_), false};
}

std::string TPLine::PortDevice() const {
    return ports_ != nullptr ? ports_->PathOf(comPort_) : "COM" + std::to_string(comPort_);
}

void TPLine::Start() {
    prog_ = std::make_unique<TPPicProg>(factory_, seams_);
    prog_->OnStateChange = [this](TPCardState state, TPPicProg&) {
        state_ = state;
        if (OnStateChange) {
            OnStateChange(state);
        }
    };
    prog_->SetComSpeed(speed_);
    prog_->Port().SetBaudRate(speed_);
    prog_->SetPollTime(kPollMs);
    prog_->SetPolling(true);
    prog_->SetDelay(kStartDelayMs);
}

// The release is the last line of a running log; after it the driver
// neither logs nor tells anybody of its state again.
void TPLine::Stop() {
    if (!prog_) {
        return;
    }
    prog_->OnStateChange = nullptr;
    if (prog_->Connected()) {
        Release();
        prog_->Disconnect();
    }
    prog_->SetLogMemo(nullptr);
    prog_.reset();
}

void TPLine::Release() {
    if (!Started() || Silent() || prog_->Released()) {
        return;
    }
    // Stopping: one release, whatever the programmer makes of it.
    prog_->RequestAbort();
    prog_->SelectMode(0, 0);
}

bool TPLine::Silent() const {
    return !Connected() || state_ == TPCardState::csNotConnected || prog_->LineGone() ||
           prog_->LastAnswer() == TTransportFaultKind::tfNoAnswer;
}

void TPLine::ChoosePort(int number) {
    comPort_ = number;
    if (prog_) {
        prog_->SetComPort(number);
        prog_->Disconnect();
        prog_->Connect();
    }
}

void TPLine::ChooseOffline() {
    comPort_ = 0;
    if (prog_) {
        prog_->SetComPort(0);
    }
}

void TPLine::ChooseSpeed(TBaudRate rate) {
    speed_ = rate;
    if (!prog_) {
        return;
    }
    if (prog_->Connected()) {
        prog_->ApplyBaudRate(rate);
    } else {
        prog_->Port().SetBaudRate(rate);
    }
}

void TPLine::PortAction(int number) {
    if (prog_) {
        prog_->SetComPort(number);
        if (number != 0) {
            prog_->Connect();
        }
    }
}

void TPLine::Poll() {
    if (prog_) {
        prog_->Poll();
    }
}

void TPLine::Abandon() {
    if (prog_) {
        prog_->Disconnect();
    }
}

std::optional<int> TPLine::FirmwareVersion() {
    if (!prog_ || prog_->Busy() || !prog_->Connected()) {
        return std::nullopt;
    }
    const int version = prog_->GetFirmwareVersion();
    if (version <= 0) {
        return std::nullopt;
    }
    return version;
}

} // namespace korvex
