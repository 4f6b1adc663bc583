#include "link/picprog.h"

#include <algorithm>
#include <cctype>

namespace korvex {

TPPicProg::TPPicProg(TBackendFactory factory, TPicProgSeams seams)
    : clock_(seams.clock != nullptr ? *seams.clock : TSteadyClock::Instance()), seams_(seams),
      port_(std::move(factory)) {}

TPPicProg::~TPPicProg() {
    // Whoever listened may be gone before the driver: its last release
    // tells nobody of a state.
    OnStateChange = nullptr;
    if (connected_) {
        SelectMode(0, 0);
        port_.ClosePort();
    }
    SetPolling(false);
}

void TPPicProg::ProcessMessages() {
    lastPumpMs_ = clock_.NowMs();
    if (seams_.pump != nullptr) {
        seams_.pump->ProcessMessages();
    }
}

void TPPicProg::Pause(int ms) {
    clock_.SleepMs(ms);
}

void TPPicProg::PauseBetweenBlocks() {
    if (delay_ <= kPumpSliceMs) {
        Pause(delay_);
        return;
    }
    const std::int64_t end = clock_.NowMs() + delay_;
    for (std::int64_t left = delay_; left > 0 && !abortRequested_; left = end - clock_.NowMs()) {
        ProcessMessages();
        Pause(static_cast<int>(std::min<std::int64_t>(left, kPumpSliceMs)));
    }
    ProcessMessages();
}

void TPPicProg::Log(std::string line) {
    if (logMemo_ != nullptr) {
        logMemo_->Add(std::move(line));
    }
}

void TPPicProg::ShowProgress(TProgressSink* gauge, int percent) {
    if (gauge != nullptr) {
        gauge->SetProgress(percent);
    }
}

void TPPicProg::ShowError(const std::string& text) {
    if (seams_.prompts != nullptr) {
        seams_.prompts->ShowLinkError(text);
    }
}

void TPPicProg::RaiseStateChange(TPCardState state) {
    if (OnStateChange) {
        OnStateChange(state, *this);
    }
}

void TPPicProg::Judged(TTransportFaultKind meaning) {
    lastAnswer_ = meaning;
    if (meaning != TTransportFaultKind::tfNoAnswer) {
        lastHeardMs_ = clock_.NowMs();
        silenceConfirmed_ = false;
    }
    // A production run waits for the slot to empty before the next card; a
    // card pulled during a transfer, and another put in before the next poll,
    // would otherwise never be seen to go.
    if (meaning == TTransportFaultKind::tfNoCard) {
        LearnState(TPCardState::csCardNotReady);
    }
    // An unplugged programmer is not connected from the moment it is seen to
    // be gone, not from the next poll after the command.
    if (port_.LineGone()) {
        LearnState(TPCardState::csNotConnected);
    }
}

void TPPicProg::LearnState(TPCardState state) {
    if (lastState_ != state) {
        lastState_ = state;
        RaiseStateChange(state);
    }
}

void TPPicProg::ClearFault() {
    lastFault_ = {};
}

bool TPPicProg::BeginTransfer() {
    if (!busy_) {
        ClearFault();
    }
    return Guarded();
}

void TPPicProg::SetFault(TTransportFaultKind kind, char command, int number) {
    lastFault_ = {kind, command, number};
}

void TPPicProg::SetComPort(int number) {
    const int old = comPort_;
    comPort_ = number;
    if (connected_ && old != 0) {
        Disconnect();
    }
}

void TPPicProg::SetComSpeed(TBaudRate speed) {
    comSpeed_ = speed;
    if (connected_) {
        Disconnect();
        Connect();
    }
}

void TPPicProg::SetPollTime(int ms) {
    if (ms <= 0) {
        return;
    }
    pollTime_ = ms;
    if (polling_) {
        SetPolling(true);
    }
}

void TPPicProg::SetPolling(bool on) {
    polling_ = on;
    if (seams_.scheduler == nullptr) {
        return;
    }
    if (on) {
        seams_.scheduler->Start(pollTime_, [this] { Poll(); });
    } else {
        seams_.scheduler->Stop();
    }
}

bool TPPicProg::Connect() {
    port_.SetPortIndex(TComPort::IndexOfComNumber(comPort_));
    port_.SetStopBits(0);
    port_.SetParity(0);
    port_.SetDataBits(3);
    const bool opened = port_.OpenPort();
    if (!opened) {
        Log(port_.LastOpenError());
    }
    RaiseStateChange(TPCardState::csNotConnected);
    connected_ = opened;
    // Whatever ran before may have left the programmer in any mode.
    released_ = false;
    return opened;
}

bool TPPicProg::Disconnect() {
    port_.ClosePort();
    RaiseStateChange(TPCardState::csNotConnected);
    lastState_ = TPCardState::csNotConnected;
    connected_ = false;
    return true;
}

void TPPicProg::ApplyBaudRate(TBaudRate rate) {
    port_.ClosePort();
    port_.SetBaudRate(rate);
    if (!port_.OpenPort()) {
        Log(port_.LastOpenError());
    }
}

void TPPicProg::Poll() {
    if (!connected_ || busy_ || commandRunning_) {
        return;
    }
    TBusyHold hold(busy_);
    ProcessMessages();
    SendFrame(MakeFrame('P', '0', ""));
    TPCardState state = TPCardState::csNotConnected;
    switch (WaitAck(50)) {
    case TReplyResult::rrSuccess:
        state = TPCardState::csCardReady;
        break;
    case TReplyResult::rrDle:
        state = TPCardState::csCardNotReady;
        break;
    default:
        break;
    }
    if (state != lastState_) {
        lastState_ = state;
        RaiseStateChange(state);
    }
}

int TPPicProg::GetFirmwareVersion() {
    if (!connected_ || busy_) {
        return 0;
    }
    SendFrame(MakeFrame('V', 0, ""));
    Pause(50);
    const std::string answer = port_.ReadAll();
    if (answer.size() < 2) {
        return -1;
    }
    if (answer.size() < 5) {
        return 0;
    }
    int number = 0;
    for (std::size_t i = 2; i < 5; ++i) {
        const auto c = static_cast<unsigned char>(answer[i]);
        if (std::isdigit(c) == 0) {
            return 0;
        }
        number = number * 10 + (c - '0');
    }
    // A fourth digit says the number does not stand where it must: a stray
    // byte before the answer has moved it on.
    if (answer.size() > 5 && std::isdigit(static_cast<unsigned char>(answer[5])) != 0) {
        return 0;
    }
    return number == 39 ? -2 : number;
}

void TPPicProg::SelectMode(int mode, int device) {
    if (!connected_) {
        return;
    }
    const char digit = mode >= 1 && mode <= 4 ? static_cast<char>('0' + mode) : '0';
    // Stopping, the programmer is released as far as it answers: once, as
    // each part that ends would release it again, and not at all once a
    // time-out and a poll found it silent.
    if (abortRequested_ && ((digit == '0' && released_) || !Answering())) {
        return;
    }
    const TFrame frame = MakeFrame('A', DeviceDigit(device), std::string(1, digit));
    for (int send = 0; send < 7; ++send) {
        SendFrame(frame);
        if (WaitAck(500) == TReplyResult::rrSuccess) {
            released_ = digit == '0';
            break;
        }
        // A stop releases as far as the programmer answers, in one answer
        // time: the window closing behind it must not wait for seven.
        if (abortRequested_) {
            break;
        }
        // Seven answer times on a programmer that has gone silent are
        // seconds nobody gets back.
        if (lastAnswer_ == TTransportFaultKind::tfNoAnswer && !Answering()) {
            break;
        }
    }
}

bool TPPicProg::Answering() {
    if (lastAnswer_ != TTransportFaultKind::tfNoAnswer) {
        return true;
    }
    if (!connected_ || silenceConfirmed_) {
        return false;
    }
    SendFrame(MakeFrame('P', '0', ""));
    WaitAck(50);
    if (lastAnswer_ != TTransportFaultKind::tfNoAnswer) {
        return true;
    }
    silenceConfirmed_ = true;
    LearnState(TPCardState::csNotConnected);
    return false;
}

} // namespace korvex
