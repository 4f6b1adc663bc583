#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <tuple>

namespace korvex {

// The values a station holds in reserve from the shared database, known to
// each of its programmers, which take blocks of their own on threads of
// their own: one that settles the station's open claims with the database
// (TPBlockClaims::Reconcile) must leave another's reserve alone, or it would
// call values unused that a card is about to get. A block taken and entered
// here, and a settling, each go in the station's turn.
class TPStationReserve {
public:
    // card type, field, position
    using TValue = std::tuple<std::string, std::string, std::uint64_t>;

    // Nobody else takes, enters or settles while it is held.
    [[nodiscard]] std::unique_lock<std::mutex> Turn() { return std::unique_lock(mutex_); }

    // With the turn held.
    void Hold(TValue value) { held_.insert(std::move(value)); }
    void Drop(const TValue& value) { held_.erase(value); }
    bool Holds(const TValue& value) const { return held_.contains(value); }

private:
    std::mutex mutex_;
    std::set<TValue> held_;
};

} // namespace korvex
