#pragma once

#include "link/clock.h"
#include "link/seams.h"

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace korvex::cli {

// The running step and its progress on stderr. On a terminal: one line
// redrawn in place, "Writing flash... | #########           | 45% 1.2s";
// otherwise one plain line per step. Quiet: nothing at all.
class TProgressLine final : public TProgressSink {
public:
    static constexpr int kBarWidth = 20;

    TProgressLine(std::ostream& err, bool terminal, bool quiet, TClock& clock)
        : err_(err), terminal_(terminal), quiet_(quiet), clock_(clock) {}

    void SetStep(const std::string& caption);
    void SetProgress(int percent) override;
    // On a terminal, what a waiting run waits for, on the line the bar
    // would take, until the next line of any kind takes its place.
    void ShowWaiting(const std::string& text);
    // Ends a line being redrawn, so other output starts on a line of its
    // own; a waiting line is wiped instead.
    void EndLine();
    // The line goes to `show` each time it changes, instead of to stderr:
    // a run with several programmers shows it among the others' lines.
    void DrawInto(std::function<void(const std::string&)> show) { drawInto_ = std::move(show); }

    // The bar as drawn for a step, its percentage and elapsed milliseconds.
    static std::string Render(const std::string& caption, int percent, std::int64_t elapsedMs);

private:
    void Draw();

    std::ostream& err_;
    bool terminal_;
    bool quiet_;
    TClock& clock_;
    std::string caption_;
    int percent_ = 0;
    std::int64_t startMs_ = 0;
    bool drawn_ = false;
    bool waiting_ = false;
    std::function<void(const std::string&)> drawInto_;
};

} // namespace korvex::cli
