#pragma once

#include "workflows/mainview.h"
#include "workflows/productionrun.h"

#include <filesystem>
#include <functional>
#include <string>

namespace korvex {

class TPMainWorkflows;

// How the last card ended, for the colour a face gives it.
enum class TLastCardColour { lcNone, lcGood, lcBad };

// What a production window shows, worded in the language chosen.
struct TProductionView {
    bool running = false;
    std::string buttonCaption; // Start, or Stop while a run is on
    std::string goodCaption;
    std::string failedCaption;
    int good = 0;
    int failed = 0;
    std::string lastCard; // the last card's line; empty before the first
    TLastCardColour lastColour = TLastCardColour::lcNone;
    std::string recordCaption;
    std::string recordName; // the record file, or the "none" text
    std::string state;      // "Waiting for a card..." while the slot is empty
};

// The production window's logic: the run's plan, started and stopped from
// one button, and the counters and last card as the run reports them.
class TPProductionBoard final : public TProductionObserver {
public:
    explicit TPProductionBoard(TPMainWorkflows& work);

    void SetRecordFile(const std::filesystem::path& file);
    const std::filesystem::path& RecordFile() const { return plan_.record; }
    void SetCount(int count) { plan_.count = count < 0 ? 0 : count; }
    // The one button: starts a run, which returns when it ends (the face's
    // events run meanwhile), or asks the running one to stop after the card
    // in hand.
    void Toggle();
    const TProductionView& View() const { return view_; }
    // Told after every change of the view.
    std::function<void()> OnChange;

    void RunStarted(const TProductionPlan& plan) override;
    void Waiting() override;
    void CardStarted(int sequence) override;
    void CardDone(const TCardResult& result, const TProductionCounters& counters) override;
    void RunEnded(const TProductionSummary& summary) override;

    // Words the view afresh, e.g. after a change of language.
    void Refresh();

private:
    TPMainWorkflows& work_;
    TProductionPlan plan_;
    TProductionView view_;
};

} // namespace korvex
