#include "workflows/charts/chartboard.h"

#include "serials/record/recordtime.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/presenter/mainworkflows.h"
#include "workflows/production/productionboard.h"
#include "workflows/production/productionrecord.h"
#include "workflows/session/failstep.h"

#include <algorithm>
#include <cstdio>

namespace korvex {

namespace {

// One decimal, with the language's decimal mark: 66.7 or 66,7.
std::string Tenths(const TPMainWorkflows& work, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string shown = text;
    if (const std::size_t point = shown.find('.'); point != std::string::npos) {
        shown.replace(point, 1, work.Text(entries::kChartDecimalMark));
    }
    return shown;
}

std::string Percent(const TPMainWorkflows& work, double share) {
    return Tenths(work, share * 100) + " %";
}

// The record's name of a step in the language chosen; a name no step has
// stays as the record has it.
std::string StepWords(const TPMainWorkflows& work, const std::string& name) {
    if (name.empty()) {
        return work.Text(entries::kChartNoStep);
    }
    const std::optional<TFailStep> step = FailStepNamed(name);
    if (!step) {
        return name;
    }
    return work.Text(*step == TFailStep::fsSerial
                         ? entries::kSerialStep
                         : entries::kFirstFailStep + static_cast<int>(*step) - 1);
}

std::string Totals(const TPMainWorkflows& work, const TCardTally& tally) {
    std::string line = FillIn(work.Text(entries::kChartTally),
                              {std::to_string(tally.Cards()), std::to_string(tally.good),
                               std::to_string(tally.failed), std::to_string(tally.interrupted)});
    if (const auto yield = tally.Yield()) {
        line += "; " + FillIn(work.Text(entries::kChartYield),
                              {Percent(work, *yield), Percent(work, *tally.FirstPassYield())});
    }
    if (const auto pace = tally.CardsPerHour()) {
        line += "; " + FillIn(work.Text(entries::kChartPace), {Tenths(work, *pace)});
    }
    return line;
}

} // namespace

TPChartBoard::TPChartBoard(TPMainWorkflows& work, const TPProductionBoard& production, TNow now)
    : work_(work), production_(production), now_(std::move(now)) {
    // A line that shares its record has every station's cards there.
    const TProductionPlan& plan = production_.Plan();
    if (plan.record.empty() && !plan.database.empty()) {
        source_ = TChartSource::csDatabase;
    }
    Refresh();
}

void TPChartBoard::SetSource(TChartSource source) {
    source_ = source;
    Refresh();
}

void TPChartBoard::SetSpan(TChartSpan span) {
    span_ = span;
    Refresh();
}

void TPChartBoard::SetSince(const std::string& text) {
    since_ = text;
    Refresh();
}

void TPChartBoard::SetUntil(const std::string& text) {
    until_ = text;
    Refresh();
}

void TPChartBoard::SetStation(int index) {
    if (span_ != TChartSpan::csThisRun) {
        station_ = index > 0 && index <= static_cast<int>(stations_.size())
                       ? stations_[static_cast<std::size_t>(index - 1)]
                       : std::string();
    }
    Refresh();
}

std::optional<TRecordFilter> TPChartBoard::Filter(TProblem& problem) const {
    TRecordFilter filter;
    switch (span_) {
    case TChartSpan::csThisRun:
        if (!production_.LastRun()) {
            problem = TProblem(entries::kChartNoRun);
            return std::nullopt;
        }
        filter.since = production_.LastRun()->startSeconds;
        return filter;
    case TChartSpan::csToday: {
        const std::string today = LocalIsoTime(now_()).substr(0, 10);
        filter.since = RangeTimeSeconds(today, false);
        filter.until = RangeTimeSeconds(today, true);
        return filter;
    }
    case TChartSpan::csRange:
        break;
    }
    for (const auto& [text, dayEnd] : {std::pair(&since_, false), std::pair(&until_, true)}) {
        if (text->empty()) {
            continue;
        }
        const std::optional<std::int64_t> seconds = RangeTimeSeconds(*text, dayEnd);
        if (!seconds) {
            problem = TProblem(entries::kChartNoTime, *text);
            return std::nullopt;
        }
        (dayEnd ? filter.until : filter.since) = seconds;
    }
    if (filter.since && filter.until && *filter.until <= *filter.since) {
        problem = TProblem(entries::kChartEmptyRange);
        return std::nullopt;
    }
    return filter;
}

std::optional<TPChartBoard::TJob> TPChartBoard::Read() {
    if (pending_) {
        pending_->store(true);
        pending_.reset();
    }
    const TProductionPlan& plan = production_.Plan();
    const bool database = source_ == TChartSource::csDatabase;
    TProblem problem;
    std::optional<TRecordFilter> filter;
    if (database ? plan.database.empty() : plan.record.empty()) {
        problem = TProblem(database ? entries::kChartNoDatabase : entries::kChartNoRecord);
    } else {
        filter = Filter(problem);
    }
    if (!filter) {
        Fail(problem);
        return std::nullopt;
    }
    TJob job;
    job.ticket = ++ticket_;
    job.query.source = source_;
    job.query.record = plan.record;
    job.query.database = plan.database;
    job.query.station = plan.station.empty() ? TPProductionRun::DefaultStation() : plan.station;
    job.query.filter = *filter;
    job.query.databaseWaitMs = plan.databaseWaitMs;
    pending_ = job.query.cancelled;
    problem_ = TProblem();
    Refresh();
    return job;
}

void TPChartBoard::Delivered(int ticket, const TChartRead& read) {
    if (ticket != ticket_ || !pending_) {
        return; // overtaken by a newer read
    }
    pending_.reset();
    if (read.error) {
        Fail(TProblem(source_ == TChartSource::csDatabase ? entries::kChartDatabaseUnreadable
                                                          : entries::kChartRecordUnreadable,
                      "", read.error));
        return;
    }
    summary_ = read.summary;
    stations_.clear();
    for (const auto& [station, tally] : summary_->stations) {
        stations_.push_back(station);
    }
    Refresh();
}

void TPChartBoard::Fail(const TProblem& problem) {
    summary_.reset();
    problem_ = problem;
    Refresh();
}

std::string TPChartBoard::Words(const TProblem& problem) const {
    std::string value = problem.value;
    if (problem.error) {
        try {
            std::rethrow_exception(problem.error);
        } catch (const std::exception& error) {
            value = work_.Worded(error);
        } catch (...) {
            value = "?";
        }
    }
    return FillIn(work_.Text(problem.entry), {value});
}

bool TPChartBoard::FollowsTheRun() const {
    return span_ != TChartSpan::csRange;
}

std::string TPChartBoard::ChosenStation() const {
    if (span_ == TChartSpan::csThisRun) {
        return production_.LastRun() ? production_.LastRun()->station : std::string();
    }
    return station_;
}

void TPChartBoard::Refresh() {
    TChartsView& view = view_;
    view.sourceCaption = work_.Text(entries::kChartSource);
    view.sources = {work_.Text(entries::kChartFromRecord), work_.Text(entries::kChartFromDatabase)};
    view.source = static_cast<int>(source_);
    view.spanCaption = work_.Text(entries::kChartSpan);
    view.spans = {work_.Text(entries::kChartThisRun), work_.Text(entries::kChartToday),
                  work_.Text(entries::kChartChosenRange)};
    view.span = static_cast<int>(span_);
    view.sinceCaption = work_.Text(entries::kChartSince);
    view.untilCaption = work_.Text(entries::kChartUntil);
    view.rangeTip = work_.Text(entries::kChartRangeTip);
    view.since = since_;
    view.until = until_;
    view.rangeEnabled = span_ == TChartSpan::csRange;
    view.stationCaption = work_.Text(entries::kStation);
    view.refreshCaption = work_.Text(entries::kChartRefresh);
    view.stepsTitle = work_.Text(entries::kChartFailuresByStep);
    view.yieldTitle = work_.Text(entries::kChartFirstPassYield);
    view.goodName = work_.Text(entries::kCounterGood);
    view.failedName = work_.Text(entries::kCounterFailed);

    // The stations the record holds, and the one chosen even when it holds
    // none of its cards now.
    const std::string station = ChosenStation();
    std::vector<std::string> stations = stations_;
    if (!station.empty() &&
        std::find(stations.begin(), stations.end(), station) == stations.end()) {
        stations.push_back(station);
    }
    view.stations = {work_.Text(entries::kChartAllStations)};
    view.stations.insert(view.stations.end(), stations.begin(), stations.end());
    view.station = station.empty()
                       ? 0
                       : static_cast<int>(std::find(stations.begin(), stations.end(), station) -
                                          stations.begin()) +
                             1;
    view.stationEnabled = span_ != TChartSpan::csThisRun;

    view.data = summary_ ? ChartDataOf(*summary_, station) : TChartData();
    view.cardsTitle =
        work_.Text(view.data.byDay ? entries::kChartCardsPerDay : entries::kChartCardsPerHour);
    view.stepNames.clear();
    for (const auto& [step, cards] : view.data.steps) {
        view.stepNames.push_back(StepWords(work_, step));
    }
    view.totals = summary_ ? Totals(work_, view.data.tally) : std::string();

    view.reading = pending_ != nullptr;
    view.failed = !view.reading && problem_.entry >= 0;
    view.state.clear();
    if (view.reading) {
        view.state = work_.Text(entries::kChartReading);
    } else if (view.failed) {
        view.state = Words(problem_);
    } else if (summary_) {
        const int undated = summary_->undated + view.data.undated;
        if (view.data.tally.Cards() == 0) {
            view.state = work_.Text(entries::kChartNoCards);
        }
        if (undated > 0) {
            view.state += (view.state.empty() ? "" : " ") +
                          FillIn(work_.Text(entries::kChartUndated), {std::to_string(undated)});
        }
    }
    if (OnChange) {
        OnChange();
    }
}

} // namespace korvex
