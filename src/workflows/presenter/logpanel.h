#pragma once

#include "link/picprog.h"
#include "support/datafolders.h"
#include "support/lang.h"
#include "support/logmemo.h"
#include "workflows/presenter/mainview.h"
#include "workflows/session/line.h"

#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace korvex {

// The log panel: the conversation with the programmer, started and stopped,
// saved and cleared; the pause between blocks; the help and bug report targets.
// The memo shows only its newest lines, but a failed write is explained by the
// mode and erase answers at its start, so the panel keeps every line appended
// since the log was last cleared and saves those.
class TPLogPanel {
public:
    // Bounds the memory a log left running for days can take; the oldest
    // lines go first.
    static constexpr std::size_t kKeptLineLimit = 1'000'000;

    TPLogPanel(TPLine& line, TMainView& view, const TPLang& lang, const TPDataFolders& folders);
    TPLogPanel(const TPLogPanel&) = delete;
    TPLogPanel& operator=(const TPLogPanel&) = delete;

    // The panel owns the memo's OnLineAdded: a face that follows the log uses
    // the panel's OnLineAdded below, or the kept log stops growing.
    TLogMemo& Memo() { return memo_; }
    // Told of every line the memo receives, after the panel has kept it.
    std::function<void(const std::string& line)> OnLineAdded;
    // Oldest first, at most KeptLineLimit() lines.
    const std::deque<std::string>& KeptLines() const { return kept_; }
    std::size_t KeptLineLimit() const { return keptLineLimit_; }
    // 0 stores kKeptLineLimit; a lower limit drops the oldest kept lines now.
    void SetKeptLineLimit(std::size_t limit);
    bool Logging() const { return line_.Started() && line_.Prog().LogMemo() == &memo_; }
    // The card-state polls (a "P" frame and its answer every poll period)
    // bury the traffic of a command, so the user may hide them: a hidden poll
    // is neither shown nor kept, unless its answer differs from the poll's
    // before, which says the card or the programmer changed. Shown unless
    // hidden; a change holds for the lines that come after it.
    bool PollsHidden() const { return pollsHidden_; }
    void SetPollsHidden(bool hidden);
    // The start/stop button names the action it offers.
    std::string LogButtonCaption() const { return Logging() ? "Stop log" : "Start log"; }
    void ToggleLog();
    // Every kept line as the panel shows it (DisplayLogLine), each ended by
    // one line feed, as --log writes them; the name is used as given. Throws
    // EInOutError "Cannot create file <name>: <reason>".
    void SaveLog(const std::filesystem::path& file) const;
    // Empties the memo and the kept log alike, so a saved log starts here.
    void ClearLog();
    // The pause between blocks, in milliseconds. Throws EConvertError "'<text>'
    // is not a valid integer value", or with entry kDelayOutOfRange beyond
    // 0..kLongestDelayMs; the pause then stays as it was.
    static constexpr int kLongestDelayMs = 1000;
    void SetDelay(const std::string& text);
    // The help document beside the program, when it is there.
    void OpenHelp();
    void OpenBugReport();

private:
    void Keep(const std::string& line);
    // Polls go on to Keep as the user wants them.
    void Sift(const std::string& line);
    void DropOverLimit();

    std::string Text(int entry) const { return lang_.GetText(entry); }

    TPLine& line_;
    TMainView& view_;
    const TPLang& lang_;
    const TPDataFolders& folders_;
    TLogMemo memo_;
    std::deque<std::string> kept_;
    std::size_t keptLineLimit_ = kKeptLineLimit;
    bool pollsHidden_ = false;
    // A hidden poll's frame, until its answer says whether it shows.
    std::optional<std::string> pollFrame_;
    bool pollAnswerDue_ = false;
    std::string lastPollAnswer_;
};

} // namespace korvex
