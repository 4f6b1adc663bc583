#include "workflows/production/productionboard.h"

#include "serials/postgres/pgconnection.h"
#include "support/errors.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/presenter/mainworkflows.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace korvex {

namespace {

// Now as the clock on the wall says it, "14:02:11".
std::string TimeOfDayNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

} // namespace

TPProductionBoard::TPProductionBoard(TPMainWorkflows& work) : work_(work) {
    const TPSettingsStore& store = work_.Settings();
    if (const auto record = store.ReadString(TPSettingsStore::kProductionRecord)) {
        plan_.record = *record;
    }
    if (const auto count = store.ReadInteger(TPSettingsStore::kProductionCount)) {
        plan_.count = std::max(*count, 0);
    }
    plan_.database = store.ReadString(TPSettingsStore::kProductionDatabase).value_or("");
    plan_.station = store.ReadString(TPSettingsStore::kProductionStation).value_or("");
    // Set in the settings file by hand, for a line whose database needs them.
    if (const auto wait = store.ReadInteger(TPSettingsStore::kProductionDatabaseWait)) {
        plan_.databaseWaitMs = std::clamp(*wait, 100, 600'000);
    }
    if (const auto reserve = store.ReadInteger(TPSettingsStore::kProductionReserve)) {
        plan_.reserveBlock = std::clamp(*reserve, 1, TPBlockClaims::kMostBlock);
    }
    Refresh();
}

void TPProductionBoard::SetRecordFile(const std::filesystem::path& file) {
    if (!work_.ProductionRunning()) {
        plan_.record = file;
    }
    Refresh();
}

void TPProductionBoard::SetCount(int count) {
    if (!work_.ProductionRunning()) {
        plan_.count = std::max(count, 0);
    }
    Refresh();
}

void TPProductionBoard::SetDatabase(const std::string& uri) {
    if (!work_.ProductionRunning()) {
        plan_.database = uri;
    }
    Refresh();
}

void TPProductionBoard::SetStation(const std::string& name) {
    if (!work_.ProductionRunning()) {
        plan_.station = name;
    }
    Refresh();
}

void TPProductionBoard::Toggle() {
    if (work_.ProductionRunning()) {
        work_.StopProduction();
        // Said at once: the card in hand may take a while yet.
        stopping_ = true;
        Refresh();
        return;
    }
    // The run reads its plan until it ends; a copy keeps it as it started.
    const TProductionPlan plan = plan_;
    problem_.clear();
    const TProductionSummary summary = work_.RunProduction(plan, *this, true);
    Refresh();
    if (summary.end != TRunEnd::reRefused) {
        StorePlan();
    }
}

void TPProductionBoard::StorePlan() {
    work_.Settings().Write({
        {std::string(TPSettingsStore::kProductionRecord), plan_.record.string()},
        {std::string(TPSettingsStore::kProductionCount), std::to_string(plan_.count)},
        {std::string(TPSettingsStore::kProductionDatabase), RedactDatabaseUri(plan_.database)},
        {std::string(TPSettingsStore::kProductionStation), plan_.station},
    });
}

void TPProductionBoard::RunStarted(const TProductionPlan& plan) {
    lastRun_ = TRunMark{std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count(),
                        plan.station.empty() ? TPProductionRun::DefaultStation() : plan.station};
    view_.good = 0;
    view_.failed = 0;
    view_.lastCard.clear();
    view_.lastSerials.clear();
    view_.lastColour = TLastCardColour::lcNone;
    view_.inHandSerials.clear();
    view_.recent.clear();
    tally_ = {};
    cardOut_ = false;
    ended_ = false;
    Refresh();
}

void TPProductionBoard::CardLeftInSlot() {
    cardOut_ = true;
    Refresh();
}

void TPProductionBoard::Waiting() {
    waiting_ = true;
    cardOut_ = false;
    Refresh();
}

void TPProductionBoard::Notice(const std::string& text) {
    notice_ = text;
    Refresh();
}

void TPProductionBoard::CardStarted(int sequence) {
    waiting_ = false;
    notice_.clear();
    inHand_ = sequence;
    Refresh();
}

void TPProductionBoard::CardDone(const TCardResult& result, const TProductionCounters& counters) {
    view_.good = counters.good;
    view_.failed = counters.failed;
    view_.lastCard = result.line;
    view_.lastSerials = SerialValuesLine(result.serials, work_.Text(entries::kSerialValue));
    view_.lastColour =
        result.verdict == TCardVerdict::cvGood ? TLastCardColour::lcGood : TLastCardColour::lcBad;
    view_.inHandSerials.clear();
    AddRecent(result);
    CountCard(tally_, result);
    tally_.workMs = counters.elapsedMs;
    inHand_ = 0;
    cardOut_ = true;
    Refresh();
}

void TPProductionBoard::AddRecent(const TCardResult& result) {
    TRecentCard card;
    card.time = TimeOfDayNow();
    card.sequence = result.sequence;
    card.verdict = result.verdict;
    int outcome = entries::kOutcomeFailed;
    if (result.verdict == TCardVerdict::cvGood) {
        outcome = entries::kOutcomeGood;
    } else if (result.verdict == TCardVerdict::cvInterrupted) {
        outcome = entries::kOutcomeInterrupted;
    }
    card.outcome = work_.Text(outcome);
    if (const int step = FailStepEntry(result.step); step >= 0) {
        card.step = work_.Text(step);
    }
    if (result.difference) {
        card.difference = work_.DifferenceLine(*result.difference);
    }
    card.serials = view_.lastSerials;
    card.line = card.time + " " + result.line;
    if (!card.serials.empty()) {
        card.line += " " + card.serials;
    }
    view_.recent.push_front(std::move(card));
    if (view_.recent.size() > TProductionView::kRecentKept) {
        view_.recent.pop_back();
    }
}

void TPProductionBoard::CardSerials(const std::string& values) {
    view_.inHandSerials = values;
    Refresh();
}

void TPProductionBoard::Problem(TMessageKind kind, const std::string& text) {
    if (kind == TMessageKind::mkInformation) {
        Notice(OneLine(text));
        return;
    }
    problem_ = OneLine(text);
    Refresh();
}

void TPProductionBoard::RunEnded(const TProductionSummary& /*summary*/) {
    waiting_ = false;
    notice_.clear();
    stopping_ = false;
    inHand_ = 0;
    ended_ = true;
    view_.inHandSerials.clear();
    Refresh();
}

void TPProductionBoard::RefreshSlot() {
    // The run tells its end before it is over.
    view_.slot = PhaseOf({!view_.running || ended_, inHand_, waiting_, cardOut_});
    view_.slotText =
        PhaseText(view_.slot, work_.StepCaption(), [this](int entry) { return work_.Text(entry); });
    view_.inHandSerialsCaption = work_.Text(entries::kSerialsInHand);
    view_.yieldCaption = work_.Text(entries::kFirstPassYield);
    view_.yield = YieldText(tally_);
    view_.rateCaption = work_.Text(entries::kCardsPerHour);
    view_.rate = RateText(tally_);
    view_.recentCaption = work_.Text(entries::kRecentCards);
    view_.recentColumns = {
        work_.Text(entries::kColumnTime),       work_.Text(entries::kColumnCard),
        work_.Text(entries::kColumnOutcome),    work_.Text(entries::kColumnStep),
        work_.Text(entries::kColumnDifference), work_.Text(entries::kColumnSerials)};
}

void TPProductionBoard::Refresh() {
    view_.running = work_.ProductionRunning();
    view_.buttonEnabled = view_.running || !work_.Busy();
    view_.planEnabled = !work_.Busy();
    view_.title = work_.Text(entries::kProduction);
    view_.lastCardCaption = work_.Text(entries::kLastCard);
    view_.buttonCaption =
        work_.Text(view_.running ? entries::kProductionStop : entries::kProductionStart);
    view_.goodCaption = work_.Text(entries::kCounterGood);
    view_.failedCaption = work_.Text(entries::kCounterFailed);
    view_.recordCaption = work_.Text(entries::kRecordFile);
    view_.recordName =
        plan_.record.empty() ? work_.Text(entries::kNoRecordFile) : plan_.record.string();
    view_.databaseCaption = work_.Text(entries::kDatabase);
    view_.databaseTip = work_.Text(entries::kDatabaseTip);
    view_.stationCaption = work_.Text(entries::kStation);
    view_.defaultStation = TPProductionRun::DefaultStation();
    view_.cardInHand.clear();
    if (inHand_ > 0) {
        view_.cardInHand = FillIn(work_.Text(entries::kCardInHand),
                                  {std::to_string(inHand_), work_.StepCaption()});
    }
    RefreshSlot();
    view_.state.clear();
    if (!problem_.empty()) {
        // One the run went on after is said as it is.
        view_.state = view_.slot == TSlotPhase::spStopped
                          ? FillIn(work_.Text(entries::kRunStoppedBecause), {problem_})
                          : problem_;
    } else if (stopping_) {
        view_.state = work_.Text(entries::kStoppingAfterCard);
    } else if (!notice_.empty()) {
        view_.state = notice_;
    } else if (waiting_) {
        view_.state = work_.Text(entries::kWaitingForCard);
    }
    if (OnChange) {
        OnChange();
    }
}

} // namespace korvex
