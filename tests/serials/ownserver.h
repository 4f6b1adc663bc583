#pragma once

#include "common/runprogram.h"
#include "common/tempdir.h"
#include "serials/postgres/pgconnection.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace korvex::testing {

// A PostgreSQL server of one test's own (pgcluster.sh), for a test that
// stops or freezes it: the server the other tests share is never touched.
class TOwnPgServer {
public:
    // Nothing when the server's programs are not installed: the test skips.
    static std::unique_ptr<TOwnPgServer> Start() {
        auto server = std::unique_ptr<TOwnPgServer>(new TOwnPgServer);
        const ProgramResult started = server->Script("start");
        if (started.exitCode != 0) {
            throw std::runtime_error("cannot start a server: " + started.out + started.err);
        }
        server->cluster_ = ReadText(server->dir_ / "cluster");
        server->cluster_ = server->cluster_.substr(0, server->cluster_.find('\n'));
        return server->cluster_ == "absent" ? nullptr : std::move(server);
    }
    ~TOwnPgServer() {
        Thaw();
        Script("stop");
    }
    TOwnPgServer(const TOwnPgServer&) = delete;
    TOwnPgServer& operator=(const TOwnPgServer&) = delete;

    // A new database on it.
    std::string Database(const std::string& name) const {
        TPPgConnection("postgresql://korvex@/postgres?host=" + cluster_)
            .Exec("CREATE DATABASE " + name);
        return "postgresql://korvex@/" + name + "?host=" + cluster_;
    }

    // An outage: the server shuts down, and starts again.
    void Halt() { Script("halt"); }
    void Resume() { Script("resume"); }
    // A frozen host: every process of the server stops where it is, its
    // socket still there, and goes on.
    void Freeze() { Signal(SIGSTOP); }
    void Thaw() { Signal(SIGCONT); }

private:
    TOwnPgServer() = default;

    ProgramResult Script(const std::string& command) const {
        return RunProgram("/bin/bash", {KORVEX_PG_SCRIPT, command, dir_.Path().string()});
    }

    // The postmaster and the processes it started, by their ids.
    void Signal(int signal) const {
        std::ifstream pidFile(cluster_ + "/data/postmaster.pid");
        pid_t postmaster = 0;
        if (!(pidFile >> postmaster) || postmaster <= 0) {
            return;
        }
        std::vector<pid_t> processes = {postmaster};
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) {
                continue;
            }
            // "pid (comm) state ppid ...": the parent follows the name's ")".
            // A process of another program may end between the listing and
            // the read: it is no server process either.
            std::string stat;
            try {
                stat = ReadText(entry.path() / "stat");
            } catch (const std::exception&) {
                continue;
            }
            const std::size_t close = stat.rfind(')');
            if (close != std::string::npos &&
                std::atoi(stat.c_str() + close + 4) == static_cast<int>(postmaster)) {
                processes.push_back(static_cast<pid_t>(std::stoi(name)));
            }
        }
        for (const pid_t process : processes) {
            ::kill(process, signal);
        }
    }

    TempDir dir_;
    std::string cluster_;
};

} // namespace korvex::testing
