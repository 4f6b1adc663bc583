#pragma once

#include "workflows/production/cardnumbers.h"
#include "workflows/production/productionrun.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

namespace korvex {

class TPSession;

// Whether a slot's end stops the other slots too: what failed is shared by
// all of them (the record, the files, the serial values, the database), so
// each of their next cards would fail the same way.
bool StopsEverySlot(TRunEnd end);

// Several programmers of one station, each a session on a thread of its own,
// running one production run: one name, one count, one card number per card
// whichever slot it is in, one record and one claims source. A slot whose
// programmer fails (it goes away, falls silent, or fails card after card on
// the line) ends alone; one whose end is the station's ends them all after
// their cards in hand. The sessions are touched only by their own threads
// once started.
class TPGangRun {
public:
    // A programmer that has not answered for this long stops its slot, so
    // the run is not left with a slot that can never take a card.
    static constexpr int kSilentSlotMs = 2000;
    // A programmer that fails this many cards in a row on the line stops its
    // slot: it refuses what it took before, and the person at the line
    // would only feed it cards to fail.
    static constexpr int kFailingSlotCards = 3;

    // Told on the slot's own thread as its run ends.
    using TEnded = std::function<void(std::size_t slot, const TProductionSummary& summary)>;

    // `plan` as the station asks for it; the run gives it its shared parts.
    explicit TPGangRun(TProductionPlan plan);
    ~TPGangRun();
    TPGangRun(const TPGangRun&) = delete;
    TPGangRun& operator=(const TPGangRun&) = delete;

    // A slot: its session and what its run tells (on the slot's thread).
    // `inView`: see TPSession::RunProduction. Before Start only.
    void Add(TPSession& session, TProductionObserver& observer, bool inView);
    // A slot whose thread does more than the run: `run` gets the shared
    // plan and runs the slot's production run on it (e.g. opening its
    // programmer first, and letting it go after).
    using TRunSlot = std::function<TProductionSummary(const TProductionPlan& plan)>;
    void Add(TRunSlot run);
    // A thread for each slot, each running its production run.
    void Start(TEnded ended);
    // Every slot ends after its card in hand; from any thread.
    void StopAll() { stopAll_ = true; }
    bool StopAsked() const { return stopAll_.load(); }
    // Waits for every slot's thread to end.
    void Join();
    const TProductionPlan& Plan() const { return plan_; }

private:
    TProductionPlan plan_;
    TPCardNumbers numbers_;
    std::atomic<bool> stopAll_{false};
    std::vector<TRunSlot> slots_;
    std::vector<std::thread> threads_;
};

} // namespace korvex
