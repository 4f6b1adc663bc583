#pragma once

#include <chrono>
#include <csignal>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace korvex::testing {

// A program running in the background (korvex-sim), its standard output on a
// pipe, killed if a test leaves it behind. Every wait is bounded, so a child
// that hangs fails the test instead of stalling it.
class TSimProcess {
public:
    static constexpr int kPatienceMs = 5000;

    TSimProcess(const std::string& program, std::vector<std::string> args) {
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        int out[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (pipe(out) == 0 && posix_spawn_file_actions_adddup2(&actions, out[1], 1) == 0 &&
            posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = out[0];
    }
    ~TSimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }
    TSimProcess(const TSimProcess&) = delete;
    TSimProcess& operator=(const TSimProcess&) = delete;

    // The first line of its output, empty when none comes in time.
    std::string FirstLine() { return NextLine(); }

    // The next line of its output, empty when none comes in time.
    std::string NextLine() {
        std::string line;
        pollfd fd{out_, POLLIN, 0};
        char c = 0;
        while (poll(&fd, 1, kPatienceMs) == 1 && read(out_, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        return c == '\n' ? line : std::string();
    }

    void Signal(int signal) {
        if (pid_ > 0) {
            kill(pid_, signal);
        }
    }

    // The exit code, or -1 when it does not end in time.
    int Wait() {
        int status = 0;
        for (int waited = 0; waitpid(pid_, &status, WNOHANG) == 0; waited += 10) {
            if (waited > kPatienceMs) {
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // SIGTERM, then the exit code as Wait gives it.
    int Stop() {
        Signal(SIGTERM);
        return Wait();
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

} // namespace korvex::testing
