#include "workflows/production/slotrelay.h"

namespace korvex {

void TPSlotRelay::Waiting() {
    post_([&board = board_, slot = slot_] { board.Waiting(slot); });
}

void TPSlotRelay::CardStarted(int sequence) {
    percent_ = 0;
    post_([&board = board_, slot = slot_, sequence] { board.CardStarted(slot, sequence); });
}

void TPSlotRelay::CardDone(const TCardResult& result, const TProductionCounters& counters) {
    post_([&board = board_, slot = slot_, result, counters] {
        board.CardDone(slot, result, counters);
    });
}

void TPSlotRelay::Notice(const std::string& text) {
    post_([&board = board_, slot = slot_, text] { board.Notice(slot, text); });
}

void TPSlotRelay::Problem(TMessageKind kind, const std::string& text) {
    post_([&board = board_, slot = slot_, kind, text] { board.Problem(slot, kind, text); });
}

void TPSlotRelay::Ended(const TProductionSummary& summary) {
    post_([&board = board_, slot = slot_, summary] { board.Ended(slot, summary); });
}

void TPSlotRelay::Step(const std::string& caption) {
    post_([&board = board_, slot = slot_, caption] { board.Step(slot, caption); });
}

void TPSlotRelay::SetProgress(int percent) {
    if (percent == percent_) {
        return;
    }
    percent_ = percent;
    post_([&board = board_, slot = slot_, percent] { board.Progress(slot, percent); });
}

void TPSlotRelay::ShowMessage(TMessageKind kind, int /*entry*/, const std::string& text) {
    Problem(kind, text);
}

bool TPSlotRelay::Ask(int /*entry*/, const std::string& /*text*/, TAnswer /*preset*/) {
    return false;
}

void TPSlotRelay::ShowPlain(const std::string& /*title*/, const std::string& text) {
    Problem(TMessageKind::mkInformation, text);
}

} // namespace korvex
