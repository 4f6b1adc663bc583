#pragma once

#include "serials/record/recordsummary.h"
#include "workflows/production/productionboard.h"

#include <functional>
#include <string>
#include <vector>

namespace korvex {

// One programmer of a run with several, as the production window shows it.
struct TSlotView {
    std::string port; // as the list of programmers names it
    TSlotPhase phase = TSlotPhase::spStopped;
    std::string phaseText; // large: "Put a card in", "Programming… (Writing pic)"
    // The card in hand and its step, "Card 3: Writing pic..."; empty between cards.
    std::string cardInHand;
    int percent = 0; // the card in hand's progress
    std::string lastCard;
    TLastCardColour lastColour = TLastCardColour::lcNone;
    std::string lastSerials;
    int good = 0;
    int failed = 0;
    // What the slot waits for or said last; "Stopped: ..." for a slot that
    // stopped on its own, with why.
    std::string state;
    bool stoppedAlone = false; // the slot stopped for a reason of its own

    bool operator==(const TSlotView&) const = default;
};

// What the production window shows of a run with several programmers: the
// totals, yield and rate of every slot together above a view of each slot.
struct TGangView {
    bool running = false;
    std::string totalsCaption;
    int good = 0;
    int failed = 0;
    std::string yield; // first pass, "96 %"; "–" until it can be told
    std::string rate;  // cards an hour; "–" until it can be told
    std::vector<TSlotView> slotViews;
};

// The view of a run with several programmers, told slot by slot what each
// slot's run tells. It lives on the face's thread: each slot's thread hands
// its news over to it (TPSlotRelay), never touching it itself.
class TPGangBoard {
public:
    using TTexts = std::function<std::string(int entry)>;
    explicit TPGangBoard(TTexts texts) : texts_(std::move(texts)) {}

    // A run over these ports begins; every slot waits to be opened.
    void Begin(const std::vector<std::string>& ports);
    // The slots of the next run, shown stopped until it begins.
    void ShowPorts(const std::vector<std::string>& ports);

    void Waiting(std::size_t slot);
    void CardStarted(std::size_t slot, int sequence);
    void Step(std::size_t slot, const std::string& caption);
    void Progress(std::size_t slot, int percent);
    void CardDone(std::size_t slot, const TCardResult& result, const TProductionCounters& counters);
    void Notice(std::size_t slot, const std::string& text);
    void Problem(std::size_t slot, TMessageKind kind, const std::string& text);
    void Ended(std::size_t slot, const TProductionSummary& summary);
    // Every slot asked to stop after its card in hand.
    void Stopping();

    // Whether a slot's run has not ended yet.
    bool Running() const;
    const TGangView& View() const { return view_; }
    // Words the view afresh, e.g. after a change of language.
    void Refresh();
    // Told after every change of the view.
    std::function<void()> OnChange;

private:
    struct TSlot {
        TSlotView view;
        int inHand = 0; // the card being programmed, 0 between cards
        std::string step;
        bool waiting = false;
        bool cardOut = false;
        bool ended = true;
        bool stopping = false;
        std::string notice;
        std::string problem;
        std::int64_t elapsedMs = 0;
    };
    void Word(TSlot& slot) const;
    TSlot* At(std::size_t slot);

    TTexts texts_;
    std::vector<TSlot> slots_;
    TCardTally tally_;
    TGangView view_;
};

} // namespace korvex
