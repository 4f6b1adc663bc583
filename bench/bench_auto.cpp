// Auto program of a PIC 16F84 card with a 24C16 EEPROM: the loader, the
// whole EEPROM written and read back, the program and data EEPROM written and
// read back, the configuration word. korvex-sim serves the card over a
// pseudo-terminal and answers only once frame and answer would have crossed a
// real line.
// Each speed runs twice. First in this process, through the workflows driven
// as the command-line tool drives them, with every byte and pause counted:
// that gives the floor. Then as the command-line tool itself, a child started
// for the one command, whose exchanges are the same; its time includes its
// start, which a user waits for too.
// After each run the simulator saves the card, which must hold the images, so
// a fast wrong answer cannot pass as a good number.
// A baseline without the program shows what the pseudo-terminal, the
// simulator and the kernel's timers cost on their own per exchange and per
// pause: at 115200 baud that alone is a few per cent above the floor.
#include "benchline.h"
#include "benchprompts.h"
#include "common/linkfakes.h"
#include "common/simprocess.h"
#include "common/tempdir.h"
#include "images/hexfileread.h"
#include "images/hexrecordwriter.h"
#include "images/picmap.h"
#include "link/frames.h"
#include "link/posixserial.h"
#include "sim/simcardmodel.h"
#include "sim/simhexfiles.h"
#include "support/atomicfile.h"
#include "support/errors.h"
#include "support/programfolder.h"
#include "support/readfile.h"
#include "support/settingsstore.h"
#include "workflows/presenter/mainworkflows.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using korvex::TPMainWorkflows;
using korvex::TSteadyClock;
using korvex::bench::TAnsweringPrompts;
using korvex::bench::TLineFigures;
using korvex::sim::TSimCard;
using korvex::sim::TSimMemory;
using korvex::testing::TempDir;

constexpr const char* kCardType = "PIC16F84-24C16";
constexpr int kEepromBytes = 2048;
constexpr std::size_t kConfigWordPosition = 7 * 4; // word 7 of the configuration area
constexpr std::size_t kConfigWordChars = 4;
// How long the command-line tool waits for the programmer's first answer.
constexpr std::int64_t kFirstAnswerMs = 1000;
// The driver's pause between packets, and how many the baseline measures.
constexpr int kBaselinePauseMs = 3;
constexpr int kBaselineRounds = 400;
// A run takes seconds; one that takes minutes hangs.
constexpr int kChildPatienceMs = 120000;

std::filesystem::path ProgramFolder() {
    return korvex::ExecutableFolder();
}

std::string RandomHexText(std::size_t bytes, std::uint32_t seed) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::mt19937 random(seed);
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i) {
        const unsigned byte = random() & 0xFF;
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

// The two files the runs program and what the card must hold afterwards, as
// the simulator's memory texts. The program is the shipped sample; the
// EEPROM image fills the whole 24C16 with bytes no pattern can fake.
class TCardImages {
public:
    TCardImages()
        : model_(korvex::sim::SimCardModelForCardType(ProgramFolder(), kCardType)),
          programFile_(ProgramFolder() / "samples" / "sample84.hex"),
          eepromFile_(folder_ / "eeprom.hex"), eeprom_(RandomHexText(kEepromBytes, 1)) {
        korvex::THexRecordWriter writer;
        for (std::size_t pos = 0; pos < eeprom_.size(); pos += 32) {
            writer.Data(static_cast<std::uint32_t>(pos / 2), eeprom_.substr(pos, 32));
        }
        korvex::WriteFileAtomically(eepromFile_, writer.Finish());

        TSimCard card(model_);
        korvex::sim::LoadSimMemory(card, TSimMemory::Program, programFile_);
        program_ = card.Text(TSimMemory::Program);
        // The file holds the data EEPROM one byte per word, and the
        // configuration word low byte first.
        const std::string content = korvex::ReadWholeFile(programFile_);
        std::int64_t highest = 0;
        std::string words(4 * static_cast<std::size_t>(model_.dataBytes), 'F');
        korvex::ReadHexRecords(content, programFile_.string(), korvex::kPicEepromAddress,
                               korvex::kPicEepromAddress + 2 * model_.dataBytes - 1, words,
                               highest);
        for (std::size_t pos = 0; pos < words.size(); pos += 4) {
            data_ += words.substr(pos, 2);
        }
        std::string config(2 * (korvex::kPicConfigLimit - korvex::kPicConfigAddress), 'F');
        korvex::ReadHexRecords(content, programFile_.string(), korvex::kPicConfigAddress,
                               korvex::kPicConfigLimit - 1, config, highest);
        configWord_ =
            config.substr(kConfigWordPosition + 2, 2) + config.substr(kConfigWordPosition, 2);
    }

    const std::filesystem::path& ProgramFile() const { return programFile_; }
    const std::filesystem::path& EepromFile() const { return eepromFile_; }

    // Empty when the card the simulator saved in `folder` holds the images.
    std::string CardError(const std::filesystem::path& folder) const {
        TSimCard card(model_);
        for (TSimMemory memory :
             {TSimMemory::Program, TSimMemory::Data, TSimMemory::Config, TSimMemory::Eeprom}) {
            korvex::sim::LoadSimMemory(card, memory,
                                       folder / korvex::sim::SimMemoryFileName(memory));
        }
        if (card.Text(TSimMemory::Program) != program_) {
            return "the card's program memory differs from the program file";
        }
        if (card.Text(TSimMemory::Data) != data_) {
            return "the card's data EEPROM differs from the program file";
        }
        if (card.Text(TSimMemory::Config).substr(kConfigWordPosition, kConfigWordChars) !=
            configWord_) {
            return "the card's configuration word is not the program file's";
        }
        if (card.Text(TSimMemory::Eeprom) != eeprom_) {
            return "the card's EEPROM differs from the EEPROM file";
        }
        return {};
    }

private:
    korvex::sim::TSimCardModel model_;
    TempDir folder_;
    std::filesystem::path programFile_;
    std::filesystem::path eepromFile_;
    std::string eeprom_;
    std::string program_;
    std::string data_;
    std::string configWord_;
};

const TCardImages& Images() {
    static const TCardImages images;
    return images;
}

// A fresh korvex-sim with a blank card of the card type, which it saves when
// it stops.
class TSimRun {
public:
    explicit TSimRun(int baud)
        : process_((ProgramFolder() / "korvex-sim").string(),
                   {"--data", ProgramFolder().string(), "--card", kCardType, "--baud",
                    std::to_string(baud), "--wire-time", "--save-dir", saved_.Path().string()}),
          path_(process_.FirstLine()) {}

    // Empty when the simulator did not come up.
    const std::string& Path() const { return path_; }

    // Stops the simulator; empty when the card it saved holds the images.
    std::string CardError() {
        if (process_.Stop() != 0) {
            return "korvex-sim did not stop cleanly";
        }
        return Images().CardError(saved_.Path());
    }

private:
    TempDir saved_;
    korvex::testing::TSimProcess process_;
    std::string path_;
};

class TQuietGauge final : public korvex::TProgressSink {
public:
    void SetProgress(int /*percent*/) override {}
};

struct TRunResult {
    TLineFigures figures;
    std::int64_t pauses = 0;
    std::string error; // empty: the run succeeded and the card holds the images
};

void Report(benchmark::State& state, const TRunResult& run) {
    korvex::bench::ReportFigures(state, run.figures);
    state.counters["pauses"] = static_cast<double>(run.pauses);
}

// As the tool waits for the programmer's first answer at start, on the
// uncounted clock: only the line's pauses belong to the floor.
bool WaitForCard(TPMainWorkflows& work) {
    korvex::TClock& clock = TSteadyClock::Instance();
    const std::int64_t start = clock.NowMs();
    for (;;) {
        work.PollNow();
        if (work.Snapshot().cardState != korvex::TPCardState::csNotConnected ||
            clock.NowMs() - start + TPMainWorkflows::kPollMs > kFirstAnswerMs) {
            break;
        }
        clock.SleepMs(TPMainWorkflows::kPollMs);
    }
    return work.Snapshot().cardState == korvex::TPCardState::csCardReady;
}

// What the tool's auto command does with the workflows: start-up on the
// chosen port, speed and card type, the wait for the programmer, the two
// files, the sequence, the programmer released. Empty when all went well.
std::string AutoSession(TPMainWorkflows& work, int baud, const TAnsweringPrompts& prompts) {
    korvex::TStartChoices choices;
    choices.comPort = 1;
    choices.speed = baud == 115200 ? korvex::TBaudRate::br115200 : korvex::TBaudRate::br19200;
    choices.cardName = kCardType;
    // The card type's file in the program folder stays as it is.
    choices.storeCardSettings = false;
    work.FormShow(choices);
    const korvex::TMainSnapshot shot = work.Snapshot();
    if (!shot.connected) {
        return "the terminal would not open: " + shot.connectError;
    }
    if (!WaitForCard(work)) {
        return "the programmer reports no card ready";
    }
    if (work.SetFileField(korvex::TFileRow::frProgram, Images().ProgramFile().string()) !=
            korvex::TIntentResult::irDone ||
        work.SetFileField(korvex::TFileRow::frEeprom, Images().EepromFile().string()) !=
            korvex::TIntentResult::irDone) {
        return "an image file would not load: " + prompts.problems;
    }
    const korvex::TOutcome outcome = work.RunCommand(korvex::TCardCommand::ccAutoProgram);
    work.Shutdown();
    if (outcome != korvex::TOutcome::ocSucceeded) {
        return "auto program failed: " + prompts.problems;
    }
    return {};
}

// The whole session in this process, from building the workflows to
// releasing the programmer.
TRunResult AutoInProcess(int baud) {
    TRunResult result;
    result.figures.baud = baud;
    TSimRun sim(baud);
    if (sim.Path().empty()) {
        result.error = "korvex-sim did not start";
        return result;
    }
    TempDir settingsFolder;
    korvex::TPSettingsStore settings(settingsFolder.Path());
    korvex::bench::TCountingClock clock;
    korvex::bench::TLineCount count;
    korvex::TMainView view;
    TAnsweringPrompts prompts;
    korvex::testing::TRecordedPrompts linkPrompts;
    TQuietGauge gauge;
    const korvex::TPWorkflowSeams seams{view,    prompts, &linkPrompts, nullptr,
                                        nullptr, &gauge,  &clock};

    const std::int64_t startUs = TSteadyClock::NowUs();
    const std::int64_t startCpuUs = korvex::bench::CpuUs();
    {
        TPMainWorkflows work(ProgramFolder(), settings,
                             korvex::bench::CountingFactory(sim.Path(), count), seams);
        result.error = AutoSession(work, baud, prompts);
    }
    result.figures.wallUs = TSteadyClock::NowUs() - startUs;
    result.figures.cpuUs = korvex::bench::CpuUs() - startCpuUs;
    result.figures.bytes = count.written + count.received;
    result.figures.pausedMs = clock.PausedMs();
    result.figures.frames = count.frames;
    result.figures.programReads = count.programReads;
    result.pauses = clock.Pauses();
    for (const std::string& error : linkPrompts.errors) {
        result.error += "; " + error;
    }
    const std::string cardError = sim.CardError();
    if (result.error.empty()) {
        result.error = cardError;
    }
    return result;
}

// The last in-process run of each speed: its counted bytes and pauses are
// the floor of the tool's run too.
std::map<int, TRunResult>& InProcessRuns() {
    static std::map<int, TRunResult> runs;
    return runs;
}

struct TChildRun {
    int exitCode = -1; // -1: killed, or it did not end in time
    std::int64_t wallUs = 0;
    std::int64_t cpuUs = 0;
    std::string output; // stdout and stderr together
};

// Runs a program to its end with `variable` (NAME=value) set in its
// environment: the time from its spawn to its exit, and the CPU time it used.
TChildRun RunChild(const std::string& program, std::vector<std::string> args,
                   const std::vector<std::string>& variables) {
    TChildRun run;
    std::vector<std::string> environment = variables;
    const auto replaced = [&](const std::string& entry) {
        for (const std::string& variable : variables) {
            if (entry.rfind(variable.substr(0, variable.find('=') + 1), 0) == 0) {
                return true;
            }
        }
        return false;
    };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!replaced(*entry)) {
            environment.emplace_back(*entry);
        }
    }
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    int out[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    pid_t pid = -1;
    const std::int64_t startUs = TSteadyClock::NowUs();
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return run;
    }
    // The pipe ends when the child does.
    pollfd fd{out[0], POLLIN, 0};
    char buffer[4096];
    for (;;) {
        const int remaining =
            kChildPatienceMs - static_cast<int>((TSteadyClock::NowUs() - startUs) / 1000);
        const int ready = remaining > 0 ? poll(&fd, 1, remaining) : 0;
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        run.output.append(buffer, static_cast<std::size_t>(got));
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.wallUs = TSteadyClock::NowUs() - startUs;
    run.cpuUs = korvex::bench::CpuUs(usage);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// korvex-cli's auto command against a fresh simulator, with settings and a
// data folder of its own: nothing a developer keeps changes the steps timed.
TRunResult AutoThroughTool(int baud, const TRunResult& counted) {
    TRunResult result = counted;
    TSimRun sim(baud);
    if (sim.Path().empty()) {
        result.error = "korvex-sim did not start";
        return result;
    }
    TempDir config;
    TempDir data;
    const TChildRun run = RunChild(
        (ProgramFolder() / "korvex-cli").string(),
        {"--data", ProgramFolder().string(), "--port", sim.Path(), "--speed", std::to_string(baud),
         "--card", kCardType, "--yes", "--quiet", "auto", "--pic", Images().ProgramFile().string(),
         "--eeprom", Images().EepromFile().string()},
        {"XDG_CONFIG_HOME=" + config.Path().string(), "XDG_DATA_HOME=" + data.Path().string()});
    result.figures.wallUs = run.wallUs;
    result.figures.cpuUs = run.cpuUs;
    if (run.exitCode != 0) {
        result.error = "korvex-cli ended with " + std::to_string(run.exitCode) + ": " + run.output;
    }
    const std::string cardError = sim.CardError();
    if (result.error.empty()) {
        result.error = cardError;
    }
    return result;
}

bool Fails(benchmark::State& state, const std::string& error) {
    if (error.empty()) {
        return false;
    }
    state.SkipWithError(error.c_str());
    return true;
}

void BM_AutoInProcess(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TRunResult run;
        try {
            Images();
            run = AutoInProcess(baud);
        } catch (const std::exception& error) {
            run.error = korvex::DescribeError(error);
        }
        if (Fails(state, run.error)) {
            break;
        }
        InProcessRuns()[baud] = run;
        Report(state, run);
    }
}

void BM_AutoThroughTool(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TRunResult run;
        try {
            auto floor = InProcessRuns().find(baud);
            if (floor == InProcessRuns().end()) {
                // Run on its own: the floor still has to be counted first.
                TRunResult counted = AutoInProcess(baud);
                if (Fails(state, counted.error)) {
                    break;
                }
                floor = InProcessRuns().emplace(baud, counted).first;
            }
            run = AutoThroughTool(baud, floor->second);
        } catch (const std::exception& error) {
            run.error = korvex::DescribeError(error);
        }
        if (Fails(state, run.error)) {
            break;
        }
        Report(state, run);
    }
}

// The two bytes of a poll's answer, or what came of them within a second.
std::string PollAnswer(korvex::TSerialBackend& line) {
    std::string answer;
    const std::int64_t deadlineUs = TSteadyClock::NowUs() + 1000000;
    char buffer[16];
    while (answer.size() < 2) {
        const std::int64_t leftMs = (deadlineUs - TSteadyClock::NowUs()) / 1000;
        if (leftMs <= 0) {
            break;
        }
        line.WaitForInput(static_cast<int>(leftMs));
        answer.append(buffer, line.Read(buffer, sizeof buffer));
    }
    return answer;
}

// The yardstick's own cost, with neither driver nor workflows: bare poll
// frames written to the line and their answers awaited, and short pauses
// slept on their own. What an auto run spends above its floor is to be held
// against frames x round_over_us + pauses x pause_over_us.
void BM_LineBaseline(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    TSimRun sim(baud);
    korvex::TPosixSerialBackend line(sim.Path());
    korvex::TLineSettings settings;
    settings.baud = baud;
    if (sim.Path().empty() || !line.Open(settings).ok) {
        state.SkipWithError("korvex-sim did not start or its terminal would not open");
        return;
    }
    const std::string frame = korvex::FrameText(korvex::MakeFrame('P', '0', ""));
    const std::string acknowledged{korvex::kAck, korvex::kEot};
    for (auto _ : state) {
        const std::int64_t roundsStartUs = TSteadyClock::NowUs();
        for (int round = 0; round < kBaselineRounds; ++round) {
            line.Write(frame);
            if (PollAnswer(line) != acknowledged) {
                state.SkipWithError("the programmer did not acknowledge a poll");
                return;
            }
        }
        const std::int64_t pausesStartUs = TSteadyClock::NowUs();
        for (int pause = 0; pause < kBaselineRounds; ++pause) {
            TSteadyClock::Instance().SleepMs(kBaselinePauseMs);
        }
        const std::int64_t endUs = TSteadyClock::NowUs();
        const double wireUs = static_cast<double>(frame.size() + acknowledged.size()) *
                              korvex::bench::kBitsPerByte * 1e6 / baud;
        state.SetIterationTime(static_cast<double>(endUs - roundsStartUs) / 1e6);
        state.counters["round_over_us"] =
            static_cast<double>(pausesStartUs - roundsStartUs) / kBaselineRounds - wireUs;
        state.counters["pause_over_us"] =
            static_cast<double>(endUs - pausesStartUs) / kBaselineRounds -
            kBaselinePauseMs * 1000.0;
    }
}

BENCHMARK(BM_AutoInProcess)->Apply(korvex::bench::Speeds);
BENCHMARK(BM_AutoThroughTool)->Apply(korvex::bench::Speeds);
BENCHMARK(BM_LineBaseline)->Apply(korvex::bench::Speeds);

} // namespace

int main(int argc, char** argv) {
    return korvex::bench::RunBenchmarks(argc, argv);
}
