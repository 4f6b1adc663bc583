#include "workflows/production/gangrun.h"

#include "workflows/session/session.h"

namespace korvex {

bool StopsEverySlot(TRunEnd end) {
    return end == TRunEnd::reFiles || end == TRunEnd::reRecordFailed || end == TRunEnd::reSerials ||
           end == TRunEnd::reDatabaseLost;
}

TPGangRun::TPGangRun(TProductionPlan plan) : plan_(std::move(plan)), numbers_(plan_.count) {
    if (plan_.run.empty()) {
        plan_.run = RunName(std::chrono::system_clock::now());
    }
    plan_.numbers = &numbers_;
    plan_.silentEndsAfterMs = kSilentSlotMs;
    plan_.lineFailuresEndAfter = kFailingSlotCards;
    plan_.stationReserve = std::make_shared<TPStationReserve>();
    plan_.stopAll = &stopAll_;
}

TPGangRun::~TPGangRun() {
    StopAll();
    Join();
}

void TPGangRun::Add(TPSession& session, TProductionObserver& observer, bool inView) {
    Add([&session, &observer, inView](const TProductionPlan& plan) {
        return session.RunProduction(plan, observer, inView);
    });
}

void TPGangRun::Add(TRunSlot run) {
    slots_.push_back(std::move(run));
}

void TPGangRun::Start(TEnded ended) {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        threads_.emplace_back([this, ended, i] {
            const TProductionSummary summary = slots_[i](plan_);
            if (StopsEverySlot(summary.end)) {
                stopAll_ = true;
            }
            if (ended) {
                ended(i, summary);
            }
        });
    }
}

void TPGangRun::Join() {
    for (std::thread& thread : threads_) {
        if (thread.joinable()) {
            thread.join();
        }
    }
    threads_.clear();
}

} // namespace korvex
