#pragma once

#include "cli/interrupts.h"
#include "cli/portname.h"
#include "link/picprog.h"
#include "support/datafolders.h"
#include "support/logfile.h"
#include "support/logmemo.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace korvex::cli {

// The line options every programmer command takes.
struct LinkOptions {
    std::string port;    // "COM1".."COM8", a device path, "sim"; empty: the stored port
    std::string speed;   // "19200" or "115200"; empty: the stored speed, else 19200
    std::string logFile; // empty: no log
};

// The driver of one command-line run: the port and speed resolved from the
// options and the user's settings, each line of the log written to --log as
// it comes, and the programmer released when the run ends.
class TLinkSession {
public:
    TLinkSession(TPDataFolders folders, LinkOptions options);
    ~TLinkSession();
    TLinkSession(const TLinkSession&) = delete;
    TLinkSession& operator=(const TLinkSession&) = delete;

    // Opens the port. On failure the reason goes to `err` and false returns.
    bool Connect(std::ostream& err);
    TPPicProg& Prog() { return *prog_; }
    // The device the chosen port stands for ("sim" for the simulator).
    const std::string& DevicePath() const { return devicePath_; }

    // Ends the run: releases the programmer and closes the log; false, with
    // the reason on err, when a line of it could not be written. Prog() is
    // gone after it.
    bool WriteLog(std::ostream& err);

private:
    TPDataFolders folders_;
    LinkOptions options_;
    int comNumber_ = 0;
    TBaudRate rate_ = TBaudRate::br19200;
    std::string devicePath_;
    TPortName portName_;
    TLogMemo memo_;
    std::unique_ptr<TPLogFile> log_;
    std::string logError_; // why --log cannot be written; Connect ends there
    TInterruptPump pump_{[this] {
        if (prog_) {
            prog_->RequestAbort();
        }
    }};
    std::unique_ptr<TPPicProg> prog_;
    bool logWritten_ = false;
};

} // namespace korvex::cli
