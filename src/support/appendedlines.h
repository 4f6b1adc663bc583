#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// A line of an append-only file that its reader could not read.
struct TUnreadableLine {
    std::size_t number = 0; // from 1, in the whole file
    std::string text;       // as a message may quote it: shortened, other than ASCII as '?'

    bool operator==(const TUnreadableLine&) const = default;
};

// The lines of a file that only ever grows by whole lines, each written and
// flushed before the step it guards (the serial claims, the journal of the
// card in hand). Its reader forgives only what a crash leaves at the end: NUL
// bytes (space the file system gave the file whose data never came) and a
// last line without its line end (a write cut short); nothing of either was
// durably written, so no step went ahead on it. Any other line a reader cannot
// read is damage, and the file's reader must stop at it: the line may have
// held what the step needs most (the highest value handed out).
class TPAppendedLines {
public:
    // `content` is the whole file, or what was added to it since a reading
    // that ended at a whole line; `firstLine` numbers its first line.
    explicit TPAppendedLines(std::string_view content, std::size_t firstLine = 1);

    // The bytes of `content` up to and with the last whole line's end: what
    // a writer cuts the file back to before it appends.
    std::size_t WholeLength() const { return whole_.size(); }
    // The number the next whole line will have.
    std::size_t NextLine() const { return nextLine_; }

    // Hands every whole line, without its line end (LF or CR LF), to
    // `read(line)`, which tells by returning false that it cannot read it.
    // Every line is handed over, so the caller learns all that the file still
    // holds; the first unreadable one comes back.
    template <typename LineReader>
    std::optional<TUnreadableLine> Read(LineReader read) {
        std::optional<TUnreadableLine> first;
        std::size_t number = firstLine_;
        for (std::size_t at = 0; at < whole_.size(); ++number) {
            const std::size_t end = whole_.find('\n', at);
            std::string_view line = whole_.substr(at, end - at);
            at = end + 1;
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            if (!read(line) && !first) {
                first = TUnreadableLine{number, Quotable(line)};
            }
        }
        return first;
    }

    // The line as a message may quote it.
    static std::string Quotable(std::string_view line);

private:
    std::string_view whole_;
    std::size_t firstLine_;
    std::size_t nextLine_;
};

// "line N ("text")": where the damage is, for a message naming the file.
std::string UnreadableLineWords(const TUnreadableLine& line);

} // namespace korvex
