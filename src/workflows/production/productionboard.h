#pragma once

#include "serials/record/recordsummary.h"
#include "workflows/presenter/mainview.h"
#include "workflows/production/productionrun.h"
#include "workflows/production/slotwords.h"

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace korvex {

class TPMainWorkflows;

// How the last card ended, for the colour a face gives it.
enum class TLastCardColour { lcNone, lcGood, lcBad };

// A card of the run as the list of recent cards shows it, worded in the
// language shown when it was done.
struct TRecentCard {
    std::string time; // the local time it was done, "14:02:11"
    int sequence = 0;
    TCardVerdict verdict = TCardVerdict::cvFailed;
    std::string outcome;
    std::string step;       // the step it failed at; empty for a good card
    std::string difference; // where it first differed; empty without
    std::string serials;    // its serial values; empty without
    // Everything on one line: its log line and its serial values.
    std::string line;

    bool operator==(const TRecentCard&) const = default;
};

// What a production window shows, worded in the language chosen.
struct TProductionView {
    // The recent cards kept, newest first: more than a shift looks back on.
    static constexpr std::size_t kRecentKept = 100;

    bool running = false;
    // A run can always be stopped, but not started while a command runs.
    bool buttonEnabled = true;
    // The plan takes changes only while nothing runs, in either window.
    bool planEnabled = true;
    std::string title;
    std::string buttonCaption; // Start, or Stop while a run is on
    std::string goodCaption;
    std::string failedCaption;
    int good = 0;
    int failed = 0;
    std::string lastCardCaption;
    std::string lastCard; // the last card's line; empty before the first
    TLastCardColour lastColour = TLastCardColour::lcNone;
    std::string lastSerials; // the serial values the last card got; empty without
    // The serial values of the card in hand, and their caption; empty
    // between cards and for a card type without serial fields.
    std::string inHandSerialsCaption;
    std::string inHandSerials;
    // The slot's phase, large; "Programming… (Writing pic)" with the step.
    TSlotPhase slot = TSlotPhase::spStopped;
    std::string slotText;
    // This run's first-pass yield ("96 %") and cards an hour ("118"); "–"
    // until they can be told.
    std::string yieldCaption;
    std::string yield;
    std::string rateCaption;
    std::string rate;
    std::string recentCaption;
    std::array<std::string, 6> recentColumns; // time, card, outcome, step, difference, values
    std::deque<TRecentCard> recent;
    std::string recordCaption;
    std::string recordName; // the record file, or the "none" text
    std::string databaseCaption;
    std::string databaseTip;
    std::string stationCaption;
    std::string defaultStation; // the station's name when none is given
    // The card in hand and its step, "Card 3: Writing pic..."; empty between cards.
    std::string cardInHand;
    // "Waiting for a card..." while the slot is empty, or what the run said
    // last (the shared database went away, the last run's card is still in
    // the slot) until the next card; "Stopping after this card..." from the
    // moment Stop was pressed.
    std::string state;
};

// A run a board started: its start, to the second, and the station it ran as.
struct TRunMark {
    std::int64_t startSeconds = 0;
    std::string station;
};

// The production window's logic: the run's plan, started and stopped from
// one button, and the counters and last card as the run reports them. The
// plan of the last run that started is kept in the settings and comes back
// with the next board.
class TPProductionBoard final : public TProductionObserver {
public:
    explicit TPProductionBoard(TPMainWorkflows& work);

    // Both are ignored while a run is on: the run goes on with the plan it
    // started with, and the board shows that plan.
    void SetRecordFile(const std::filesystem::path& file);
    const std::filesystem::path& RecordFile() const { return plan_.record; }
    void SetCount(int count);
    int Count() const { return plan_.count; }
    // The shared database (a postgresql:// URI) and the station's name in it;
    // empty: none, and this machine's name. The settings keep the URI
    // without any password it holds.
    void SetDatabase(const std::string& uri);
    const std::string& Database() const { return plan_.database; }
    void SetStation(const std::string& name);
    const std::string& Station() const { return plan_.station; }
    // The one button: starts a run, which returns when it ends (the face's
    // events run meanwhile), or asks the running one to stop after the card
    // in hand. After a run that started, its plan is stored; a store that
    // cannot be written throws EIniFileException then.
    void Toggle();
    // Keeps the plan in the settings, for the next board; throws
    // EIniFileException for a store that cannot be written.
    void StorePlan();
    const TProductionView& View() const { return view_; }
    const TProductionPlan& Plan() const { return plan_; }
    // The run this board started last, nothing before the first; every card
    // of it is recorded at its start or after.
    const std::optional<TRunMark>& LastRun() const { return lastRun_; }
    // Told after every change of the view.
    std::function<void()> OnChange;

    void RunStarted(const TProductionPlan& plan) override;
    void Waiting() override;
    void Notice(const std::string& text) override;
    void CardStarted(int sequence) override;
    void CardDone(const TCardResult& result, const TProductionCounters& counters) override;
    void RunEnded(const TProductionSummary& summary) override;
    void CardSerials(const std::string& values) override;
    void CardLeftInSlot() override;
    void Problem(TMessageKind kind, const std::string& text) override;

    // Words the view afresh, e.g. after a change of language.
    void Refresh();

private:
    void RefreshSlot();
    void AddRecent(const TCardResult& result);

    TPMainWorkflows& work_;
    TProductionPlan plan_;
    TProductionView view_;
    int inHand_ = 0; // the card being programmed, 0 between cards
    bool waiting_ = false;
    bool stopping_ = false;
    std::string notice_; // the run's last notice, until the next card
    // The card is done and still in the slot, as far as the run knows.
    bool cardOut_ = false;
    bool ended_ = false; // the run has told its end
    // What stopped the run, shown until the next one starts.
    std::string problem_;
    // This run's cards as the record's summary counts them.
    TCardTally tally_;
    std::optional<TRunMark> lastRun_;
};

} // namespace korvex
