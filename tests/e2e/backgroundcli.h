#pragma once

#include "clirig.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace korvex::testing {

inline constexpr int kPatienceMs = 10000;

// korvex-cli running in the background, its standard streams on the given
// files (a terminal's path included); killed if a test leaves it behind.
class TBackgroundCli {
public:
    TBackgroundCli(std::vector<std::string> args, const std::string& in, const std::string& out,
                   const std::string& err) {
        args.insert(args.begin(), {KORVEX_CLI, "--data", KORVEX_PROGRAM_DIR});
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDWR | O_NOCTTY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(),
                                         O_RDWR | O_NOCTTY | O_CREAT | O_APPEND, 0644);
        if (posix_spawn(&pid_, KORVEX_CLI, &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~TBackgroundCli() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    TBackgroundCli(const TBackgroundCli&) = delete;
    TBackgroundCli& operator=(const TBackgroundCli&) = delete;

    bool Started() const { return pid_ > 0; }
    void Signal(int signal) { kill(pid_, signal); }

    // The exit code; -1 when it did not end in time, -2 when a signal killed it.
    int Wait(int patienceMs = kPatienceMs) {
        int status = 0;
        for (int waited = 0; waitpid(pid_, &status, WNOHANG) == 0; waited += 10) {
            if (waited > patienceMs) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }

private:
    pid_t pid_ = -1;
};

// Whether `read` comes to hold `part` within the patience.
inline bool Eventually(const std::function<std::string()>& read, const std::string& part) {
    for (int waited = 0; waited < kPatienceMs; waited += 10) {
        if (Contains(read(), part)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace korvex::testing
