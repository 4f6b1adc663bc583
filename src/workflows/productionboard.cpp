#include "workflows/productionboard.h"

#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/mainworkflows.h"

#include <algorithm>

namespace korvex {

TPProductionBoard::TPProductionBoard(TPMainWorkflows& work) : work_(work) {
    const TPSettingsStore& store = work_.Settings();
    if (const auto record = store.ReadString(TPSettingsStore::kProductionRecord)) {
        plan_.record = *record;
    }
    if (const auto count = store.ReadInteger(TPSettingsStore::kProductionCount)) {
        plan_.count = std::max(*count, 0);
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

void TPProductionBoard::Toggle() {
    if (work_.ProductionRunning()) {
        work_.StopProduction();
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
        });
    }
}

void TPProductionBoard::RunStarted(const TProductionPlan& /*plan*/) {
    view_.good = 0;
    view_.failed = 0;
    view_.lastCard.clear();
    view_.lastColour = TLastCardColour::lcNone;
    Refresh();
}

void TPProductionBoard::Waiting() {
    view_.state = work_.Text(entries::kWaitingForCard);
    Refresh();
}

void TPProductionBoard::CardStarted(int /*sequence*/) {
    view_.state.clear();
    Refresh();
}

void TPProductionBoard::CardDone(const TCardResult& result, const TProductionCounters& counters) {
    view_.good = counters.good;
    view_.failed = counters.failed;
    view_.lastCard = result.line;
    view_.lastColour =
        result.verdict == TCardVerdict::cvGood ? TLastCardColour::lcGood : TLastCardColour::lcBad;
    Refresh();
}

void TPProductionBoard::RunEnded(const TProductionSummary& /*summary*/) {
    view_.state.clear();
    Refresh();
}

void TPProductionBoard::Refresh() {
    view_.running = work_.ProductionRunning();
    view_.buttonEnabled = view_.running || !work_.Busy();
    view_.title = work_.Text(entries::kProduction);
    view_.lastCardCaption = work_.Text(entries::kLastCard);
    view_.buttonCaption =
        work_.Text(view_.running ? entries::kProductionStop : entries::kProductionStart);
    view_.goodCaption = work_.Text(entries::kCounterGood);
    view_.failedCaption = work_.Text(entries::kCounterFailed);
    view_.recordCaption = work_.Text(entries::kRecordFile);
    view_.recordName =
        plan_.record.empty() ? work_.Text(entries::kNoRecordFile) : plan_.record.string();
    if (OnChange) {
        OnChange();
    }
}

} // namespace korvex
