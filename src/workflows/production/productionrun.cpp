#include "workflows/production/productionrun.h"
#include "workflows/messagewords.h"

#include "serials/postgres/pgclaims.h"
#include "serials/postgres/pgrecordsink.h"
#include "serials/postgres/shareddatabase.h"
#include "serials/serialerrors.h"
#include "support/errors.h"
#include "support/sha256.h"
#include "workflows/entries.h"
#include "workflows/faultwords.h"
#include "workflows/fillin.h"
#include "workflows/production/productionrecord.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace korvex {

namespace {

// The longest the window goes without its messages while the run waits.
constexpr int kPumpSliceMs = 20;

std::string Seconds(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(ms) / 1000.0);
    return text;
}

} // namespace

std::string_view VerdictName(TCardVerdict verdict) {
    switch (verdict) {
    case TCardVerdict::cvGood:
        return "good";
    case TCardVerdict::cvFailed:
        return "failed";
    case TCardVerdict::cvInterrupted:
        break;
    }
    return "interrupted";
}

// Marks the run for its whole length: the commands are off, the run polls
// in place of the poll timer, and whatever ends the run, all comes back.
class TPProductionRun::TRunning {
public:
    explicit TRunning(TPProductionRun& run) : owner_(run) {
        owner_.runState_.BeginProduction();
        owner_.view_.EnableCommands(false);
        owner_.line_.Prog().SetPolling(false);
    }
    ~TRunning() {
        owner_.prompts_.KeepBack(nullptr);
        if (owner_.line_.Started()) {
            // The programmer is left released, whatever the last card did; a
            // programmer that stopped answering would only keep the user waiting.
            if (owner_.line_.State() != TPCardState::csNotConnected) {
                owner_.line_.Prog().SelectMode(0, owner_.card_.Kind().Code());
            }
            // A window that is closing polls no more once it is released.
            owner_.line_.Prog().SetPolling(!owner_.runState_.ClosePending());
        }
        owner_.runState_.EndProduction();
        owner_.status_.Restore();
        owner_.view_.EnableCommands(true);
    }
    TRunning(const TRunning&) = delete;
    TRunning& operator=(const TRunning&) = delete;

private:
    TPProductionRun& owner_;
};

// Tells the journal how far the card in hand came, as Auto program goes.
class TPProductionRun::TCardTrail final : public TCardProgress {
public:
    explicit TCardTrail(TPProductionRun& run) : run_(run) {}

    // A card whose values the journal does not hold is not touched.
    bool Claimed(const std::vector<TSerialValue>& values) override {
        if (run_.observer_ != nullptr) {
            TRecordLine serials;
            for (const TSerialValue& value : values) {
                serials.push_back({"serial " + value.field, value.text});
            }
            run_.observer_->CardSerials(
                SerialValuesLine(serials, run_.Text(entries::kSerialValue)));
        }
        try {
            run_.journal_->Claimed(run_.run_, run_.slotSequence_, run_.card_.Name(), values);
            return true;
        } catch (const EKorvex& error) {
            run_.journalProblem_ = WordedError(run_.lang_, error);
            return false;
        }
    }
    void Written() override {
        run_.Journal([this] {
            run_.journal_->Reached(TJournalStep::jsWritten, run_.run_, run_.slotSequence_);
        });
    }
    // Before the values are spent: a restart that finds them spent finds
    // the card's line here.
    void Finished(TOutcome outcome) override {
        TCardResult result;
        result.sequence = run_.slotSequence_;
        run_.FillResult(result, outcome, run_.clock_.NowMs() - run_.cardStartMs_);
        run_.finishedRow_ = run_.RowOf(result);
        run_.Journal([this] {
            run_.journal_->Finished(run_.run_, run_.slotSequence_, ColumnsOf(*run_.finishedRow_));
        });
    }

private:
    TPProductionRun& run_;
};

TProductionSummary TPProductionRun::Run(const TProductionPlan& plan,
                                        TProductionObserver& observer) {
    TProductionSummary summary;
    if (runState_.Busy() || !line_.Started()) {
        return summary;
    }
    stopRequested_ = false;
    stopAll_ = plan.stopAll;
    lineFailuresInRow_ = 0;
    station_ = plan.station.empty() ? DefaultStation() : plan.station;
    run_ = plan.run.empty() ? RunName(std::chrono::system_clock::now()) : plan.run;
    ownNumbers_.reset();
    if (plan.numbers == nullptr) {
        ownNumbers_.emplace(plan.count);
    }
    numbers_ = plan.numbers != nullptr ? plan.numbers : &*ownNumbers_;
    share_.reset();
    if (!MayStart(plan, summary.end)) {
        return summary;
    }
    TRunning running(*this);
    if (!CardsMayGoAhead(summary.end)) {
        return summary;
    }
    bool usable = true;
    const bool lastCardInSlot = SettleLastCard(observer, usable);
    if (!usable || (!plan.database.empty() && !OpenShared(plan, observer))) {
        return summary;
    }
    TCardTrail trail(*this);
    observer_ = &observer;
    const std::unique_ptr<TProductionObserver*, void (*)(TProductionObserver**)> observerBack(
        &observer_, [](TProductionObserver** slot) { *slot = nullptr; });
    // The claims go to the database for this run only.
    commands_.UseClaims(share_ ? &share_->Claims() : nullptr);
    commands_.UseProgress(&trail);
    const std::unique_ptr<TPCardCommands, void (*)(TPCardCommands*)> claimsBack(
        &commands_, [](TPCardCommands* commands) {
            commands->UseClaims(nullptr);
            commands->UseProgress(nullptr);
        });
    const std::int64_t startMs = clock_.NowMs();
    const int version = line_.Prog().GetFirmwareVersion();
    firmware_ = version > 0 ? std::optional<int>(version) : std::nullopt;
    Log(FillIn(Text(entries::kRunStarted),
               {plan.record.empty() ? Text(entries::kNoRecordFile) : plan.record.string()}));
    observer.RunStarted(plan);
    if (lastCardInSlot) {
        observer.CardLeftInSlot();
        Tell(observer, FillIn(Text(entries::kCardLeftInSlot), {slotCard_}));
    }

    // A card already in the slot when the run starts is programmed, unless
    // the last run finished it.
    Cards(plan, observer, summary, !lastCardInSlot, startMs);
    if (share_) {
        share_->Close();
    }
    summary.counters.elapsedMs = clock_.NowMs() - startMs;
    char perHour[32];
    std::snprintf(perHour, sizeof perHour, "%.0f", summary.counters.CardsPerHour());
    Log(FillIn(Text(entries::kRunEnded), {std::to_string(summary.counters.good),
                                          std::to_string(summary.counters.failed), perHour}));
    observer.RunEnded(summary);
    return summary;
}

// Each card that arrives is programmed once, until the count, a stop or a
// card after which the run cannot go on.
void TPProductionRun::Cards(const TProductionPlan& plan, TProductionObserver& observer,
                            TProductionSummary& summary, bool armed, std::int64_t startMs) {
    summary.end = TRunEnd::reStopped;
    bool waitingTold = false;
    // Right after a card the slot is asked at once whether it was taken out.
    bool pollNow = false;
    std::int64_t silentSinceMs = -1;
    while (!StopAsked()) {
        if (numbers_->AllTaken()) {
            summary.end = TRunEnd::reCount;
            break;
        }
        if (line_.State() == TPCardState::csCardReady && armed) {
            armed = false;
            waitingTold = false;
            const bool goOn = HandleCard(plan, observer, summary, startMs);
            if (!goOn) {
                break;
            }
            pollNow = true;
            continue;
        }
        // No card can come through a port that is gone: waiting would last
        // until somebody noticed.
        if (line_.Prog().LineGone()) {
            prompts_.ShowMessage(
                TMessageKind::mkError, entries::kRunLinePortGone,
                FillIn(Text(entries::kRunLinePortGone),
                       {line_.PortName().text, std::to_string(summary.counters.Cards() + 1)}));
            summary.end = TRunEnd::reLineGone;
            break;
        }
        if (SilentTooLong(plan, silentSinceMs)) {
            summary.end = TRunEnd::reSilent;
            break;
        }
        if (line_.State() != TPCardState::csCardReady) {
            armed = true;
            if (!slotRun_.empty()) {
                Journal(
                    [&] { journal_->Reached(TJournalStep::jsTakenOut, slotRun_, slotSequence_); });
                slotRun_.clear();
            }
            if (!waitingTold) {
                waitingTold = true;
                observer.Waiting();
            }
        }
        if (!pollNow) {
            WaitPollPeriod();
        }
        pollNow = false;
        if (!StopAsked()) {
            line_.Poll();
        }
    }
}

bool TPProductionRun::SilentTooLong(const TProductionPlan& plan, std::int64_t& silentSinceMs) {
    if (line_.State() != TPCardState::csNotConnected) {
        silentSinceMs = -1;
        return false;
    }
    const std::int64_t now = clock_.NowMs();
    if (silentSinceMs < 0) {
        silentSinceMs = now;
    }
    if (plan.silentEndsAfterMs <= 0 || now - silentSinceMs < plan.silentEndsAfterMs) {
        return false;
    }
    prompts_.ShowMessage(
        TMessageKind::mkError, entries::kRunProgrammerSilent,
        FillIn(Text(entries::kRunProgrammerSilent),
               {line_.PortName().text, std::to_string((now - silentSinceMs + 500) / 1000)}));
    return true;
}

// The card goes: journal, Auto program, its line into the local record
// first, then the shared database as far as it can be reached.
bool TPProductionRun::HandleCard(const TProductionPlan& plan, TProductionObserver& observer,
                                 TProductionSummary& summary, std::int64_t startMs) {
    // Another programmer of the run may have taken the last number meanwhile.
    const std::optional<int> number = numbers_->Take();
    if (!number) {
        summary.end = TRunEnd::reCount;
        return false;
    }
    const int sequence = *number;
    journalProblem_.clear();
    finishedRow_.reset();
    try {
        journal_->Begin(run_, sequence, plan.record, station_);
    } catch (const EKorvex& error) {
        // Nothing is sent to a card whose journal cannot be kept.
        prompts_.ShowMessage(TMessageKind::mkError, entries::kJournalUnusable,
                             Text(entries::kJournalUnusable) + "\n" + WordedError(lang_, error));
        summary.end = TRunEnd::reJournal;
        return false;
    }
    slotRun_ = run_;
    slotSequence_ = sequence;
    observer.CardStarted(sequence);
    TCardResult result = ProgramCard(sequence);
    Count(result.verdict, summary.counters);
    summary.counters.elapsedMs = clock_.NowMs() - startMs;
    result.line = ResultLine(result);
    Log(result.line);
    // The line as Auto program ended the card, which the journal holds.
    const TProductionRow row = finishedRow_ ? *finishedRow_ : RowOf(result);
    if (!finishedRow_) {
        Journal([&] { journal_->Finished(run_, sequence, ColumnsOf(row)); });
    }
    bool kept = false;
    const bool recorded = plan.record.empty() || Record(plan, row, kept);
    if (recorded || kept) {
        Journal([&] { journal_->Reached(TJournalStep::jsRecorded, run_, sequence); });
    }
    // The card is done as far as the station goes: said before the shared
    // database is asked, whatever it does.
    observer.CardDone(result, summary.counters);
    if (share_) {
        const int left = plan.count - numbers_->Taken();
        TellShare(share_->AfterCard(plan.count > 0 ? std::optional(left) : std::nullopt), observer);
    }
    Journal([&] { journal_->Reached(TJournalStep::jsLetGo, run_, sequence); });
    if (!recorded) {
        summary.end = TRunEnd::reRecordFailed;
        return false;
    }
    if (!journalProblem_.empty()) {
        prompts_.ShowMessage(TMessageKind::mkError, entries::kJournalNotWritten,
                             Text(entries::kJournalNotWritten) + "\n" + journalProblem_);
        summary.end = TRunEnd::reJournal;
        return false;
    }
    return CardLetsRunGoOn(plan, result, summary);
}

bool TPProductionRun::CardLetsRunGoOn(const TProductionPlan& plan, const TCardResult& result,
                                      TProductionSummary& summary) {
    // No value may be handed out twice: without its values, or with a store
    // that failed, no further card is programmed.
    if (result.step == TFailStep::fsSerial) {
        prompts_.ShowMessage(TMessageKind::mkError, -1, result.message);
        summary.end = TRunEnd::reSerials;
        return false;
    }
    if (!commands_.LastReport().claimsProblem.empty()) {
        prompts_.ShowMessage(TMessageKind::mkError, entries::kDatabaseLost,
                             Text(entries::kDatabaseLost) + "\n" +
                                 commands_.LastReport().claimsProblem);
        summary.end = TRunEnd::reDatabaseLost;
        return false;
    }
    // Every card after it would fail the same way before anything is sent:
    // the user must mend the files first.
    if (result.step == TFailStep::fsFiles) {
        prompts_.ShowMessage(TMessageKind::mkError, -1, result.message);
        summary.end = TRunEnd::reFiles;
        return false;
    }
    if (FailingOnTheLine(plan, result)) {
        summary.end = TRunEnd::reLineFailing;
        return false;
    }
    return true;
}

// A card the programmer failed on the line says nothing of the card; many in
// a row say that the programmer no longer takes what it took before, and
// every further card would fail the same way.
bool TPProductionRun::FailingOnTheLine(const TProductionPlan& plan, const TCardResult& result) {
    const TTransportFault& fault = commands_.LastReport().lineFault;
    if (result.verdict == TCardVerdict::cvInterrupted) {
        return false; // the card went: nothing learnt of the programmer
    }
    if (result.verdict == TCardVerdict::cvGood || !fault.MayRetry() || result.difference) {
        lineFailuresInRow_ = 0;
        return false;
    }
    ++lineFailuresInRow_;
    if (plan.lineFailuresEndAfter <= 0 || lineFailuresInRow_ < plan.lineFailuresEndAfter) {
        return false;
    }
    prompts_.ShowMessage(TMessageKind::mkError, entries::kRunProgrammerFailing,
                         FillIn(Text(entries::kRunProgrammerFailing),
                                {line_.PortName().text, std::to_string(lineFailuresInRow_),
                                 FaultWords(lang_, fault)}));
    return true;
}

void TPProductionRun::TellShare(TShareChange change, TProductionObserver& observer) {
    std::string text;
    if (change == TShareChange::scAway) {
        text = FillIn(Text(entries::kDatabaseAway), {share_->Problem()});
    } else if (change == TShareChange::scBack) {
        text = FillIn(Text(entries::kDatabaseBack), {std::to_string(share_->LinesSent())});
    } else {
        return;
    }
    if (const std::string held = share_->Held(); !held.empty()) {
        text += " " + FillIn(Text(entries::kValuesHeld), {held});
    }
    Tell(observer, text);
}

TCardResult TPProductionRun::ProgramCard(int sequence) {
    TCardResult result;
    result.sequence = sequence;
    std::vector<TKeptMessage> kept;
    prompts_.KeepBack(&kept);
    cardStartMs_ = clock_.NowMs();
    const TOutcome outcome = commands_.Run(TCardCommand::ccAutoProgram);
    prompts_.KeepBack(nullptr);
    FillResult(result, outcome, clock_.NowMs() - cardStartMs_);
    if (finishedRow_) {
        result.durationMs = finishedRow_->durationMs;
    }
    if (result.verdict != TCardVerdict::cvGood) {
        for (const TKeptMessage& message : kept) {
            if (message.kind != TMessageKind::mkInformation) {
                result.message += (result.message.empty() ? "" : " ") + OneLine(message.text);
            }
        }
    }
    return result;
}

void TPProductionRun::FillResult(TCardResult& result, TOutcome outcome,
                                 std::int64_t durationMs) const {
    const TCommandReport& report = commands_.LastReport();
    result.durationMs = durationMs;
    result.retries = report.retries;
    result.serials = report.serials;
    switch (outcome) {
    case TOutcome::ocSucceeded:
        result.verdict = TCardVerdict::cvGood;
        break;
    case TOutcome::ocFailed:
    case TOutcome::ocNothing:
        result.verdict = TCardVerdict::cvFailed;
        result.step = report.failStep;
        result.difference = report.difference;
        break;
    case TOutcome::ocRefused:
    case TOutcome::ocAborted:
        // The card went before it could be programmed, or a stop cut it short.
        result.verdict = TCardVerdict::cvInterrupted;
        break;
    }
}

void TPProductionRun::Count(TCardVerdict verdict, TProductionCounters& counters) {
    switch (verdict) {
    case TCardVerdict::cvGood:
        ++counters.good;
        break;
    case TCardVerdict::cvFailed:
        ++counters.failed;
        break;
    case TCardVerdict::cvInterrupted:
        ++counters.interrupted;
        break;
    }
}

std::string TPProductionRun::DefaultStation() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
        return "station";
    }
    return name;
}

void TPProductionRun::Tell(TProductionObserver& observer, const std::string& text) {
    Log(text);
    observer.Notice(text);
}

TPgWait TPProductionRun::DatabaseWait(const TProductionPlan& plan) {
    return {plan.databaseWaitMs, [this] {
                if (pump_ != nullptr) {
                    pump_->ProcessMessages();
                }
                return StopAsked();
            }};
}

void TPProductionRun::WaitPollPeriod() {
    const int period = kWaitingPollMs;
    for (int waited = 0; waited < period && !StopAsked(); waited += kPumpSliceMs) {
        clock_.SleepMs(std::min(kPumpSliceMs, period - waited));
        if (pump_ != nullptr) {
            pump_->ProcessMessages();
        }
    }
}

void TPProductionRun::Log(const std::string& line) {
    if (line_.Started() && line_.Prog().LogMemo() != nullptr) {
        line_.Prog().LogMemo()->Add(line);
    }
}

int FailStepEntry(TFailStep step) {
    if (step == TFailStep::fsNone) {
        return -1;
    }
    if (step == TFailStep::fsSerial) {
        return entries::kSerialStep;
    }
    return entries::kFirstFailStep + static_cast<int>(step) - 1;
}

std::string TPProductionRun::ResultLine(const TCardResult& result) const {
    const std::string sequence = std::to_string(result.sequence);
    const std::string seconds = Seconds(result.durationMs);
    switch (result.verdict) {
    case TCardVerdict::cvGood:
        return FillIn(Text(entries::kCardGoodLine), {sequence, seconds});
    case TCardVerdict::cvFailed:
        break;
    case TCardVerdict::cvInterrupted:
        return FillIn(Text(entries::kCardInterruptedLine), {sequence, seconds});
    }
    const int stepEntry = FailStepEntry(result.step);
    const std::string step = stepEntry < 0 ? std::string() : Text(stepEntry);
    return FillIn(Text(entries::kCardFailedLine), {sequence, step, seconds, result.message});
}

} // namespace korvex
