#include "workflows/productionboard.h"

#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/mainworkflows.h"

namespace korvex {

TPProductionBoard::TPProductionBoard(TPMainWorkflows& work) : work_(work) {
    Refresh();
}

void TPProductionBoard::SetRecordFile(const std::filesystem::path& file) {
    plan_.record = file;
    Refresh();
}

void TPProductionBoard::Toggle() {
    if (work_.ProductionRunning()) {
        work_.StopProduction();
        return;
    }
    work_.RunProduction(plan_, *this);
    Refresh();
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
