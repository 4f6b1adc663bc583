#include "workflows/production/productionboard.h"

#include "serials/pgconnection.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/session/mainworkflows.h"

#include <algorithm>
#include <chrono>

namespace korvex {

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
    const TProductionSummary summary = work_.RunProduction(plan, *this);
    Refresh();
    if (summary.end != TRunEnd::reRefused) {
        work_.Settings().Write({
            {std::string(TPSettingsStore::kProductionRecord), plan.record.string()},
            {std::string(TPSettingsStore::kProductionCount), std::to_string(plan.count)},
            {std::string(TPSettingsStore::kProductionDatabase), RedactDatabaseUri(plan.database)},
            {std::string(TPSettingsStore::kProductionStation), plan.station},
        });
    }
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
    Refresh();
}

void TPProductionBoard::Waiting() {
    waiting_ = true;
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
    inHand_ = 0;
    Refresh();
}

void TPProductionBoard::RunEnded(const TProductionSummary& /*summary*/) {
    waiting_ = false;
    notice_.clear();
    stopping_ = false;
    inHand_ = 0;
    Refresh();
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
    view_.state.clear();
    if (stopping_) {
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
