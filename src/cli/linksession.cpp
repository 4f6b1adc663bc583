#include "cli/linksession.h"

#include "cli/portchoice.h"
#include "link/portmap.h"
#include "sim/keptsimulator.h"
#include "support/errors.h"
#include "support/settingsstore.h"
#include "support/textconv.h"

#include <sstream>

namespace korvex::cli {

TLinkSession::TLinkSession(TPDataFolders folders, LinkOptions options)
    : folders_(std::move(folders)), options_(std::move(options)) {
    const TPSettingsStore store(TPSettingsStore::DefaultFolder());
    TPortChoice choice = ChoosePort(options_, store);
    comNumber_ = choice.comNumber;
    rate_ = choice.rate;
    devicePath_ = choice.map.PathOf(comNumber_);
    portName_ = choice.name;

    // Opened before anything is sent, so a log that cannot be kept stops the
    // run before it starts.
    if (!options_.logFile.empty()) {
        try {
            log_ = std::make_unique<TPLogFile>(options_.logFile);
        } catch (const EInOutError& error) {
            logError_ = DescribeError(error);
        }
    }
    memo_.OnLineAdded = [this](const std::string& line) {
        if (log_) {
            log_->Add(line);
        }
    };
    prog_ = std::make_unique<TPPicProg>(
        MakePortFactory(std::move(choice.map), sim::InProcessSimulator(folders_)),
        TPicProgSeams{nullptr, &pump_, nullptr, nullptr});
    prog_->SetComSpeed(rate_);
    prog_->SetDelay(3);
    if (!options_.logFile.empty()) {
        prog_->SetLogMemo(&memo_);
    }
}

TLinkSession::~TLinkSession() {
    if (!logWritten_ && !options_.logFile.empty()) {
        // A run that ended by an error still leaves its log behind.
        std::ostringstream ignored;
        WriteLog(ignored);
    }
}

bool TLinkSession::Connect(std::ostream& err) {
    if (!logError_.empty()) {
        err << "korvex-cli: error: " << logError_ << '\n';
        return false;
    }
    // The rate is set on the closed port, so nothing but the chosen port is opened.
    prog_->Port().SetBaudRate(rate_);
    prog_->SetComPort(comNumber_);
    if (prog_->Connect()) {
        return true;
    }
    err << "korvex-cli: " << portName_.CannotOpen(prog_->LastConnectError()) << '\n';
    return false;
}

bool TLinkSession::WriteLog(std::ostream& err) {
    if (options_.logFile.empty()) {
        return true;
    }
    // The programmer is released first, so the log holds the closing mode 0 too.
    prog_.reset();
    logWritten_ = true;
    if (log_ && !log_->Error().empty()) {
        err << "korvex-cli: " << log_->Error() << '\n';
        return false;
    }
    return true;
}

} // namespace korvex::cli
