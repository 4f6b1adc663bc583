#pragma once

#include "link/clock.h"
#include "sim/simcardmodel.h"
#include "sim/simfaults.h"
#include "sim/simfeedplan.h"
#include "sim/simframes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvex::sim {

class TSimDevice;

// A card going into the slot or coming out, at the feeder's clock time.
struct TSimFeedEvent {
    enum class TKind { Inserted, Removed };

    TKind kind = TKind::Inserted;
    int card = 0; // from 1
    std::int64_t timeMs = 0;
};

// "card 3 in", "card 3 out".
std::string SimFeedEventText(const TSimFeedEvent& event);

// The person at a production line: puts a fresh blank card in, waits until
// the host has programmed it and let it go, takes it out, and after the gap
// puts the next one in, as many times as the plan says. The host's frames are
// its only cue, so it works the same behind a pseudo-terminal and
// in-process:
// - programmed and released: since the card went in the host sent a write or
//   erase frame and, after the last of them, mode 0; the next poll then finds
//   the slot empty (the host's command has ended). A card never written
//   stays in, however long the host idles.
// - the next card goes in at the first frame that comes once the slot has
//   been empty for the gap (with no gap: the frame after the removing poll).
// Frames count as the host sent them, whatever fault spoils their answer.
// A card taken out otherwise (a pull fault, SIGUSR1) counts as removed; one
// put back (SIGUSR2) as the same card in again.
class TSimFeeder {
public:
    using TEventHandler = std::function<void(const TSimFeedEvent&)>;

    // Cards are fresh cards of `model`. Throws ESimSetup for a plan
    // ValidateSimFeedPlan refuses. `clock` must outlive the feeder.
    TSimFeeder(TSimFeedPlan plan, TSimCardModel model, TClock& clock, TEventHandler onEvent = {});

    // Puts card 1 in.
    void Start(TSimDevice& device);
    // Called by the device for each frame before it answers it: may put a
    // card in or take it out; the line fault of the card in the slot that
    // strikes this frame, if any.
    std::optional<TSimFaultKind> BeforeFrame(TSimDevice& device, const TSimFrame& frame);
    // Called by the device when something else changed the slot.
    void SlotChanged(bool present);

    // Every card in and out so far, in order. The counts count these events,
    // so a card put back counts once more.
    const std::vector<TSimFeedEvent>& Events() const { return events_; }
    int CardsInserted() const { return Count(TSimFeedEvent::TKind::Inserted); }
    int CardsRemoved() const { return Count(TSimFeedEvent::TKind::Removed); }
    // The number of the card in the slot, 0 when it is empty.
    int CardInSlot() const { return in_ ? card_ : 0; }
    // The last card has been taken out.
    bool Finished() const { return !in_ && card_ == plan_.cards; }

private:
    void InsertNext(TSimDevice& device, std::int64_t nowMs);
    void TakeOut(TSimDevice& device, std::int64_t nowMs);
    void Record(TSimFeedEvent::TKind kind, std::int64_t nowMs);
    int Count(TSimFeedEvent::TKind kind) const;

    TSimFeedPlan plan_;
    TSimCardModel model_;
    TClock& clock_;
    TEventHandler onEvent_;
    std::vector<TSimFeedEvent> events_;
    int card_ = 0; // the card in the slot or, when it is empty, the last one out
    bool in_ = false;
    bool written_ = false;  // since the last release
    bool released_ = false; // mode 0 since a write
    std::int64_t emptySinceMs_ = 0;
    TSimFaultPlan cardFaults_; // of the card in the slot, counted from its insertion
};

} // namespace korvex::sim
