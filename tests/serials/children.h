#pragma once

#include "common/tempdir.h"

#include <csignal>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace korvex::testing {

// Runs `work` in `count` processes at once, each released at the same moment
// so they contend, and gives the lines all of them reported. A process whose
// work throws fails the whole.
inline std::vector<std::string>
InChildren(int count, const std::function<std::vector<std::string>(int)>& work) {
    TempDir reports;
    int gate[2];
    if (::pipe(gate) != 0) {
        throw std::runtime_error("no pipe");
    }
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(gate[1]);
            char byte;
            (void)::read(gate[0], &byte, 1); // returns when the parent closes the gate
            try {
                std::string text;
                for (const std::string& line : work(i)) {
                    text += line + "\n";
                }
                WriteText(reports / std::to_string(i), text);
                ::_exit(0);
            } catch (const std::exception& error) {
                WriteText(reports / std::to_string(i), std::string("error: ") + error.what());
                ::_exit(1);
            }
        }
        children.push_back(child);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        int status = 0;
        ::waitpid(children[static_cast<std::size_t>(i)], &status, 0);
        const std::string text = ReadText(reports / std::to_string(i));
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            throw std::runtime_error("process " + std::to_string(i) + " failed: " + text);
        }
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
    }
    return lines;
}

// Starts `work` in a process that reports each line to the pipe as it goes,
// reads `wanted` lines, then kills it with SIGKILL: the lines it reported,
// everything it managed to report before it died included.
inline std::vector<std::string> KilledAfter(std::size_t wanted,
                                            const std::function<void(int report)>& work) {
    int pipe[2];
    if (::pipe(pipe) != 0) {
        throw std::runtime_error("no pipe");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        try {
            work(pipe[1]);
        } catch (...) {
        }
        ::_exit(1);
    }
    ::close(pipe[1]);
    std::vector<std::string> lines;
    std::string pending;
    const auto readSome = [&] {
        char buffer[256];
        const ssize_t got = ::read(pipe[0], buffer, sizeof buffer);
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                lines.push_back(pending);
                pending.clear();
            } else {
                pending += buffer[i];
            }
        }
        return got > 0;
    };
    while (lines.size() < wanted && readSome()) {
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    while (readSome()) {
    }
    ::close(pipe[0]);
    return lines;
}

// For work run by KilledAfter: one line to the pipe, unbuffered.
inline void Report(int pipe, const std::string& line) {
    const std::string whole = line + "\n";
    (void)::write(pipe, whole.data(), whole.size());
}

} // namespace korvex::testing
