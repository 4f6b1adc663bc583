#include "cli/production/gangrun.h"

#include "cli/output/messageline.h"
#include "cli/output/resultjson.h"
#include "cli/production/gangconsole.h"
#include "cli/production/slotlog.h"
#include "cli/production/watchrun.h"
#include "cli/session/commandfiles.h"
#include "cli/session/destinations.h"
#include "cli/session/exitcodes.h"
#include "cli/session/interrupts.h"
#include "link/clock.h"

#include <atomic>
#include <iostream>
#include <memory>
#include <thread>
#include <unistd.h>

namespace korvex::cli {

namespace {

// A line a slot's session printed, with the slot's port in it: after the
// shape an error or warning begins with, or in front.
std::string WithPort(const std::string& port, const std::string& line) {
    for (const std::string& prefix :
         {std::string(kProgram) + ": error: ", std::string(kProgram) + ": warning: "}) {
        if (line.starts_with(prefix)) {
            return prefix + port + ": " + line.substr(prefix.size());
        }
    }
    return port + ": " + line;
}

// "card 3 on /dev/ttyUSB1: good, Serial1 1002, 4.1 s".
std::string GangCardLine(const TCardResult& result, const std::string& port) {
    const std::string line = WatchCardLine(result);
    const std::size_t colon = line.find(':');
    return line.substr(0, colon) + " on " + port + line.substr(colon);
}

TJsonObject CountsJson(const TProductionCounters& counters) {
    TJsonObject object;
    object.Number("good", counters.good)
        .Number("failed", counters.failed)
        .Number("interrupted", counters.interrupted)
        .Number("elapsed_ms", counters.elapsedMs)
        .Number("cards_per_hour", static_cast<std::int64_t>(counters.CardsPerHour() + 0.5));
    return object;
}

// One programmer of the run: what its run tells goes to the console, with
// its port.
class TSlot final : public TProductionObserver {
public:
    TSlot(TGangConsole& console, std::size_t index, std::string port, bool json)
        : console_(console), index_(index), port_(std::move(port)), json_(json),
          lines_([this](const std::string& line) { console_.Err(WithPort(port_, line)); }) {}

    // What the slot's session prints: on stderr, as stdout keeps a line per card.
    std::ostream& Lines() { return lines_; }
    const std::string& Port() const { return port_; }

    void Waiting() override { console_.Show(index_, "waiting for a card"); }
    void CardStarted(int sequence) override {
        inHand_ = "card " + std::to_string(sequence);
        console_.Show(index_, "programming " + inHand_);
    }
    // The card in hand's step and progress, on the slot's line.
    void ShowStep(const std::string& line) { console_.Show(index_, inHand_ + ": " + line); }
    void CardDone(const TCardResult& result, const TProductionCounters& /*counters*/) override {
        const std::string card = "card " + std::to_string(result.sequence);
        if (!result.message.empty()) {
            console_.Err(ErrorLine(port_ + ": " + card + ": " + result.message));
        }
        console_.Out(json_ ? CardResultJson(result, &port_) : GangCardLine(result, port_));
        console_.Show(index_,
                      card + " " + std::string(VerdictName(result.verdict)) + ": take it out");
    }
    void Notice(const std::string& text) override { console_.Err(port_ + ": " + text); }

private:
    TGangConsole& console_;
    std::size_t index_;
    std::string port_;
    bool json_;
    TLineStream lines_;
    std::string inHand_;
};

// The slots' sessions, made and started one after the other.
struct TGangSlots {
    std::vector<std::unique_ptr<TSlot>> slots;
    std::vector<std::unique_ptr<TCardSession>> sessions;
    std::vector<TSlotEnd> ends;

    // Releases every programmer; 1 when a session could not finish cleanly.
    int FinishAll() {
        int code = kExitOk;
        for (auto& session : sessions) {
            code = std::max(code, session->Finish(kExitOk));
        }
        return code;
    }
};

// Every slot's log and the record, each a file of its own, checked before
// any programmer is opened.
bool SlotDestinationsUsable(TCardSession& session, const TGlobalOptions& options,
                            const TAutoRequest& request) {
    std::vector<std::string> files{request.record};
    if (!options.link.logFile.empty()) {
        for (const std::string& port : options.ports) {
            files.push_back(SlotLogFile(options.link.logFile, port));
        }
    }
    return DestinationsUsable(session, files);
}

// kExitOk when at least one slot started; a usage problem, the same for
// every slot, ends the run before any.
int StartSlots(TGangSlots& gang, TGangConsole& console, bool board, const TPDataFolders& folders,
               const TGlobalOptions& options, const TAutoRequest& request) {
    for (std::size_t i = 0; i < options.ports.size(); ++i) {
        const std::string& port = options.ports[i];
        gang.slots.push_back(std::make_unique<TSlot>(console, i, port, options.json));
        TGlobalOptions own = options;
        own.link.port = port;
        own.ports = {port};
        own.json = false; // one result for the run, not one per slot
        if (!options.link.logFile.empty()) {
            own.link.logFile = SlotLogFile(options.link.logFile, port);
        }
        TSlot& slot = *gang.slots.back();
        gang.sessions.push_back(
            std::make_unique<TCardSession>(folders, own, true, slot.Lines(), slot.Lines()));
        TCardSession& session = *gang.sessions.back();
        session.SetCommand("auto --watch");
        if (board) {
            session.Progress().DrawInto([&slot](const std::string& line) { slot.ShowStep(line); });
        }
        gang.ends.push_back({port, false, TRunEnd::reRefused, {}});
        if (i == 0 && !SlotDestinationsUsable(session, options, request)) {
            return kExitFailed;
        }
        const int code = PrepareAuto(session, request);
        // A log that cannot be kept, or was not to be replaced, is the
        // user's to decide on before any card, not a slot gone quiet.
        if (code == kExitUsage || session.LogRefused()) {
            return code;
        }
        gang.ends.back().started = code == kExitOk;
        console.Show(i, code == kExitOk ? "started" : "did not start");
    }
    for (std::size_t i = 0; i < gang.sessions.size(); ++i) {
        if (gang.ends[i].started) {
            // The same word for every slot: said once.
            if (WritesProcessor(*gang.sessions[i], true)) {
                gang.sessions[i]->TellConfigWord();
            }
            return kExitOk;
        }
    }
    console.Err(ErrorLine("no programmer could be started; nothing was done"));
    return kExitFailed;
}

void RunSlots(TGangSlots& gang, TGangConsole& console, TPGangRun& run) {
    std::atomic<bool> stopTold{false};
    std::vector<std::size_t> started;
    for (std::size_t i = 0; i < gang.sessions.size(); ++i) {
        if (!gang.ends[i].started) {
            continue;
        }
        TCardSession& session = *gang.sessions[i];
        session.OnProductionStopAsked = [&console, &stopTold] {
            if (TInterrupts::Received() != 0 && !stopTold.exchange(true)) {
                console.Err("stopping after the cards in hand; Ctrl-C again stops at once");
            }
        };
        run.Add(session.Work(), *gang.slots[i], false);
        started.push_back(i);
    }
    run.Start([&gang, &console, &started](std::size_t slot, const TProductionSummary& summary) {
        const std::size_t i = started[slot];
        TSlotEnd& end = gang.ends[i];
        end.end = summary.end;
        end.counters = summary.counters;
        const std::string reason = SlotStopReason(end);
        console.Show(i, reason.empty() ? "done" : "stopped: " + reason);
        if (!reason.empty()) {
            console.Err(
                ErrorLine(end.port + ": the slot has stopped after " +
                          std::to_string(summary.counters.Cards()) +
                          (summary.counters.Cards() == 1 ? " card: " : " cards: ") + reason +
                          (StopsEverySlot(summary.end) ? "; the other slots stop after their card"
                                                       : "; the other slots go on")));
        }
    });
    run.Join();
    for (auto& session : gang.sessions) {
        session->OnProductionStopAsked = nullptr;
    }
}

void PrintSummary(TGangConsole& console, const std::vector<TSlotEnd>& ends, std::int64_t elapsedMs,
                  bool json, int code) {
    if (!json) {
        for (const std::string& line : GangSummaryLines(ends, elapsedMs)) {
            console.Out(line);
        }
        return;
    }
    TProductionCounters total;
    std::vector<std::string> ports;
    for (const TSlotEnd& slot : ends) {
        total.good += slot.counters.good;
        total.failed += slot.counters.failed;
        total.interrupted += slot.counters.interrupted;
        const std::string reason = SlotStopReason(slot);
        TJsonObject port;
        port.Text("port", slot.port).Append(CountsJson(slot.counters));
        if (reason.empty()) {
            port.Null("stopped");
        } else {
            port.Text("stopped", reason);
        }
        ports.push_back(port.Json());
    }
    total.elapsedMs = elapsedMs;
    TJsonObject summary = CountsJson(total);
    summary.Raw("ports", JsonArray(ports));
    console.Out(TJsonObject()
                    .Text("command", "auto --watch")
                    .Text("outcome", code == kExitOk ? "succeeded" : "failed")
                    .Number("exit_code", code)
                    .Raw("summary", summary.Json())
                    .Json());
}

} // namespace

std::string SlotStopReason(const TSlotEnd& slot) {
    if (!slot.started) {
        return "its programmer could not be started";
    }
    switch (slot.end) {
    case TRunEnd::reCount:
    case TRunEnd::reStopped:
        return {};
    case TRunEnd::reRefused:
        return "its programmer refused the run";
    case TRunEnd::reFiles:
        return "the files give nothing to program";
    case TRunEnd::reRecordFailed:
        return "the record could not be written";
    case TRunEnd::reSerials:
        return "the serial values could not be had";
    case TRunEnd::reDatabaseLost:
        return "the shared database failed";
    case TRunEnd::reJournal:
        return "the journal of its card in hand could not be kept";
    case TRunEnd::reLineGone:
        return "its port went away";
    case TRunEnd::reLineFailing:
        return "its programmer failed card after card on the line";
    case TRunEnd::reSilent:
        break;
    }
    return "its programmer stopped answering";
}

std::vector<std::string> GangSummaryLines(const std::vector<TSlotEnd>& slots,
                                          std::int64_t elapsedMs) {
    std::vector<std::string> lines;
    TProductionCounters total;
    for (const TSlotEnd& slot : slots) {
        total.good += slot.counters.good;
        total.failed += slot.counters.failed;
        total.interrupted += slot.counters.interrupted;
        const std::string reason = SlotStopReason(slot);
        lines.push_back(slot.port + ": " + WatchSummaryLine(slot.counters) +
                        (reason.empty() ? "" : "; stopped: " + reason));
    }
    total.elapsedMs = elapsedMs;
    lines.push_back(WatchSummaryLine(total));
    return lines;
}

int GangExitCode(const std::vector<TSlotEnd>& slots) {
    int code = kExitOk;
    for (const TSlotEnd& slot : slots) {
        if (slot.started && slot.end == TRunEnd::reFiles) {
            return kExitUsage;
        }
        if (!SlotStopReason(slot).empty() || slot.counters.failed > 0 ||
            slot.counters.interrupted > 0) {
            code = kExitFailed;
        }
    }
    return code;
}

int RunGang(const TPDataFolders& folders, const TGlobalOptions& options,
            const TAutoRequest& request) {
    const std::int64_t startMs = TSteadyClock::NowUs() / 1000;
    const bool board = ::isatty(STDERR_FILENO) == 1 && !options.quiet;
    TGangConsole console(std::cout, std::cerr, board, options.ports);
    TGangSlots gang;
    if (const int code = StartSlots(gang, console, board, folders, options, request);
        code != kExitOk) {
        console.EndBoard();
        gang.FinishAll();
        return code;
    }
    // One run over every slot: one name, one count, one card number per card.
    TPGangRun run(WatchPlan(request));
    RunSlots(gang, console, run);
    // A signal is how a run without a count is meant to end: the cards
    // decide the exit code, not the signal.
    TInterrupts::Acknowledge();
    console.EndBoard();
    int code = GangExitCode(gang.ends);
    if (gang.FinishAll() != kExitOk && code == kExitOk) {
        code = kExitFailed;
    }
    PrintSummary(console, gang.ends, TSteadyClock::NowUs() / 1000 - startMs, options.json, code);
    return code;
}

} // namespace korvex::cli
