#include "cli/production/watchrun.h"

#include "cli/output/messageline.h"
#include "cli/session/exitcodes.h"
#include "cli/session/interrupts.h"
#include "support/errors.h"

#include <cstdio>

namespace korvex::cli {

namespace {

std::string Seconds(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
}

// Tells the terminal's user what the run waits for (see
// TProgressLine::ShowWaiting); output that is not a terminal gets only the
// card lines.
class TWatchLines final : public TProductionObserver {
public:
    TWatchLines(TCardSession& session, bool configWord)
        : session_(session), configWord_(configWord) {}

    void RunStarted(const TProductionPlan& /*plan*/) override {
        if (configWord_) {
            session_.TellConfigWord();
        }
    }
    // On stderr with the steps: stdout keeps one line per card for scripts.
    void Notice(const std::string& text) override {
        session_.Progress().EndLine();
        session_.Err() << text << '\n' << std::flush;
    }

    void Waiting() override { Tell("waiting for card " + std::to_string(next_)); }
    void CardStarted(int sequence) override {
        session_.Progress().EndLine();
        next_ = sequence + 1;
        inHand_ = sequence;
    }
    // The first Ctrl-C lets the card in hand finish: said, so nobody presses
    // again and cuts it off.
    void StopAsked() {
        if (inHand_ > 0) {
            session_.Progress().EndLine();
            session_.Err() << "stopping after card " << inHand_ << "; Ctrl-C again stops at once"
                           << '\n'
                           << std::flush;
        }
    }
    void CardDone(const TCardResult& result, const TProductionCounters& /*counters*/) override {
        inHand_ = 0;
        session_.Progress().EndLine();
        if (!result.message.empty()) {
            session_.Err() << ErrorLine("card " + std::to_string(result.sequence) + ": " +
                                        result.message)
                           << '\n'
                           << std::flush;
        }
        session_.Out() << (session_.Json() ? CardResultJson(result) : WatchCardLine(result)) << '\n'
                       << std::flush;
        Tell("take card " + std::to_string(result.sequence) + " out");
    }
    void RunEnded(const TProductionSummary& summary) override {
        session_.Progress().EndLine();
        const TProductionCounters& counters = summary.counters;
        if (!session_.Json()) {
            session_.Out() << WatchSummaryLine(counters) << '\n' << std::flush;
            return;
        }
        session_.Result().Raw(
            "summary",
            TJsonObject()
                .Number("good", counters.good)
                .Number("failed", counters.failed)
                .Number("interrupted", counters.interrupted)
                .Number("elapsed_ms", counters.elapsedMs)
                .Number("cards_per_hour", static_cast<std::int64_t>(counters.CardsPerHour() + 0.5))
                .Json());
    }

private:
    void Tell(const std::string& what) {
        session_.Progress().ShowWaiting(what + " (Ctrl-C ends the run)");
    }

    TCardSession& session_;
    bool configWord_;
    int next_ = 1;
    int inHand_ = 0; // the card being programmed, 0 between cards
};

} // namespace

std::string WatchCardLine(const TCardResult& result) {
    std::string line =
        "card " + std::to_string(result.sequence) + ": " + std::string(VerdictName(result.verdict));
    if (result.step != TFailStep::fsNone) {
        line += " at " + std::string(FailStepName(result.step));
    }
    for (const TRecordColumn& serial : result.serials) {
        line += ", " + serial.name + " " + serial.value;
    }
    if (const auto& difference = result.difference) {
        line += ", first difference at " + std::string(MemorySpaceName(difference->space)) + " " +
                AddressText(difference->address) + ": expected " + difference->expected +
                ", found " + (difference->found.empty() ? "nothing" : difference->found) + " (" +
                std::to_string(difference->differingBytes) +
                (difference->differingBytes == 1 ? " byte differs)" : " bytes differ)");
    }
    return line + ", " + Seconds(result.durationMs);
}

std::string WatchSummaryLine(const TProductionCounters& counters) {
    char pace[64];
    std::snprintf(pace, sizeof pace, "%.0f cards per hour", counters.CardsPerHour());
    std::string line =
        std::to_string(counters.good) + " good, " + std::to_string(counters.failed) + " failed";
    if (counters.interrupted > 0) {
        line += ", " + std::to_string(counters.interrupted) + " interrupted";
    }
    return line + " in " + Seconds(counters.elapsedMs) + ", " + pace;
}

TProductionPlan WatchPlan(const TAutoRequest& request) {
    TProductionPlan plan;
    plan.count = request.count;
    plan.record = request.record;
    plan.database = request.database;
    plan.station = request.station;
    plan.databaseWaitMs = static_cast<int>(request.databaseWait * 1000 + 0.5);
    plan.reserveBlock = request.reserve;
    return plan;
}

int RunWatch(TCardSession& session, const TAutoRequest& request, bool configWord) {
    const TProductionPlan plan = WatchPlan(request);
    TWatchLines lines(session, configWord);
    session.OnProductionStopAsked = [&lines] { lines.StopAsked(); };
    const TProductionSummary summary = session.Work().RunProduction(plan, lines);
    session.OnProductionStopAsked = nullptr;
    // A signal is how a run without a count is meant to end: the cards
    // decide the exit code, not the signal.
    TInterrupts::Acknowledge();
    switch (summary.end) {
    case TRunEnd::reRefused:
    case TRunEnd::reRecordFailed:
    case TRunEnd::reSerials:
    case TRunEnd::reDatabaseLost:
    case TRunEnd::reJournal:
    case TRunEnd::reLineGone:
    case TRunEnd::reSilent:
    case TRunEnd::reLineFailing:
        return kExitFailed;
    case TRunEnd::reFiles:
        return kExitUsage;
    case TRunEnd::reCount:
    case TRunEnd::reStopped:
        break;
    }
    const TProductionCounters& counters = summary.counters;
    return counters.failed == 0 && counters.interrupted == 0 ? kExitOk : kExitFailed;
}

} // namespace korvex::cli
