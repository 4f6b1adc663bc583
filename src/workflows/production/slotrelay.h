#pragma once

#include "link/seams.h"
#include "workflows/presenter/mainview.h"
#include "workflows/production/gangboard.h"

#include <cstddef>
#include <functional>

namespace korvex {

// A slot's face on the slot's own thread: what its session and its run tell
// (the run's news, the status panel's steps, the gauge, the message boxes)
// is copied and handed to the board on the face's thread through `post`,
// which queues a call there (a queued signal in the window). Nothing here
// waits for the face, and nothing touches the board but the calls posted.
class TPSlotRelay final : public TProductionObserver, public TPrompts {
public:
    using TPost = std::function<void(std::function<void()> call)>;
    TPSlotRelay(std::size_t slot, TPGangBoard& board, TPost post)
        : slot_(slot), board_(board), post_(std::move(post)) {}

    // The run's news.
    void Waiting() override;
    void CardStarted(int sequence) override;
    void CardDone(const TCardResult& result, const TProductionCounters& counters) override;
    void Notice(const std::string& text) override;
    void Problem(TMessageKind kind, const std::string& text) override;
    // The end of the slot's thread: its run ended and its programmer let go.
    void Ended(const TProductionSummary& summary);

    // The status panel's caption: the step of the card in hand.
    void Step(const std::string& caption);
    void SetProgress(int percent);

    // A box outside the run (its programmer cannot be opened) is said in the
    // slot's view; nobody is there to answer a question.
    void ShowMessage(TMessageKind kind, int entry, const std::string& text) override;
    bool Ask(int entry, const std::string& text, TAnswer preset) override;
    void ShowPlain(const std::string& title, const std::string& text) override;

private:
    std::size_t slot_;
    TPGangBoard& board_;
    TPost post_;
    int percent_ = -1; // the last one posted: the gauge moves in whole steps
};

} // namespace korvex
