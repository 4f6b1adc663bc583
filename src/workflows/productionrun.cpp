#include "workflows/productionrun.h"

#include "serials/pgclaims.h"
#include "serials/pgrecordsink.h"
#include "serials/serialerrors.h"
#include "serials/shareddatabase.h"
#include "support/errors.h"
#include "support/sha256.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/productionrecord.h"

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
    explicit TRunning(TPWorkbench& bench) : bench_(bench) {
        bench_.run.BeginProduction();
        bench_.view.EnableCommands(false);
        bench_.line.Prog().SetPolling(false);
    }
    ~TRunning() {
        bench_.prompts.KeepBack(nullptr);
        if (bench_.line.Started()) {
            // The programmer is left released, whatever the last card did; a
            // programmer that stopped answering would only keep the user waiting.
            if (bench_.line.State() != TPCardState::csNotConnected) {
                bench_.line.Prog().SelectMode(0, bench_.card.Kind().Code());
            }
            bench_.line.Prog().SetPolling(true);
        }
        bench_.run.EndProduction();
        bench_.status.Restore();
        bench_.view.EnableCommands(true);
    }
    TRunning(const TRunning&) = delete;
    TRunning& operator=(const TRunning&) = delete;

private:
    TPWorkbench& bench_;
};

TProductionSummary TPProductionRun::Run(const TProductionPlan& plan,
                                        TProductionObserver& observer) {
    TProductionSummary summary;
    if (bench_.run.Busy() || !bench_.line.Started()) {
        return summary;
    }
    if (!bench_.line.Connected()) {
        bench_.prompts.ShowMessage(TMessageKind::mkError, entries::kNotConnectedOrNoCard,
                                   bench_.Text(entries::kNotConnectedOrNoCard));
        return summary;
    }
    // A card the run calls good holds every file it names: options that
    // could not make it so refuse the run before the first card.
    if (const auto problem = commands_.AutoOptionsProblem(true)) {
        bench_.prompts.ShowMessage(TMessageKind::mkError, *problem, bench_.Text(*problem));
        return summary;
    }
    if (!plan.record.empty()) {
        try {
            TPProductionRecord(plan.record).Check();
        } catch (const EKorvex& error) {
            bench_.prompts.ShowMessage(TMessageKind::mkError, entries::kRecordNotWritten,
                                       bench_.Text(entries::kRecordNotWritten) + "\n" +
                                           DescribeError(error));
            return summary;
        }
    }
    // The shared database is reached before any card: a card is only
    // written whose claim and record line the database can keep.
    std::shared_ptr<TPSharedDatabase> database;
    std::unique_ptr<TPPgSerialClaims> sharedClaims;
    sharedRecord_.reset();
    if (!plan.database.empty()) {
        const std::string station = plan.station.empty() ? DefaultStation() : plan.station;
        try {
            database = std::make_shared<TPSharedDatabase>(plan.database);
        } catch (const EDatabaseUri& error) {
            bench_.prompts.ShowMessage(TMessageKind::mkError, entries::kDatabaseUriRefused,
                                       bench_.Text(entries::kDatabaseUriRefused) + "\n" +
                                           DescribeError(error));
            return summary;
        } catch (const EKorvex& error) {
            bench_.prompts.ShowMessage(TMessageKind::mkError, entries::kDatabaseUnreachable,
                                       bench_.Text(entries::kDatabaseUnreachable) + "\n" +
                                           DescribeError(error));
            return summary;
        }
        sharedClaims = std::make_unique<TPPgSerialClaims>(database, station);
        sharedRecord_ = std::make_unique<TPPgRecordSink>(database, station);
    }
    TRunning running(bench_);
    // The claims go to the database for this run only.
    commands_.UseClaims(sharedClaims.get());
    const std::unique_ptr<TPCardCommands, void (*)(TPCardCommands*)> claimsBack(
        &commands_, [](TPCardCommands* commands) { commands->UseClaims(nullptr); });
    stopRequested_ = false;
    const std::int64_t startMs = bench_.clock.NowMs();
    const int version = bench_.line.Prog().GetFirmwareVersion();
    const std::optional<int> firmware = version > 0 ? std::optional<int>(version) : std::nullopt;
    Log(FillIn(bench_.Text(entries::kRunStarted),
               {plan.record.empty() ? bench_.Text(entries::kNoRecordFile) : plan.record.string()}));
    observer.RunStarted(plan);

    summary.end = TRunEnd::reStopped;
    // A card already in the slot when the run starts is programmed.
    bool armed = true;
    bool waitingTold = false;
    while (!stopRequested_) {
        if (plan.count > 0 && summary.counters.Cards() >= plan.count) {
            summary.end = TRunEnd::reCount;
            break;
        }
        if (bench_.line.State() == TPCardState::csCardReady && armed) {
            armed = false;
            waitingTold = false;
            observer.CardStarted(summary.counters.Cards() + 1);
            TCardResult result = ProgramCard(summary.counters.Cards() + 1);
            switch (result.verdict) {
            case TCardVerdict::cvGood:
                ++summary.counters.good;
                break;
            case TCardVerdict::cvFailed:
                ++summary.counters.failed;
                break;
            case TCardVerdict::cvInterrupted:
                ++summary.counters.interrupted;
                break;
            }
            summary.counters.elapsedMs = bench_.clock.NowMs() - startMs;
            result.line = ResultLine(result);
            Log(result.line);
            const bool recorded = Record(plan, result, firmware);
            observer.CardDone(result, summary.counters);
            if (!recorded) {
                summary.end = TRunEnd::reRecordFailed;
                break;
            }
            // No value may be handed out twice: without its values, or with
            // a store that failed, no further card is programmed.
            if (result.step == TFailStep::fsSerial) {
                bench_.prompts.ShowMessage(TMessageKind::mkError, -1, result.message);
                summary.end = TRunEnd::reSerials;
                break;
            }
            if (!commands_.LastReport().claimsProblem.empty()) {
                bench_.prompts.ShowMessage(TMessageKind::mkError, entries::kDatabaseLost,
                                           bench_.Text(entries::kDatabaseLost) + "\n" +
                                               commands_.LastReport().claimsProblem);
                summary.end = TRunEnd::reDatabaseLost;
                break;
            }
            if (sharedRecord_ == nullptr && !plan.database.empty()) {
                summary.end = TRunEnd::reDatabaseLost;
                break;
            }
            // Every card after it would fail the same way before anything is
            // sent: the user must mend the files first.
            if (result.step == TFailStep::fsFiles) {
                bench_.prompts.ShowMessage(TMessageKind::mkError, -1, result.message);
                summary.end = TRunEnd::reFiles;
                break;
            }
            continue;
        }
        // No card can come through a port that is gone: waiting would last
        // until somebody noticed.
        if (bench_.line.Prog().LineGone()) {
            bench_.prompts.ShowMessage(
                TMessageKind::mkError, entries::kRunLinePortGone,
                FillIn(bench_.Text(entries::kRunLinePortGone),
                       {bench_.PortName().text, std::to_string(summary.counters.Cards() + 1)}));
            summary.end = TRunEnd::reLineGone;
            break;
        }
        if (bench_.line.State() != TPCardState::csCardReady) {
            armed = true;
            if (!waitingTold) {
                waitingTold = true;
                observer.Waiting();
            }
        }
        WaitPollPeriod();
        if (!stopRequested_) {
            bench_.line.Poll();
        }
    }
    summary.counters.elapsedMs = bench_.clock.NowMs() - startMs;
    char perHour[32];
    std::snprintf(perHour, sizeof perHour, "%.0f", summary.counters.CardsPerHour());
    Log(FillIn(
        bench_.Text(entries::kRunEnded),
        {std::to_string(summary.counters.good), std::to_string(summary.counters.failed), perHour}));
    observer.RunEnded(summary);
    return summary;
}

TCardResult TPProductionRun::ProgramCard(int sequence) {
    TCardResult result;
    result.sequence = sequence;
    std::vector<TKeptMessage> kept;
    bench_.prompts.KeepBack(&kept);
    const std::int64_t startMs = bench_.clock.NowMs();
    const TOutcome outcome = commands_.Run(TCardCommand::ccAutoProgram);
    result.durationMs = bench_.clock.NowMs() - startMs;
    result.retries = commands_.LastReport().retries;
    result.serials = commands_.LastReport().serials;
    bench_.prompts.KeepBack(nullptr);
    switch (outcome) {
    case TOutcome::ocSucceeded:
        result.verdict = TCardVerdict::cvGood;
        break;
    case TOutcome::ocFailed:
    case TOutcome::ocNothing:
        result.verdict = TCardVerdict::cvFailed;
        result.step = commands_.LastReport().failStep;
        result.difference = commands_.LastReport().difference;
        break;
    case TOutcome::ocRefused:
    case TOutcome::ocAborted:
        // The card went before it could be programmed, or a stop cut it short.
        result.verdict = TCardVerdict::cvInterrupted;
        break;
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

bool TPProductionRun::Record(const TProductionPlan& plan, const TCardResult& result,
                             std::optional<int> firmware) {
    if (plan.record.empty() && sharedRecord_ == nullptr) {
        return true;
    }
    TProductionRow row;
    row.localTime = LocalIsoTime(std::chrono::system_clock::now());
    row.sequence = result.sequence;
    row.cardType = bench_.card.Name();
    // A file is named only where its image went to the card; the digests are
    // those of the images as sent, and, when serial values went into them,
    // those of the files' own images beside them.
    const TCommandReport& report = commands_.LastReport();
    const TSentImages& sent = report.sent;
    if (!sent.program.empty()) {
        row.programFile = bench_.rows.Field(TFileRow::frProgram);
        row.programSha256 = Sha256OfHexText(sent.program);
    }
    if (!sent.eeprom.empty()) {
        row.eepromFile = bench_.rows.Field(TFileRow::frEeprom);
        row.eepromSha256 = Sha256OfHexText(sent.eeprom);
    }
    const bool avr = bench_.card.Kind().IsAvr();
    if (avr && !sent.intEeprom.empty()) {
        row.intEepromFile = bench_.rows.Field(TFileRow::frIntEeprom);
        row.intEepromSha256 = Sha256OfHexText(sent.intEeprom);
    }
    const auto own = [](const std::string& image) {
        return image.empty() ? std::string() : Sha256OfHexText(image);
    };
    const TSentImages& files = report.fileImages;
    row.more.emplace_back("program file image sha256",
                          own(sent.program.empty() ? "" : files.program));
    row.more.emplace_back("eeprom file image sha256", own(sent.eeprom.empty() ? "" : files.eeprom));
    row.more.emplace_back("internal eeprom file image sha256",
                          own(avr && !sent.intEeprom.empty() ? files.intEeprom : ""));
    for (const TRecordColumn& column : result.serials) {
        row.more.emplace_back(column.name, column.value);
    }
    row.outcome = std::string(VerdictName(result.verdict));
    row.failingStep = std::string(FailStepName(result.step));
    if (result.difference) {
        const TPDifference& difference = *result.difference;
        row.difference =
            std::string(MemorySpaceName(difference.space)) + " " + AddressText(difference.address);
        row.expected = difference.expected;
        row.found = difference.found;
        row.differingBytes = static_cast<int>(difference.differingBytes);
    }
    row.durationMs = result.durationMs;
    row.firmware = firmware;
    row.retries = result.retries;
    if (!plan.record.empty()) {
        try {
            TPProductionRecord(plan.record).Append(row);
        } catch (const EKorvex& error) {
            bench_.prompts.ShowMessage(TMessageKind::mkError, entries::kRecordNotWritten,
                                       bench_.Text(entries::kRecordNotWritten) + "\n" +
                                           DescribeError(error) + "\n" + KeepElsewhere(plan, row));
            return false;
        }
    }
    return Share(row);
}

// A line the database would not take is in the local record already; the
// run ends after this card, as with a claim the database could not keep.
bool TPProductionRun::Share(const TProductionRow& row) {
    if (sharedRecord_ == nullptr) {
        return true;
    }
    TRecordLine line;
    for (auto& [name, value] : ProductionRecordColumns(row)) {
        line.push_back({name, value});
    }
    try {
        sharedRecord_->AppendRecord(line);
    } catch (const EKorvex& error) {
        bench_.prompts.ShowMessage(TMessageKind::mkError, entries::kDatabaseLost,
                                   bench_.Text(entries::kDatabaseLost) + "\n" +
                                       DescribeError(error));
        sharedRecord_.reset();
    }
    return true;
}

std::string TPProductionRun::DefaultStation() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
        return "station";
    }
    return name;
}

// A card that was programmed keeps its line when the record will not take
// it: in a file of its own in the user's data folder, or else in the message
// itself, and the message says which.
std::string TPProductionRun::KeepElsewhere(const TProductionPlan& plan,
                                           const TProductionRow& row) const {
    const TPDataFolders& folders = bench_.dataFolders;
    if (folders.HasUserFolder()) {
        const std::filesystem::path kept =
            folders.user / "records" / ("unsaved-" + plan.record.filename().string());
        try {
            std::filesystem::create_directories(kept.parent_path());
            TPProductionRecord(kept).Append(row);
            return FillIn(bench_.Text(entries::kCardLineKeptIn), {kept.string()});
        } catch (const std::exception&) {
            // Said below, with the line itself.
        }
    }
    return FillIn(bench_.Text(entries::kCardLineNotKept),
                  {OneLine(CsvLine(ProductionRecordFields(row)))});
}

void TPProductionRun::WaitPollPeriod() {
    const int period = bench_.line.Prog().PollTime();
    for (int waited = 0; waited < period && !stopRequested_; waited += kPumpSliceMs) {
        bench_.clock.SleepMs(std::min(kPumpSliceMs, period - waited));
        if (pump_ != nullptr) {
            pump_->ProcessMessages();
        }
    }
}

void TPProductionRun::Log(const std::string& line) {
    if (bench_.line.Started() && bench_.line.Prog().LogMemo() != nullptr) {
        bench_.line.Prog().LogMemo()->Add(line);
    }
}

std::string TPProductionRun::ResultLine(const TCardResult& result) const {
    const std::string sequence = std::to_string(result.sequence);
    const std::string seconds = Seconds(result.durationMs);
    switch (result.verdict) {
    case TCardVerdict::cvGood:
        return FillIn(bench_.Text(entries::kCardGoodLine), {sequence, seconds});
    case TCardVerdict::cvFailed:
        break;
    case TCardVerdict::cvInterrupted:
        return FillIn(bench_.Text(entries::kCardInterruptedLine), {sequence, seconds});
    }
    const std::string step =
        result.step == TFailStep::fsNone ? std::string()
        : result.step == TFailStep::fsSerial
            ? bench_.Text(entries::kSerialStep)
            : bench_.Text(entries::kFirstFailStep + static_cast<int>(result.step) - 1);
    return FillIn(bench_.Text(entries::kCardFailedLine), {sequence, step, seconds, result.message});
}

} // namespace korvex
