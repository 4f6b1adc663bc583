#pragma once

#include "serials/claims/blockclaims.h"
#include "serials/postgres/pgwait.h"
#include "support/errors.h"
#include "workflows/production/cardjournal.h"
#include "workflows/production/cardnumbers.h"
#include "workflows/production/productionrecord.h"
#include "workflows/production/productionshare.h"
#include "workflows/session/cardcommands.h"
#include "workflows/session/difference.h"
#include "workflows/session/failstep.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

enum class TCardVerdict { cvGood, cvFailed, cvInterrupted };

// "good", "failed", "interrupted": the same whatever the language.
std::string_view VerdictName(TCardVerdict verdict);

// A run's name: the moment it started, in local time to the millisecond,
// "2026-12-07T16:05:09.123+01:00".
std::string RunName(std::chrono::system_clock::time_point start);

// The language entry that names the step a card failed at; -1 for none.
int FailStepEntry(TFailStep step);

// The row's columns by name, as a record line.
TRecordLine ColumnsOf(const TProductionRow& row);

// How one card of a production run ended.
struct TCardResult {
    int sequence = 0;
    TCardVerdict verdict = TCardVerdict::cvFailed;
    TFailStep step = TFailStep::fsNone;
    std::optional<TPDifference> difference;
    // What Auto program said about the card, its messages on one line;
    // empty for a good card.
    std::string message;
    std::int64_t durationMs = 0;
    int retries = 0; // steps run again after a fault on the line
    // The card's serial values, as the record names them ("serial Serial1").
    TRecordLine serials;
    // The card's log line in the language chosen: "Card 3 good (4.1 s)."
    std::string line;
};

struct TProductionCounters {
    int good = 0;
    int failed = 0;
    int interrupted = 0;
    std::int64_t elapsedMs = 0; // since the run started

    int Cards() const { return good + failed + interrupted; }
    // 0 until a card has been handled.
    double CardsPerHour() const {
        return elapsedMs > 0 ? Cards() * 3'600'000.0 / static_cast<double>(elapsedMs) : 0.0;
    }
};

// What a run is asked to do.
struct TProductionPlan {
    int count = 0;                // cards to handle; 0: until stopped
    std::filesystem::path record; // the record file; empty: none kept
    // A PostgreSQL database several stations share (postgresql://...), for
    // the serial claims and every card's record line; empty: the station's
    // own files only. A password comes from the client library's password
    // file or environment, never from here.
    std::string database;
    std::string station; // this station's name in the shared record
    // The longest any call to the shared database may wait for it.
    int databaseWaitMs = TPgWait::kDefaultLimitMs;
    // The values of a field the station takes ahead from the shared database.
    int reserveBlock = TPBlockClaims::kDefaultBlock;
    // The run's name in the record; empty: the moment it starts (RunName).
    // The runs of one station's several programmers share one.
    std::string run;
    // Where the card numbers come from when several programmers share the
    // run (and its count); nullptr: the run numbers its own cards.
    TPCardNumbers* numbers = nullptr;
    // A programmer that has not answered for this long ends the run, so
    // that a station's other programmers are not held up by it; 0: the run
    // waits for it to answer again.
    int silentEndsAfterMs = 0;
    // What the station's programmers hold of the shared database's values,
    // when several share the run; nullptr: this run's own.
    std::shared_ptr<TPStationReserve> stationReserve;
    // Raised by another thread (the face, or a programmer of the station
    // whose end ends them all): the run ends after the card in hand. The
    // flag outlives the run.
    const std::atomic<bool>* stopAll = nullptr;
    // A programmer that fails this many cards in a row on the line (it
    // refuses, loses or spoils what it took before) ends the run, rather
    // than fail every card put in; 0: the run goes on.
    int lineFailuresEndAfter = 0;
};

// Why a run ended.
enum class TRunEnd {
    reRefused,      // it did not start; the reason has been shown
    reCount,        // the cards asked for were handled
    reStopped,      // stopped on request, after the card in hand
    reFiles,        // the files give nothing to program; the reason has been shown
    reRecordFailed, // the record could not be written; the reason has been shown
    reSerials,      // a card's serial values could not be had; the reason has been shown
    reDatabaseLost, // the shared database failed; the local record has every card
    reJournal,      // the journal of the card in hand failed; the reason has been shown
    reLineGone,     // the programmer's port went away; the reason has been shown
    reSilent,       // the programmer stopped answering (silentEndsAfterMs); shown
    reLineFailing,  // cards failed on the line one after the other (lineFailuresEndAfter); shown
};

struct TProductionSummary {
    TRunEnd end = TRunEnd::reRefused;
    TProductionCounters counters;
};

// What a face shows of a running production run. Everything is told on the
// thread of the run, between its polls and cards.
class TProductionObserver {
public:
    virtual ~TProductionObserver() = default;
    virtual void RunStarted(const TProductionPlan& /*plan*/) {}
    // The card in the slot at the start is one the last run finished: it
    // waits to be taken out.
    virtual void CardLeftInSlot() {}
    // The slot is empty and the run waits for the next card; told once each
    // time the slot empties.
    virtual void Waiting() {}
    virtual void CardStarted(int /*sequence*/) {}
    // The card in hand got its serial values ("Serial1 1000, ..."), before
    // anything is sent to it.
    virtual void CardSerials(const std::string& /*values*/) {}
    virtual void CardDone(const TCardResult& /*result*/, const TProductionCounters& /*counters*/) {}
    // What the run says that needs no answer (the shared database went away
    // and came back, a line recovered, the last run's card still in the
    // slot), worded in the language chosen; also in the log.
    virtual void Notice(const std::string& /*text*/) {}
    virtual void RunEnded(const TProductionSummary& /*summary*/) {}
    // What would have been a message box, for a face that shows the run's
    // problems in its own view (see TPMainWorkflows::RunProduction).
    virtual void Problem(TMessageKind /*kind*/, const std::string& /*text*/) {}
};

// The owners and services a production run works with, beside the commands.
struct TProductionParts {
    TPCardChoice& card;
    TPFileRows& rows;
    TPLine& line;
    TPRunState& runState;
    TPStatusPanel& status;
    TPromptRelay& prompts;
    TSessionView& view;
    TClock& clock;
    const TPLang& lang;
    const TPDataFolders& folders;
};

// The production line's rhythm: each card that arrives in the slot is auto
// programmed once, with the files and options as they are at that moment; a
// card left in the slot is never programmed twice. Every card is counted and
// recorded, and a failed card does not stop the run. The run polls the card
// state itself, letting the window run between polls.
class TPProductionRun {
public:
    // While the slot waits for a card the run polls faster than the window's
    // poll timer: a poll costs about a millisecond of line time, and every
    // period is time a card may sit in the slot unseen.
    static constexpr int kWaitingPollMs = 50;

    TPProductionRun(const TProductionParts& parts, TPCardCommands& commands, TMessagePump* pump)
        : card_(parts.card), rows_(parts.rows), line_(parts.line), runState_(parts.runState),
          status_(parts.status), prompts_(parts.prompts), view_(parts.view), clock_(parts.clock),
          lang_(parts.lang), folders_(parts.folders), commands_(commands), pump_(pump) {}

    // Runs until the plan's count is reached or Stop is asked for. Refused
    // (reRefused) while a command runs or without a connected programmer.
    TProductionSummary Run(const TProductionPlan& plan, TProductionObserver& observer);
    // This machine's name, for a plan that names no station.
    static std::string DefaultStation();
    // Ends the run after the card in hand; may be asked from any thread.
    void Stop() { stopRequested_ = true; }
    bool Running() const { return runState_.ProductionRunning(); }

private:
    class TRunning;
    class TCardTrail;

    // The checks before the first card (nothing is sent and nothing
    // claimed); false when the run does not start, the reason shown.
    bool MayStart(const TProductionPlan& plan, TRunEnd& refused);
    // Everything Auto program checks before the card (see
    // TPCardCommands::CheckAuto); false when every card would be refused.
    bool CardsMayGoAhead(TRunEnd& refused);
    // The journal's last card: its line recovered into its record when its
    // run ended before it was written. Whether the run must wait for it to
    // be taken out. False in `usable` (the reason shown) when the journal
    // cannot be used.
    bool SettleLastCard(TProductionObserver& observer, bool& usable);
    // Connects to the shared database and gets it ready; false when the run
    // does not start, the reason shown.
    bool OpenShared(const TProductionPlan& plan, TProductionObserver& observer);
    // The cards of the run; `armed`: a card in the slot now is programmed.
    void Cards(const TProductionPlan& plan, TProductionObserver& observer,
               TProductionSummary& summary, bool armed, std::int64_t startMs);
    // One card from the slot to its line; false when the run must end
    // (`end` says why).
    bool HandleCard(const TProductionPlan& plan, TProductionObserver& observer,
                    TProductionSummary& summary, std::int64_t startMs);
    // Whether the run goes on after the card; when not, why has been shown.
    bool CardLetsRunGoOn(const TProductionPlan& plan, const TCardResult& result,
                         TProductionSummary& summary);
    // Whether the programmer has failed the plan's bound of cards in a row
    // on the line, said when it has.
    bool FailingOnTheLine(const TProductionPlan& plan, const TCardResult& result);
    // A stop asked of this run or of every run of the station.
    bool StopAsked() const { return stopRequested_ || (stopAll_ != nullptr && stopAll_->load()); }
    // The result of Auto program as the last command's report has it.
    void FillResult(TCardResult& result, TOutcome outcome, std::int64_t durationMs) const;
    static void Count(TCardVerdict verdict, TProductionCounters& counters);
    // What the shared database did over the card, told.
    void TellShare(TShareChange change, TProductionObserver& observer);
    TCardResult ProgramCard(int sequence);
    // The card's record line as the record and the database keep it.
    TProductionRow RowOf(const TCardResult& result) const;
    // Appends the card's line to the record; false (the reason shown) when
    // it could not be written. `kept`: the line is somewhere the user was
    // told of.
    bool Record(const TProductionPlan& plan, const TProductionRow& row, bool& kept);
    // The last run's finished card's line into its record, marked
    // recovered, and its values spent. Throws EKorvex.
    void Recover(TJournalCard& card, TProductionObserver& observer);
    // Runs a step of the journal; a failure is kept for the end of the card.
    template <typename Step>
    void Journal(Step step);
    // The folder of the station's own production files.
    std::filesystem::path StationFolder() const;
    // Where the card's line went instead, as the message words it; `kept`
    // when into a file.
    std::string KeepElsewhere(const TProductionPlan& plan, const TProductionRow& row,
                              bool& kept) const;
    // One poll period, the window running meanwhile; returns early on Stop.
    void WaitPollPeriod();
    // Whether the programmer has been silent past the plan's bound, said
    // when it has. `silentSinceMs`: when it stopped answering, or -1.
    bool SilentTooLong(const TProductionPlan& plan, std::int64_t& silentSinceMs);
    void Log(const std::string& line);
    void Tell(TProductionObserver& observer, const std::string& text);
    std::string ResultLine(const TCardResult& result) const;
    // Waits for the shared database give up when a stop comes meanwhile;
    // the window runs between their slices.
    TPgWait DatabaseWait(const TProductionPlan& plan);

    std::string Text(int entry) const { return lang_.GetText(entry); }

    TPCardChoice& card_;
    TPFileRows& rows_;
    TPLine& line_;
    TPRunState& runState_;
    TPStatusPanel& status_;
    TPromptRelay& prompts_;
    TSessionView& view_;
    TClock& clock_;
    const TPLang& lang_;
    const TPDataFolders& folders_;
    TPCardCommands& commands_;
    TMessagePump* pump_;
    std::atomic<bool> stopRequested_ = false;
    const std::atomic<bool>* stopAll_ = nullptr; // the plan's
    // The cards that failed on the line since the last that did not.
    int lineFailuresInRow_ = 0;
    TProductionObserver* observer_ = nullptr; // the run's, while it runs
    // This run: its name, as the record and the journal give it, and the
    // station's.
    std::string run_;
    std::string station_;
    std::unique_ptr<TPCardJournal> journal_;
    // A problem of the journal's during the card in hand; the run ends after it.
    std::string journalProblem_;
    // The card's line as Auto program ended it, before its values were spent.
    std::optional<TProductionRow> finishedRow_;
    std::int64_t cardStartMs_ = 0;
    // The card the journal knows in the slot, until a poll finds it empty.
    std::string slotRun_;
    int slotSequence_ = 0;
    std::string slotCard_; // its values, or its number, as a message names it
    std::optional<int> firmware_;
    std::unique_ptr<TPLocalSerialClaims> ownClaims_;
    std::unique_ptr<TPProductionShare> share_;
    // The plan's numbers, or the run's own.
    std::optional<TPCardNumbers> ownNumbers_;
    TPCardNumbers* numbers_ = nullptr;
};

template <typename Step>
void TPProductionRun::Journal(Step step) {
    try {
        step();
    } catch (const EKorvex& error) {
        if (journalProblem_.empty()) {
            journalProblem_ = DescribeError(error);
        }
    }
}

} // namespace korvex
