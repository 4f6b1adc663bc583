#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace korvex {

// The lines of the conversation with the programmer, as the log panel shows
// them. The driver appends one line per frame sent and per answer judged; the
// window's control wraps this model and the command line writes it to a file.
// The log is trimmed after every appended line so it never grows past
// MaxLines, however long logging stays on.
class TLogMemo {
public:
    static constexpr int kDefaultMaxLines = 100;

    int MaxLines() const { return maxLines_; }
    // 0 or less stores the default.
    void SetMaxLines(int value);

    // Appends the line as it is (frames carry control bytes) and trims.
    void Add(std::string line);
    void Clear();
    // Drops the oldest lines until at most MaxLines remain.
    void TrimLines();

    const std::deque<std::string>& Lines() const { return lines_; }
    std::size_t Count() const { return lines_.size(); }
    // All lines, each ending with CR LF, as a saved log holds them.
    std::string Text() const;

    // Told of every line added (before trimming), so a view or a log file can
    // follow the log without rereading it.
    std::function<void(const std::string& line)> OnLineAdded;
    // Told after lines were dropped from the front or the log was cleared.
    std::function<void()> OnLinesRemoved;

private:
    std::deque<std::string> lines_;
    int maxLines_ = kDefaultMaxLines;
};

// A log line made readable: printable ASCII as it is, every other byte as
// "<XX>" in hexadecimal (a frame's start byte shows as "<01>", its end as
// "<0D>"). What the log panel and the command line's log file show.
std::string DisplayLogLine(std::string_view line);

} // namespace korvex
