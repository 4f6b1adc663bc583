#include "workflows/production/gangboard.h"

#include "support/errors.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/session/cardcommands.h"

#include <algorithm>

namespace korvex {

void TPGangBoard::ShowPorts(const std::vector<std::string>& ports) {
    if (Running()) {
        return;
    }
    slots_.assign(ports.size(), TSlot{});
    for (std::size_t i = 0; i < ports.size(); ++i) {
        slots_[i].view.port = ports[i];
    }
    Refresh();
}

void TPGangBoard::Begin(const std::vector<std::string>& ports) {
    slots_.assign(ports.size(), TSlot{});
    for (std::size_t i = 0; i < ports.size(); ++i) {
        slots_[i].view.port = ports[i];
        slots_[i].ended = false;
    }
    tally_ = {};
    Refresh();
}

TPGangBoard::TSlot* TPGangBoard::At(std::size_t slot) {
    return slot < slots_.size() ? &slots_[slot] : nullptr;
}

void TPGangBoard::Waiting(std::size_t slot) {
    if (TSlot* each = At(slot)) {
        each->waiting = true;
        each->cardOut = false;
        Refresh();
    }
}

void TPGangBoard::CardStarted(std::size_t slot, int sequence) {
    if (TSlot* each = At(slot)) {
        each->waiting = false;
        each->notice.clear();
        each->inHand = sequence;
        each->view.percent = 0;
        Refresh();
    }
}

void TPGangBoard::Step(std::size_t slot, const std::string& caption) {
    if (TSlot* each = At(slot); each != nullptr && each->step != caption) {
        each->step = caption;
        if (each->inHand > 0) {
            Refresh();
        }
    }
}

void TPGangBoard::Progress(std::size_t slot, int percent) {
    if (TSlot* each = At(slot); each != nullptr && each->view.percent != percent) {
        each->view.percent = percent;
        Refresh();
    }
}

void TPGangBoard::CardDone(std::size_t slot, const TCardResult& result,
                           const TProductionCounters& counters) {
    TSlot* each = At(slot);
    if (each == nullptr) {
        return;
    }
    each->view.good = counters.good;
    each->view.failed = counters.failed;
    each->view.lastCard = result.line;
    each->view.lastSerials = SerialValuesLine(result.serials, texts_(entries::kSerialValue));
    each->view.lastColour =
        result.verdict == TCardVerdict::cvGood ? TLastCardColour::lcGood : TLastCardColour::lcBad;
    each->inHand = 0;
    each->cardOut = true;
    each->elapsedMs = counters.elapsedMs;
    CountCard(tally_, result);
    // Over every slot, the run's time is the longest a slot ran.
    tally_.workMs = std::max(tally_.workMs, counters.elapsedMs);
    Refresh();
}

void TPGangBoard::Notice(std::size_t slot, const std::string& text) {
    if (TSlot* each = At(slot)) {
        each->notice = text;
        Refresh();
    }
}

void TPGangBoard::Problem(std::size_t slot, TMessageKind kind, const std::string& text) {
    if (TSlot* each = At(slot)) {
        if (kind == TMessageKind::mkInformation) {
            each->notice = OneLine(text);
        } else {
            each->problem = OneLine(text);
        }
        Refresh();
    }
}

void TPGangBoard::Ended(std::size_t slot, const TProductionSummary& summary) {
    TSlot* each = At(slot);
    if (each == nullptr) {
        return;
    }
    each->ended = true;
    each->inHand = 0;
    each->waiting = false;
    each->notice.clear();
    each->view.stoppedAlone = summary.end != TRunEnd::reCount && summary.end != TRunEnd::reStopped;
    Refresh();
}

void TPGangBoard::Stopping() {
    for (TSlot& slot : slots_) {
        slot.stopping = !slot.ended;
    }
    Refresh();
}

bool TPGangBoard::Running() const {
    return std::any_of(slots_.begin(), slots_.end(), [](const TSlot& slot) { return !slot.ended; });
}

void TPGangBoard::Word(TSlot& slot) const {
    TSlotView& view = slot.view;
    view.phase = PhaseOf({slot.ended, slot.inHand, slot.waiting, slot.cardOut});
    view.phaseText = PhaseText(view.phase, slot.step, texts_);
    view.cardInHand.clear();
    if (slot.inHand > 0) {
        view.cardInHand =
            FillIn(texts_(entries::kCardInHand), {std::to_string(slot.inHand), slot.step});
    }
    view.state.clear();
    if (!slot.problem.empty()) {
        view.state = slot.ended ? FillIn(texts_(entries::kSlotStoppedBecause), {slot.problem})
                                : slot.problem;
    } else if (slot.stopping && !slot.ended) {
        view.state = texts_(entries::kStoppingAfterCard);
    } else if (!slot.notice.empty()) {
        view.state = slot.notice;
    } else if (slot.waiting && !slot.ended) {
        view.state = texts_(entries::kWaitingForCard);
    }
}

void TPGangBoard::Refresh() {
    view_.running = Running();
    view_.totalsCaption = texts_(entries::kAllSlots);
    view_.good = tally_.good;
    view_.failed = tally_.failed;
    view_.yield = YieldText(tally_);
    view_.rate = RateText(tally_);
    view_.slotViews.clear();
    for (TSlot& slot : slots_) {
        Word(slot);
        view_.slotViews.push_back(slot.view);
    }
    if (OnChange) {
        OnChange();
    }
}

} // namespace korvex
