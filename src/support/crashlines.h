#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The lines of an append-only file (one that is only ever added to, a line
// at a time, each synced before the next), each without its line end (LF or
// CRLF). Only what a crash leaves is taken away: NULs at the end (blocks the
// file system gave the file but that were never written) and a last line
// without its line end, which was never reported done. Empty lines stay, so
// a reader can name any line by its number.
std::vector<std::string> CompleteLines(std::string_view text);

} // namespace korvex
