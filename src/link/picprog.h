#pragma once

#include "link/baudrate.h"
#include "link/cardstate.h"
#include "link/clock.h"
#include "link/comport.h"
#include "link/frames.h"
#include "link/seams.h"
#include "link/transportfault.h"
#include "support/logmemo.h"

#include <functional>
#include <string>
#include <string_view>

namespace korvex {

class TPTimer;

// What the driver needs from the program around it. Absent seams do nothing
// (no pump, no dialogs, no timer); the clock defaults to the steady clock.
// Seams and an attached log memo must outlive the driver: closing it releases
// the programmer (logged) and stops the poll.
struct TPicProgSeams {
    TClock* clock = nullptr;
    TMessagePump* pump = nullptr;
    TLinkPrompts* prompts = nullptr;
    TPollScheduler* scheduler = nullptr;
};

// The three texts a processor read brings back.
struct TPicReadResult {
    std::string config;
    std::string program;
    std::string data;
    bool ok = false;
};

// Driver of the card programmer: frames, answers, the card-state poll and the
// block transfers of every memory. It never throws; every operation returns
// its outcome and, while a log memo is attached, logs each frame and answer.
// Everything runs on one thread; the busy flag keeps a poll or a second
// transfer out while one runs.
class TPPicProg {
public:
    using TStateChangeEvent = std::function<void(TPCardState newState, TPPicProg& sender)>;

    static constexpr int kNegativeAnswerLimit = 20;

    explicit TPPicProg(TBackendFactory factory, TPicProgSeams seams = {});
    ~TPPicProg();
    TPPicProg(const TPPicProg&) = delete;
    TPPicProg& operator=(const TPPicProg&) = delete;

    // --- link management
    int ComPort() const { return comPort_; }
    void SetComPort(int number);
    TBaudRate ComSpeed() const { return comSpeed_; }
    void SetComSpeed(TBaudRate speed);
    int PollTime() const { return pollTime_; }
    void SetPollTime(int ms);

    bool Connect();
    bool Disconnect();
    void ApplyBaudRate(TBaudRate rate);
    void SetPolling(bool on);
    void SetDelay(int ms) { delay_ = ms; }
    int Delay() const { return delay_; }
    void SetLogMemo(TLogMemo* memo) { logMemo_ = memo; }
    TLogMemo* LogMemo() const { return logMemo_; }
    // Every block transfer stops at its next block, releases the programmer
    // and returns its failure value; composite operations start no further
    // part. The request stays until ClearAbort.
    void RequestAbort() { abortRequested_ = true; }
    void ClearAbort() { abortRequested_ = false; }
    bool AbortRequested() const { return abortRequested_; }
    bool IsCardReady() const { return lastState_ == TPCardState::csCardReady; }
    TPCardState LastState() const { return lastState_; }
    bool Connected() const { return connected_; }
    bool Busy() const { return busy_; }
    // While a command of the window runs, it alone uses the line: waits for
    // answers let the window run as transfers do, and the poll keeps still
    // until it ends.
    void SetCommandRunning(bool running) { commandRunning_ = running; }
    // Why the last Connect could not open the port, worded for the user.
    const std::string& LastConnectError() const { return port_.LastOpenError(); }
    // When the programmer was last heard (the clock's milliseconds; 0: never),
    // and what its last answer meant: tfNoAnswer, it has fallen silent.
    std::int64_t LastHeardMs() const { return lastHeardMs_; }
    TTransportFaultKind LastAnswer() const { return lastAnswer_; }
    // The port's device went away while open.
    bool LineGone() const { return port_.LineGone(); }
    TComPort& Port() { return port_; }
    const TComPort& Port() const { return port_; }

    TStateChangeEvent OnStateChange;

    // --- exchanges
    void Poll();
    // The version number; 0 when not connected or busy or unreadable, -1 when
    // the programmer hardly answered, -2 for the version 39.
    int GetFirmwareVersion();
    // Sent again after an answer that was no acknowledgement, as long as
    // the programmer answers at all; while a stop is asked for, once.
    void SelectMode(int mode, int device);
    // Whether the programmer answers at all (a refusal, a card gone or a
    // spoiled answer are answers): yes when its last exchange brought one;
    // after a time-out, one short poll says, unless one went unanswered
    // since it was last heard. Silence is the state a poll reports,
    // csNotConnected, at once: a failure told next must not stand over a
    // panel that still says the card is ready.
    bool Answering();
    // The programmer acknowledged a release (mode 0) and nothing that could
    // change its mode was sent since: another one would change nothing.
    bool Released() const { return released_; }

    void SendFrame(const TFrame& frame);
    // Ends by twice the timeout at the latest, whatever the line sends.
    TReplyResult WaitAck(int timeoutMs);
    TReplyResult ReadBlock(char command, int device, int count, std::string& payload);
    TReplyResult WriteBlock(char command, int device, std::string_view data, int length);

    // --- block transfers (guarded ones return false / empty when not
    // connected or busy)
    std::string ReadConfigArea(int kind);
    std::string ReadDataArea(int kind, int count);
    std::string ReadProgramArea(int kind, int count, int countOverride, TProgressSink* gauge);
    std::string ReadExtEeprom(int kind, int count, int countOverride, TProgressSink* gauge);
    // Whether the last block read ran to its end (a failing block ends a read
    // with what was gathered so far).
    bool LastReadComplete() const { return lastReadComplete_; }
    // Why the last transfer operation (a block read or write, erase, lock,
    // and the composite reads, writes and verifies, which keep their first
    // fault) ended short on the line; see TTransportFault for what a caller
    // may do about each kind. Cleared as each operation starts; kept when
    // one is refused because another runs.
    const TTransportFault& LastFault() const { return lastFault_; }

    bool WriteProgramArea(std::string_view text, int kind, TProgressSink* gauge);
    bool WriteDataArea(std::string_view text, int kind, int size);
    bool WriteConfigArea(std::string_view text, int kind);
    bool WriteExtEeprom(std::string_view text, int kind, TProgressSink* gauge);

    bool EraseChip(int kind);
    bool CheckDeviceId(std::string_view idA, std::string_view idB, int kind);
    bool LockCard(int kind, std::string_view identification);

    // --- composite operations
    TPicReadResult ReadPic(int kind, int programCount, int dataCount, TProgressSink* gauge);
    bool WritePic(int kind, int dataSize, std::string_view program, std::string_view data,
                  TProgressSink* gauge);
    // `back`, when given, receives what the card gave back, so a caller can
    // say where it differs.
    bool VerifyPic(std::string_view program, std::string_view data, int kind, TProgressSink* gauge,
                   TPicReadResult* back = nullptr);

private:
    struct TReadPlan;
    struct TWritePlan;
    class TFirstFault;

    // Holds the busy flag for one guarded operation, also when it ends early.
    class TBusyHold {
    public:
        explicit TBusyHold(bool& busy) : busy_(busy) { busy_ = true; }
        ~TBusyHold() { busy_ = false; }
        TBusyHold(const TBusyHold&) = delete;
        TBusyHold& operator=(const TBusyHold&) = delete;

    private:
        bool& busy_;
    };

    // Until bytes arrive or the deadline passes; a closed port just lets the
    // time pass, so no wait turns into a spin.
    void WaitForAnswer(const TPTimer& timer);
    // Every byte the receive queue holds now; empty when none could be had,
    // which sends the caller to WaitForAnswer rather than round again.
    std::string TakeWaiting();
    bool Guarded() const { return connected_ && !busy_; }
    // Guarded, and the fault record cleared unless another operation runs.
    bool BeginTransfer();
    void ProcessMessages();
    void Pause(int ms);
    // The pause Set Delay asks for between blocks: a long one lets the window
    // run in slices, and a stop cuts it short.
    void PauseBetweenBlocks();
    void Log(std::string line);
    static void ShowProgress(TProgressSink* gauge, int percent);
    void ShowError(const std::string& text);
    void RaiseStateChange(TPCardState state);
    // Every answer judged says what it means for the line; a DLE to any
    // frame means the card has gone, whoever asked.
    void Judged(TTransportFaultKind meaning);
    // A state the driver learnt outside the poll, told as the poll tells one.
    void LearnState(TPCardState state);
    void ClearFault();
    void SetFault(TTransportFaultKind kind, char command, int number);

    static TReadPlan LargeReadPlan(char command, int kind, int count, int countOverride);
    std::string RunRead(const TReadPlan& plan, TProgressSink* gauge);
    bool RunWrite(const TWritePlan& plan, std::string_view text, TProgressSink* gauge);
    bool AbortSeen();
    bool Silenced(const TTransportFault& fault);
    static int ProcessorMode(int kind) { return kind < 8 ? 3 : 4; }

    TClock& clock_;
    TPicProgSeams seams_;
    TComPort port_;
    int comPort_ = 0;
    TBaudRate comSpeed_ = TBaudRate::br300;
    int pollTime_ = 400;
    bool polling_ = false;
    bool connected_ = false;
    bool busy_ = false;
    // The longest a transfer waits on the line without letting the window run.
    static constexpr int kPumpSliceMs = 20;
    std::int64_t lastPumpMs_ = 0;
    bool commandRunning_ = false;
    bool abortRequested_ = false;
    bool lastReadComplete_ = false;
    // What the last answer judged means for the line (tfNone: it was good).
    TTransportFaultKind lastAnswer_ = TTransportFaultKind::tfNone;
    std::int64_t lastHeardMs_ = 0;
    // The last write answer was the programmer's ACK and then nothing.
    bool lastAnswerAckOnly_ = false;
    bool released_ = false;
    // A poll went unanswered, and nothing was heard since.
    bool silenceConfirmed_ = false;
    TTransportFault lastFault_;
    TPCardState lastState_ = TPCardState::csNotConnected;
    int delay_ = 0;
    TLogMemo* logMemo_ = nullptr;
};

} // namespace korvex
