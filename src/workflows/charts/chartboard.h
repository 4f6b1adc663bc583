#pragma once

#include "workflows/charts/chartdata.h"
#include "workflows/charts/chartquery.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

class TPMainWorkflows;
class TPProductionBoard;

// Which cards the charts take: those of the run the production window
// started last (on its station), of today, or of a range typed as
// `korvex-cli records --since/--until` takes it.
enum class TChartSpan { csThisRun, csToday, csRange };

// What the charts tab shows, worded in the language chosen.
struct TChartsView {
    std::string sourceCaption;
    std::vector<std::string> sources; // in the order of TChartSource
    int source = 0;
    std::string spanCaption;
    std::vector<std::string> spans; // in the order of TChartSpan
    int span = 0;
    std::string sinceCaption, untilCaption, rangeTip;
    std::string since, until;
    bool rangeEnabled = false; // only a chosen range takes typed times
    std::string stationCaption;
    std::vector<std::string> stations; // "All stations" first, then those read
    int station = 0;
    bool stationEnabled = true; // this run's station is the run's
    std::string refreshCaption;
    std::string cardsTitle, stepsTitle, yieldTitle, goodName, failedName;
    // A read is under way ("Reading the record…" in `state`).
    bool reading = false;
    // `state` says why there are no charts: the choices name nothing to
    // read, or the read failed.
    bool failed = false;
    // Reading, the failure, or what the charts leave out; empty otherwise.
    std::string state;
    std::string totals; // the cards, the yields and the pace in one line
    TChartData data;
    std::vector<std::string> stepNames; // data.steps' names, worded
};

// The charts tab's logic: the choices, the read they ask for, and the
// charts of what it brought, all from the summary `korvex-cli records`
// prints. The read itself runs on a thread of the face's (see Read), so a
// slow database never holds up the window; its result comes back through
// Delivered, and a result a newer read has overtaken is dropped.
class TPChartBoard {
public:
    using TNow = std::function<std::chrono::system_clock::time_point()>;
    TPChartBoard(
        TPMainWorkflows& work, const TPProductionBoard& production,
        TNow now = [] { return std::chrono::system_clock::now(); });

    void SetSource(TChartSource source);
    void SetSpan(TChartSpan span);
    // The times of a chosen range, as typed; empty: open at that end.
    void SetSince(const std::string& text);
    void SetUntil(const std::string& text);
    // Redraws from the record already read: every station is in it.
    void SetStation(int index);

    // A read the choices ask for; the one before it is given up. Nothing,
    // the view saying why, when they name nothing that can be read.
    struct TJob {
        int ticket = 0;
        TChartQuery query;
    };
    std::optional<TJob> Read();
    void Delivered(int ticket, const TChartRead& read);
    // Whether new cards of the run change the charts: this run or today.
    bool FollowsTheRun() const;

    // Words the view afresh, e.g. after a change of language.
    void Refresh();
    const TChartsView& View() const { return view_; }
    // Told after every change of the view.
    std::function<void()> OnChange;

private:
    // Why there are no charts, worded afresh in each language: an entry,
    // with the value or the error its %1 stands for.
    struct TProblem {
        TProblem() = default;
        explicit TProblem(int entry, std::string value = {}, std::exception_ptr error = nullptr)
            : entry(entry), value(std::move(value)), error(std::move(error)) {}
        int entry = -1;
        std::string value;
        std::exception_ptr error;
    };
    // The filter of the span, or why there is none.
    std::optional<TRecordFilter> Filter(TProblem& problem) const;
    std::string ChosenStation() const;
    void Fail(const TProblem& problem);
    std::string Words(const TProblem& problem) const;

    TPMainWorkflows& work_;
    const TPProductionBoard& production_;
    TNow now_;
    TChartSource source_ = TChartSource::csRecord;
    TChartSpan span_ = TChartSpan::csToday;
    std::string since_, until_;
    std::string station_; // empty: all
    std::vector<std::string> stations_;
    int ticket_ = 0;
    std::shared_ptr<std::atomic<bool>> pending_; // the read under way, if any
    std::optional<TRecordSummary> summary_;
    TProblem problem_;
    TChartsView view_;
};

} // namespace korvex
