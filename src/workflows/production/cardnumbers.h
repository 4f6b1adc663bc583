#pragma once

#include <atomic>
#include <optional>

namespace korvex {

// The card numbers of one production run, which several programmers of a
// station may share, each on its own thread: every card, whichever slot it
// is put into, takes the next number, so no two lines of the run have the
// same key (station, run, sequence), and a run of N cards hands out N
// numbers in all.
class TPCardNumbers {
public:
    // `count`: the cards of the run; 0 for no end.
    explicit TPCardNumbers(int count) : count_(count) {}

    // The next card's number; nothing once the count is out.
    std::optional<int> Take();
    // Every number of the count has been handed out: a slot without a card
    // in hand has no card left to program.
    bool AllTaken() const { return count_ > 0 && taken_.load() >= count_; }
    int Taken() const { return taken_.load(); }

private:
    const int count_;
    std::atomic<int> taken_{0};
};

} // namespace korvex
