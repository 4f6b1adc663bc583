#pragma once

// Root writes through read-only permissions, so a test of a permission
// failure runs its subject as an ordinary user: uid and gid 65534 (nobody)
// through setpriv when the tests run as root (as CI does), the user running
// the tests otherwise.

#include "common/runprogram.h"

#include <filesystem>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace korvex::testing {

class TOrdinaryUser {
public:
    static constexpr unsigned kId = 65534;

    static bool SwitchesUser() { return ::geteuid() == 0; }

    // Empty when the subject can run as an ordinary user, else why not.
    static std::string Unavailable() {
        if (SwitchesUser() && std::system("command -v setpriv >/dev/null 2>&1") != 0) {
            return "setpriv (util-linux) is needed to run a program as an ordinary user";
        }
        return {};
    }

    // The folder, and everything in it, becomes the user's own.
    static void Own(const std::filesystem::path& folder) {
        if (!SwitchesUser()) {
            return;
        }
        const std::string command = "chown -R " + std::to_string(kId) + ":" + std::to_string(kId) +
                                    " " + ShellQuote(folder.string());
        if (std::system(command.c_str()) != 0) {
            throw std::runtime_error("cannot give " + folder.string() + " to the ordinary user");
        }
    }

    // Runs `subject` in a child process as the ordinary user and returns its
    // result, or -1 when the child could not become that user or crashed.
    // Everything the subject touches must be reachable by that user.
    static int RunHere(const std::function<int()>& subject) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (SwitchesUser() &&
                (::setgroups(0, nullptr) != 0 || ::setgid(kId) != 0 || ::setuid(kId) != 0)) {
                ::_exit(255);
            }
            ::_exit(subject());
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) == 255) {
            return -1;
        }
        return WEXITSTATUS(status);
    }

    // Runs `program` as the ordinary user with `environment` ("NAME=value")
    // added to the test's own.
    static ProgramResult Run(const std::string& program, const std::vector<std::string>& args,
                             const std::vector<std::string>& environment) {
        std::vector<std::string> all;
        if (SwitchesUser()) {
            all = {"--reuid=" + std::to_string(kId), "--regid=" + std::to_string(kId),
                   "--clear-groups", "env"};
        }
        all.insert(all.end(), environment.begin(), environment.end());
        all.push_back(program);
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(SwitchesUser() ? "setpriv" : "env", all);
    }
};

} // namespace korvex::testing
