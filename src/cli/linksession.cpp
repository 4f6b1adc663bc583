#include "cli/linksession.h"

#include "cli/simport.h"
#include "link/portmap.h"
#include "support/atomicfile.h"
#include "support/errors.h"
#include "support/settingsstore.h"
#include "support/textconv.h"

#include <sstream>

namespace korvex::cli {
namespace {

// Stored speed codes: 9600 stands for the "19200 baud" item.
TBaudRate StoredRate(const TPSettingsStore& store) {
    const auto code = store.ReadInteger(TPSettingsStore::kSpeed);
    return code && *code == 115200 ? TBaudRate::br115200 : TBaudRate::br19200;
}

} // namespace

TLinkSession::TLinkSession(std::filesystem::path programFolder, LinkOptions options)
    : programFolder_(std::move(programFolder)), options_(std::move(options)) {
    const TPSettingsStore store(TPSettingsStore::DefaultFolder());
    TPortMap map = TPortMap::Load(store);

    if (options_.port.empty()) {
        const int stored = store.ReadInteger(TPSettingsStore::kComPort).value_or(0);
        if (stored < 1 || stored > TPortMap::kPortCount) {
            throw EKorvex("no port chosen: give --port COM1..COM8, a device path or sim");
        }
        comNumber_ = stored;
    } else if (const int number = TPortMap::ComNumberOf(AsciiUpper(options_.port)); number > 0) {
        comNumber_ = number;
    } else if (options_.port == TPortMap::kSimulator ||
               options_.port.find('/') != std::string::npos) {
        comNumber_ = 1;
        map.Override(comNumber_, options_.port);
    } else {
        throw EKorvex("unknown port \"" + options_.port +
                      "\": give COM1..COM8, a device path or sim");
    }
    devicePath_ = map.PathOf(comNumber_);

    if (options_.speed.empty()) {
        rate_ = StoredRate(store);
    } else if (options_.speed == "115200") {
        rate_ = TBaudRate::br115200;
    } else if (options_.speed == "19200") {
        rate_ = TBaudRate::br19200;
    } else {
        throw EKorvex("unknown speed \"" + options_.speed + "\": give 19200 or 115200");
    }

    memo_.OnLineAdded = [this](const std::string& line) {
        logLines_.push_back(DisplayLogLine(line));
    };
    prog_ = std::make_unique<TPPicProg>(
        MakePortFactory(std::move(map), InProcessSimulator(programFolder_)));
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
    // The rate is set on the closed port, so nothing but the chosen port is opened.
    prog_->Port().SetBaudRate(rate_);
    prog_->SetComPort(comNumber_);
    if (prog_->Connect()) {
        return true;
    }
    err << "korvex-cli: cannot open COM" << comNumber_ << ": " << prog_->LastConnectError() << '\n';
    return false;
}

bool TLinkSession::WriteLog(std::ostream& err) {
    if (options_.logFile.empty()) {
        return true;
    }
    // The programmer is released first, so the log holds the closing mode 0 too.
    prog_.reset();
    logWritten_ = true;
    std::string text;
    for (const std::string& line : logLines_) {
        text += line + '\n';
    }
    try {
        WriteFileAtomically(options_.logFile, text);
        return true;
    } catch (const std::exception& error) {
        err << "korvex-cli: " << DescribeError(error) << '\n';
        return false;
    }
}

} // namespace korvex::cli
