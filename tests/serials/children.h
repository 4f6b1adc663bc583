#pragma once

#include <algorithm>
#include <csignal>
#include <functional>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace korvex::testing {

// One line to a pipe in one write, so lines of several processes never mix.
inline void Report(int pipe, const std::string& line) {
    const std::string whole = line + "\n";
    (void)::write(pipe, whole.data(), whole.size());
}

struct TChild {
    pid_t pid;
    int pipe; // the read end of the pipe the process reports to
};

// A process that runs `work` with the pipe's write end; one that fails
// reports why as its last line.
inline TChild Spawn(const std::function<void(int)>& work) {
    int pipe[2];
    const pid_t child = ::pipe(pipe) == 0 ? ::fork() : -1;
    if (child < 0) {
        throw std::runtime_error("cannot start a process");
    }
    if (child == 0) {
        try {
            work(pipe[1]);
            ::_exit(0);
        } catch (const std::exception& error) {
            Report(pipe[1], std::string("error: ") + error.what());
        }
        ::_exit(1);
    }
    ::close(pipe[1]);
    return {child, pipe[0]};
}

// The whole lines of `text` and of what `fd` gives until every writer closed it.
inline std::vector<std::string> ReadLines(int fd, std::string text = {}) {
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// Runs `work(pipe, index)` in `count` processes at once; the lines they
// reported. Throws when one of them failed.
inline std::vector<std::string> InChildren(int count, const std::function<void(int, int)>& work) {
    std::vector<TChild> children;
    for (int i = 0; i < count; ++i) {
        children.push_back(Spawn([&](int pipe) { work(pipe, i); }));
    }
    std::vector<std::string> lines;
    for (const TChild& child : children) {
        const std::vector<std::string> theirs = ReadLines(child.pipe);
        int status = 0;
        if (::waitpid(child.pid, &status, 0) != child.pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            throw std::runtime_error("a process failed: " + (theirs.empty() ? "" : theirs.back()));
        }
        lines.insert(lines.end(), theirs.begin(), theirs.end());
    }
    return lines;
}

// Runs `work(pipe)`, which reports lines for ever, kills it with SIGKILL once
// it reported `wanted`, and gives all it reported before it died.
inline std::vector<std::string> KilledAfter(long wanted, const std::function<void(int)>& work) {
    const TChild child = Spawn(work);
    std::string seen;
    for (char c;
         std::count(seen.begin(), seen.end(), '\n') < wanted && ::read(child.pipe, &c, 1) == 1;) {
        seen += c;
    }
    ::kill(child.pid, SIGKILL);
    ::waitpid(child.pid, nullptr, 0);
    return ReadLines(child.pipe, seen);
}

} // namespace korvex::testing
