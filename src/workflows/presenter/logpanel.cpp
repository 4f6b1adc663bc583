#include "workflows/presenter/logpanel.h"

#include "support/atomicfile.h"
#include "support/errors.h"
#include "support/textconv.h"
#include "workflows/entries.h"

#include <system_error>
#include <utility>

namespace korvex {

namespace {

// A poll's frame: its start byte, then the command letter P.
bool IsPollFrame(const std::string& line) {
    return line.size() >= 2 && line[0] == '\x01' && line[1] == 'P';
}

} // namespace

TPLogPanel::TPLogPanel(TPLine& line, TMainView& view, const TPLang& lang,
                       const TPDataFolders& folders)
    : line_(line), view_(view), lang_(lang), folders_(folders) {
    memo_.OnLineAdded = [this](const std::string& line) { Sift(line); };
}

void TPLogPanel::SetPollsHidden(bool hidden) {
    pollsHidden_ = hidden;
    if (!hidden && pollFrame_) {
        Keep(*std::exchange(pollFrame_, std::nullopt));
    }
}

// The line after a poll's frame is its answer, as the driver judged it.
void TPLogPanel::Sift(const std::string& line) {
    const bool poll = IsPollFrame(line);
    if (pollAnswerDue_ && !poll) {
        pollAnswerDue_ = false;
        const bool changed = line != std::exchange(lastPollAnswer_, line);
        if (pollFrame_) {
            const std::string frame = *std::exchange(pollFrame_, std::nullopt);
            if (!changed) {
                return;
            }
            Keep(frame);
        }
        Keep(line);
        return;
    }
    // A hidden poll that got no answer line is shown: something cut it short.
    if (pollFrame_) {
        Keep(*std::exchange(pollFrame_, std::nullopt));
    }
    pollAnswerDue_ = poll;
    if (poll && pollsHidden_) {
        pollFrame_ = line;
        return;
    }
    Keep(line);
}

void TPLogPanel::Keep(const std::string& line) {
    kept_.push_back(line);
    DropOverLimit();
    if (OnLineAdded) {
        OnLineAdded(line);
    }
}

void TPLogPanel::DropOverLimit() {
    if (kept_.size() > keptLineLimit_) {
        kept_.erase(kept_.begin(),
                    kept_.begin() + static_cast<std::ptrdiff_t>(kept_.size() - keptLineLimit_));
    }
}

void TPLogPanel::SetKeptLineLimit(std::size_t limit) {
    keptLineLimit_ = limit == 0 ? kKeptLineLimit : limit;
    DropOverLimit();
}

void TPLogPanel::ClearLog() {
    kept_.clear();
    memo_.Clear();
}

void TPLogPanel::ToggleLog() {
    if (!line_.Started()) {
        return;
    }
    line_.Prog().SetLogMemo(Logging() ? nullptr : &memo_);
}

void TPLogPanel::SaveLog(const std::filesystem::path& file) const {
    std::string text;
    for (const std::string& line : kept_) {
        // A frame's own CR is shown as <0D>, not taken for a second line end.
        text += DisplayLogLine(line);
        text += '\n';
    }
    try {
        WriteFileAtomically(file, text);
    } catch (const EInOutError& error) {
        throw EInOutError("Cannot create file " + file.string() + ": " + error.what(),
                          file.string());
    }
}

void TPLogPanel::SetDelay(const std::string& text) {
    const int ms = StrToInt(text);
    if (ms < 0 || ms > kLongestDelayMs) {
        throw EConvertError(Text(entries::kDelayOutOfRange));
    }
    if (line_.Started()) {
        line_.Prog().SetDelay(ms);
    }
}

void TPLogPanel::OpenHelp() {
    const std::filesystem::path help = folders_.program / Text(entries::kHelpDocument);
    std::error_code error;
    if (std::filesystem::is_regular_file(help, error)) {
        view_.OpenDocument(help.string());
    }
}

void TPLogPanel::OpenBugReport() {
    view_.OpenDocument(Text(entries::kBugReportAddress));
}

} // namespace korvex
