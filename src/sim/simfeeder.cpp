#include "sim/simfeeder.h"

#include "sim/simdevice.h"

#include <algorithm>

namespace korvex::sim {

std::string SimFeedEventText(const TSimFeedEvent& event) {
    return "card " + std::to_string(event.card) +
           (event.kind == TSimFeedEvent::TKind::Inserted ? " in" : " out");
}

TSimFeeder::TSimFeeder(TSimFeedPlan plan, TSimCardModel model, TClock& clock, TEventHandler onEvent)
    : plan_(std::move(plan)), model_(std::move(model)), clock_(clock),
      onEvent_(std::move(onEvent)) {
    ValidateSimFeedPlan(plan_, model_);
}

void TSimFeeder::Start(TSimDevice& device) {
    if (card_ == 0) {
        InsertNext(device, clock_.NowMs());
    }
}

std::optional<TSimFaultKind> TSimFeeder::BeforeFrame(TSimDevice& device, const TSimFrame& frame) {
    const std::int64_t now = clock_.NowMs();
    if (!in_ && card_ < plan_.cards && now - emptySinceMs_ >= plan_.gapMs) {
        InsertNext(device, now);
    }
    if (!in_) {
        return std::nullopt;
    }
    // A frame the device refuses unread or cannot tell apart is no cue.
    if (frame.checksumOk && frame.device != '\0') {
        switch (frame.command) {
        case 'B': // program, data EEPROM, configuration or lock, erase, external EEPROM
        case 'C':
        case 'D':
        case 'H':
        case 'I':
            written_ = true;
            released_ = false;
            break;
        case 'A':
            released_ = released_ || (written_ && frame.data == "0");
            break;
        case 'P':
            if (released_) {
                TakeOut(device, now);
                return std::nullopt;
            }
            break;
        default:
            break;
        }
    }
    return cardFaults_.Next(frame.command);
}

void TSimFeeder::SlotChanged(bool present) {
    if (present == in_ || card_ == 0) {
        return;
    }
    in_ = present;
    const std::int64_t now = clock_.NowMs();
    if (!present) {
        emptySinceMs_ = now;
    }
    Record(present ? TSimFeedEvent::TKind::Inserted : TSimFeedEvent::TKind::Removed, now);
}

void TSimFeeder::InsertNext(TSimDevice& device, std::int64_t nowMs) {
    ++card_;
    TSimCard card(model_);
    cardFaults_ = TSimFaultPlan();
    if (const auto faults = plan_.faults.find(card_); faults != plan_.faults.end()) {
        for (const TSimCardFault& fault : faults->second) {
            if (const auto* stuck = std::get_if<TSimStuckCell>(&fault)) {
                card.StickCell(stuck->memory, stuck->cell);
            } else {
                cardFaults_.Add(std::get<TSimFault>(fault));
            }
        }
    }
    device.InsertCard(std::move(card));
    in_ = true;
    written_ = false;
    released_ = false;
    Record(TSimFeedEvent::TKind::Inserted, nowMs);
}

void TSimFeeder::TakeOut(TSimDevice& device, std::int64_t nowMs) {
    // Through the card, not the device: the device would tell the feeder.
    in_ = false;
    device.Card().SetPresent(false);
    emptySinceMs_ = nowMs;
    Record(TSimFeedEvent::TKind::Removed, nowMs);
}

void TSimFeeder::Record(TSimFeedEvent::TKind kind, std::int64_t nowMs) {
    events_.push_back({kind, card_, nowMs});
    if (onEvent_) {
        onEvent_(events_.back());
    }
}

int TSimFeeder::Count(TSimFeedEvent::TKind kind) const {
    return static_cast<int>(std::count_if(
        events_.begin(), events_.end(), [kind](const TSimFeedEvent& e) { return e.kind == kind; }));
}

} // namespace korvex::sim
