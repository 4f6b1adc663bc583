// The production record under a shop floor's faults: three stations, each a
// korvex-cli auto --watch on a korvex-sim feeding 50 cards (a stuck EEPROM
// cell on one card of the second), sharing one PostgreSQL server of the
// benchmark's own for their serial values and record lines. Meanwhile the
// server goes away twice for a few seconds (a fast shutdown), and the first
// station is killed twice (once in the middle of a card's writes, once right
// after a card's line) and started again, its operator taking the card out
// and putting it in again when the station asks for it.
//
// At the end, against the goals, none of them allowed to fail:
// - every station's record holds its 50 cards, and the database every line
//   of the three records, once;
// - every serial value on a good card is on that card alone;
// - `records --audit` names every value the database handed out that is on
//   no good card.
#include "common/simprocess.h"
#include "common/tempdir.h"
#include "serials/ownserver.h"
#include "support/csvread.h"
#include "support/programfolder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using korvex::testing::ReadText;
using korvex::testing::TempDir;
using korvex::testing::WriteText;

constexpr const char* kCardType = "PIC16F84-24C16";
constexpr int kStations = 3;
constexpr int kCards = 50;
constexpr int kOutageSeconds = 8;

std::filesystem::path Bin(const char* name) {
    return korvex::ExecutableFolder() / name;
}

// korvex-cli in the background, its output into files (appended to).
class TStation {
public:
    TStation(std::vector<std::string> args, const std::filesystem::path& out,
             const std::filesystem::path& err) {
        args.insert(args.begin(),
                    {Bin("korvex-cli").string(), "--data", korvex::ExecutableFolder().string()});
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~TStation() { Kill(); }
    TStation(const TStation&) = delete;
    TStation& operator=(const TStation&) = delete;

    void Kill() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    // The exit code once it ended; nothing while it runs.
    std::optional<int> Ended() {
        int status = 0;
        if (pid_ <= 0 || ::waitpid(pid_, &status, WNOHANG) != pid_) {
            return pid_ <= 0 ? std::optional(-1) : std::nullopt;
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }

private:
    pid_t pid_ = -1;
};

// The line: the server, the simulators and the stations.
class TLineUnderFaults {
public:
    explicit TLineUnderFaults(korvex::testing::TOwnPgServer& server)
        : uri_(server.Database("line")) {
        ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        const std::filesystem::path cards = dir_ / "data" / "korvex" / "cards";
        std::filesystem::create_directories(cards);
        WriteText(
            cards / (std::string(kCardType) + ".ini"),
            ReadText(korvex::ExecutableFolder() / "cards" / (std::string(kCardType) + ".ini")) +
                "\r\n[Serial1]\r\nMemory=eeprom\r\nAddress=0x7F0\r\nLength=4\r\n"
                "Format=bcd\r\nFirst=1\r\n");
        for (int s = 0; s < kStations; ++s) {
            std::vector<std::string> feed = {"--data",     korvex::ExecutableFolder().string(),
                                             "--card",     kCardType,
                                             "--feed",     std::to_string(kCards),
                                             "--feed-gap", "0"};
            if (s == 1) {
                feed.insert(feed.end(), {"--feed-fault", "7:stuck-eeprom@0x10"});
            }
            sims_.push_back(
                std::make_unique<korvex::testing::TSimProcess>(Bin("korvex-sim").string(), feed));
            ports_.push_back(sims_.back()->FirstLine());
            Start(s);
        }
    }

    const std::string& Uri() const { return uri_; }
    std::filesystem::path File(int station, const std::string& extension) const {
        return dir_ / ("s" + std::to_string(station + 1) + extension);
    }
    // The card lines of the station's record.
    int Recorded(int station) const {
        const std::string text = ReadText(File(station, ".csv"));
        const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
        return std::max(lines - 1, 0);
    }
    bool Running(int station) { return !stations_[station]->Ended(); }
    std::optional<int> Ended(int station) { return stations_[station]->Ended(); }
    void Kill(int station) { stations_[station]->Kill(); }

    // Started again for the cards it has yet to record; when it waits for
    // the last run's card to be taken out, its operator does so.
    void Start(int station) {
        const std::string name = "s" + std::to_string(station + 1);
        const std::filesystem::path err = File(station, ".err");
        const std::size_t told = ReadText(err).size();
        stations_.resize(kStations);
        stations_[station] = std::make_unique<TStation>(
            std::vector<std::string>{
                "--port", ports_[station], "--card", kCardType, "auto", "--pic",
                (korvex::ExecutableFolder() / "samples" / "sample84.hex").string(), "--eeprom",
                (korvex::ExecutableFolder() / "samples" / "sample24c16.hex").string(), "--watch",
                "--count", std::to_string(kCards - Recorded(station)), "--record",
                File(station, ".csv").string(), "--db", uri_, "--station", name},
            File(station, ".out"), err);
        for (int waited = 0; waited < 3000 && Running(station); waited += 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (ReadText(err).find("take it out", told) != std::string::npos) {
                sims_[station]->Signal(SIGUSR1);
                std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                sims_[station]->Signal(SIGUSR2);
                break;
            }
        }
    }

private:
    TempDir dir_;
    std::string uri_;
    std::vector<std::unique_ptr<korvex::testing::TSimProcess>> sims_;
    std::vector<std::string> ports_;
    std::vector<std::unique_ptr<TStation>> stations_;
};

// Waits until `done` holds, the line running meanwhile; false after `seconds`.
template <typename Done>
bool Until(Done done, int seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::vector<std::string> Column(const std::string& uri, const std::string& sql) {
    const korvex::TPPgResult result = korvex::TPPgConnection(uri).Exec(sql);
    std::vector<std::string> rows;
    for (int row = 0; row < result.Rows(); ++row) {
        rows.push_back(result.Value(row, 0).value_or(""));
    }
    return rows;
}

// What the end of the run must hold; empty when it does.
std::string Check(TLineUnderFaults& line, int& unaccounted) {
    std::set<std::string> keys, goodValues;
    for (int s = 0; s < kStations; ++s) {
        if (line.Recorded(s) != kCards) {
            return "station " + std::to_string(s + 1) + " recorded " +
                   std::to_string(line.Recorded(s)) + " cards of " + std::to_string(kCards);
        }
        const auto rows = korvex::ParseCsv(ReadText(line.File(s, ".csv")));
        const auto& header = rows.front();
        const auto at = [&](const char* name) {
            return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) -
                                            header.begin());
        };
        for (std::size_t i = 1; i < rows.size(); ++i) {
            keys.insert(rows[i][at("station")] + " " + rows[i][at("run")] + " " +
                        rows[i][at("sequence")]);
            if (rows[i][at("outcome")] == "good" &&
                !goodValues.insert(rows[i][at("serial Serial1")]).second) {
                return "value " + rows[i][at("serial Serial1")] + " is on two good cards";
            }
        }
    }
    const auto held = Column(line.Uri(), "SELECT station || ' ' || run || ' ' || sequence FROM "
                                         "card_records");
    if (held.size() != keys.size() || std::set<std::string>(held.begin(), held.end()) != keys) {
        return "the database holds " + std::to_string(held.size()) + " lines, the records " +
               std::to_string(keys.size());
    }
    // Every value handed out and on no good card is in the audit.
    std::set<std::string> notOnACard;
    for (const std::string& value : Column(line.Uri(), "SELECT value FROM serial_claims")) {
        if (!goodValues.contains(value)) {
            notOnACard.insert(value);
        }
    }
    const korvex::testing::ProgramResult audit = korvex::testing::RunProgram(
        Bin("korvex-cli").string(), {"--data", korvex::ExecutableFolder().string(), "records",
                                     "--db", line.Uri(), "--audit", "--format", "csv"});
    std::set<std::string> named;
    const auto rows = korvex::ParseCsv(audit.out);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        if (rows[i].size() > 3 && rows[i][0] == "unfinished") {
            named.insert(rows[i][3]);
        }
    }
    unaccounted = static_cast<int>(notOnACard.size());
    if (named != notOnACard) {
        return "the audit names " + std::to_string(named.size()) + " values on no card, of " +
               std::to_string(notOnACard.size());
    }
    return {};
}

void BM_LineUnderFaults(benchmark::State& state) {
    for (auto _ : state) {
        const auto server = korvex::testing::TOwnPgServer::Start();
        if (!server) {
            state.SkipWithError("no PostgreSQL server programs (install postgresql)");
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        TLineUnderFaults line(*server);
        const auto progress = [&](int cards) {
            return [&line, cards] { return line.Recorded(0) >= cards; };
        };
        bool inTime = true;
        // Killed in the middle of card 9's writes, and right after card 20's line.
        inTime &= Until(progress(8), 300);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        line.Kill(0);
        line.Start(0);
        inTime &= Until(progress(15), 300);
        server->Halt();
        std::this_thread::sleep_for(std::chrono::seconds(kOutageSeconds));
        server->Resume();
        inTime &= Until(progress(20), 300);
        line.Kill(0);
        line.Start(0);
        inTime &= Until(progress(32), 300);
        server->Halt();
        std::this_thread::sleep_for(std::chrono::seconds(kOutageSeconds));
        server->Resume();
        inTime &=
            Until([&] { return !line.Running(0) && !line.Running(1) && !line.Running(2); }, 600);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        int unaccounted = 0;
        const std::string problem = inTime ? Check(line, unaccounted) : "a station hung";
        state.counters["cards"] = kStations * kCards;
        state.counters["cards_per_hour"] = kStations * kCards * 3600.0 / seconds;
        state.counters["values_on_no_card"] = unaccounted;
        if (!problem.empty()) {
            state.SkipWithError(problem.c_str());
        }
    }
}

BENCHMARK(BM_LineUnderFaults)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
