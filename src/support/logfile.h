#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korvex {

// The log of a run written as it grows: each line goes to the file the moment
// it is added, so a process killed at any point keeps every line before it,
// and nothing of the log is kept in memory however long the run.
class TPLogFile {
public:
    // Starts `file` empty (made when missing; a symbolic link is followed).
    // Throws EInOutError naming the file when it cannot be a log there: not
    // a regular file, read-only, no such folder (CheckDestination), or the
    // file cannot be opened.
    explicit TPLogFile(const std::filesystem::path& file);
    ~TPLogFile();
    TPLogFile(const TPLogFile&) = delete;
    TPLogFile& operator=(const TPLogFile&) = delete;

    // Appends the line as DisplayLogLine shows it, and a line end. After a
    // failed write (a full disk) nothing more is written; Error() says why.
    void Add(std::string_view line);
    // Empty while every line went in; else "<file>: <reason>".
    const std::string& Error() const { return error_; }

private:
    std::filesystem::path file_;
    int fd_ = -1;
    std::string error_;
};

} // namespace korvex
