#pragma once

#include "link/baudrate.h"
#include "link/cardstate.h"
#include "link/picprog.h"
#include "link/portmap.h"
#include "workflows/session/portname.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace korvex {

// The line to the programmer: the driver, the port and speed chosen, and the
// card state the poll last reported. The port always runs at the speed the
// window shows, from the first connection on.
class TPLine {
public:
    static constexpr int kPollMs = 400;
    static constexpr int kStartDelayMs = 3;

    // `ports`: which device each port item stands for, when the face has a map.
    TPLine(TBackendFactory factory, TPicProgSeams seams, const TPortMap* ports = nullptr)
        : factory_(std::move(factory)), seams_(seams), ports_(ports) {}
    ~TPLine() { Stop(); }
    TPLine(const TPLine&) = delete;
    TPLine& operator=(const TPLine&) = delete;

    // The driver with its poll, at the speed shown; offline until a port is chosen.
    void Start();
    // Frees the driver, which releases the programmer unless it is Silent.
    void Stop();
    // Sends the programmer one release, unless it is silent or released
    // already: the window closing waits on one answer at most.
    void Release();
    bool Started() const { return prog_ != nullptr; }
    // The driver, for the commands, the production run and the log panel.
    // Only while started.
    TPPicProg& Prog() { return *prog_; }
    const TPPicProg& Prog() const { return *prog_; }

    int ComPort() const { return comPort_; } // 0: offline
    // The port chosen, as every message names it.
    TPortName PortName() const;
    // The device the port chosen opens, as a record names it: its path, "sim",
    // or "COM<n>" without a map.
    std::string PortDevice() const;
    TBaudRate Speed() const { return speed_; }
    TPCardState State() const { return state_; }
    bool Connected() const { return prog_ && prog_->Connected(); }
    std::string ConnectError() const { return prog_ ? prog_->LastConnectError() : std::string(); }
    // A transfer, the poll or an exchange holds the line now.
    bool TransferBusy() const { return prog_ && prog_->Busy(); }
    // Nobody answers on the line: the programmer never did or has fallen
    // silent, or its device has gone. A release would only keep the user
    // waiting for answers that do not come.
    bool Silent() const;

    // Closes the line and connects to the port item 1..8.
    void ChoosePort(int number);
    void ChooseOffline();
    // Goes to a connected line at once; a closed port takes it for the next
    // connection, so choosing a speed never opens a port nobody chose.
    void ChooseSpeed(TBaudRate rate);
    // The spare port actions: they connect without closing the line first.
    void PortAction(int number);
    void Poll();
    // Lets go of a line whose programmer never answered, without the release
    // a silent programmer would keep the user waiting for.
    void Abandon();
    // The programmer's version number: nullopt when none answers, or the
    // line is busy.
    std::optional<int> FirmwareVersion();

    // Told of every state the driver reports, after the line took it.
    std::function<void(TPCardState)> OnStateChange;

private:
    TBackendFactory factory_;
    TPicProgSeams seams_;
    const TPortMap* ports_;
    std::unique_ptr<TPPicProg> prog_;
    int comPort_ = 0;
    TBaudRate speed_ = TBaudRate::br19200;
    TPCardState state_ = TPCardState::csNotConnected;
};

} // namespace korvex
