#include "cli/output/progressline.h"

#include <algorithm>
#include <cstdio>

namespace korvex::cli {

std::string TProgressLine::Render(const std::string& caption, int percent, std::int64_t elapsedMs) {
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * kBarWidth / 100;
    char tail[32];
    std::snprintf(tail, sizeof tail, "| %3d%% %.1fs", percent,
                  static_cast<double>(elapsedMs) / 1000.0);
    return caption + " | " + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + " " + tail;
}

void TProgressLine::SetStep(const std::string& caption) {
    if (quiet_ || caption == caption_) {
        return;
    }
    EndLine();
    caption_ = caption;
    percent_ = 0;
    startMs_ = clock_.NowMs();
    if (terminal_ || drawInto_) {
        Draw();
    } else {
        err_ << caption_ << '\n' << std::flush;
    }
}

void TProgressLine::SetProgress(int percent) {
    if (quiet_ || !(terminal_ || drawInto_) || caption_.empty() || percent == percent_) {
        return;
    }
    // The gauge going back to 0 is the end of a transfer, not a new one.
    if (percent == 0) {
        percent_ = 0;
        EndLine();
        return;
    }
    percent_ = percent;
    Draw();
}

void TProgressLine::Draw() {
    if (drawInto_) {
        drawInto_(Render(caption_, percent_, clock_.NowMs() - startMs_));
        return;
    }
    err_ << '\r' << Render(caption_, percent_, clock_.NowMs() - startMs_) << std::flush;
    drawn_ = true;
}

void TProgressLine::ShowWaiting(const std::string& text) {
    if (!terminal_) {
        return;
    }
    EndLine();
    err_ << '\r' << text << "\x1b[K" << std::flush;
    waiting_ = true;
}

void TProgressLine::EndLine() {
    if (waiting_) {
        err_ << "\r\x1b[K" << std::flush;
        waiting_ = false;
    }
    if (drawn_) {
        err_ << '\n' << std::flush;
        drawn_ = false;
    }
}

} // namespace korvex::cli
