// Auto program on a noisy line: the in-process simulated programmer spoils
// frames at random (a refusal, silence, a bad checksum, noise or a short
// answer), a given share of all frames, reproducibly by seed. Each run starts
// from a blank card and ends with the card compared, memory by memory, with
// the card a run on a quiet line leaves: a run that reports success on a card
// that differs is silent-wrong, one that cannot end is a hang. Time here is
// the simulated clock's, so a retry's cost is the waiting it adds (deadlines
// of answers that never came), not the line's bytes.
#include "benchprompts.h"
#include "common/fakeclock.h"
#include "common/linkfakes.h"
#include "common/tempdir.h"
#include "sim/simbackend.h"
#include "sim/simcardmodel.h"
#include "sim/simdevice.h"
#include "sim/simfaults.h"
#include "support/programfolder.h"
#include "support/settingsstore.h"
#include "workflows/presenter/mainworkflows.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace {

using korvex::TPMainWorkflows;
using korvex::sim::TSimMemory;

// A run that has not ended after this long on the simulated clock never will.
constexpr std::int64_t kHangMs = 10 * 60 * 1000;

struct TCardSetup {
    const char* cardType;
    const char* program;
    const char* eeprom;
    const char* intEeprom; // AVR kinds; nullptr for a PIC
    bool lock;
};

constexpr TCardSetup kPic{"PIC16F84-24C16", "sample84.hex", "sample24c16.hex", nullptr, false};
constexpr TCardSetup kAvr{"AT90S8515-24C64", "sampleavr_flash.hex", "sample24c64.hex",
                          "sampleavr_eeprom.hex", true};

// The memories a run leaves on the card.
using TCardTexts = std::map<TSimMemory, std::string>;

TCardTexts CardTexts(const korvex::sim::TSimDevice& device) {
    TCardTexts texts;
    for (const TSimMemory memory :
         {TSimMemory::Program, TSimMemory::Data, TSimMemory::Config, TSimMemory::Eeprom}) {
        texts[memory] = device.Card().Text(memory);
    }
    return texts;
}

struct TRun {
    bool succeeded = false;
    bool hung = false;
    int retries = 0;
    std::int64_t simulatedMs = 0;
    TCardTexts card;
};

// One card command from start-up, as korvex-cli --yes runs it, on a fresh
// blank card whose line `spoil` sets up just before the command.
TRun RunOnLine(const TCardSetup& setup, korvex::TCardCommand command, int stepRetries,
               const std::function<void(korvex::sim::TSimDevice&)>& spoil) {
    korvex::testing::TempDir dir;
    korvex::testing::TFakeClock clock;
    korvex::testing::TCountingPump pump;
    korvex::testing::TManualPollScheduler scheduler;
    korvex::bench::TAnsweringPrompts prompts;
    korvex::testing::TRecordedPrompts linkPrompts;
    korvex::TMainView view;
    const std::filesystem::path folder = korvex::ExecutableFolder();
    korvex::sim::TSimDevice device(
        korvex::sim::TSimCard(korvex::sim::SimCardModelForCardType(folder, setup.cardType)));
    korvex::TPSettingsStore settings(dir / "settings");
    // The options are a copy in a user folder of the run's own: a bound
    // other than the shipped one never reaches the program folder.
    const std::filesystem::path optionsFile = std::filesystem::path("options") / "options.ini";
    std::filesystem::create_directories((dir / "user" / optionsFile).parent_path());
    std::filesystem::copy_file(folder / optionsFile, dir / "user" / optionsFile);
    TPMainWorkflows work(
        korvex::TPDataFolders(folder, dir / "user"), settings,
        korvex::sim::SimulatorBackendFactory(device, clock),
        korvex::TPWorkflowSeams{view, prompts, &linkPrompts, &pump, &scheduler, nullptr, &clock});
    korvex::TStartChoices choices;
    choices.comPort = 1;
    choices.speed = korvex::TBaudRate::br19200;
    choices.cardName = setup.cardType;
    choices.storeCardSettings = false;
    work.FormShow(choices);
    korvex::TOptionBoxes options;
    work.ReadOptions(options);
    if (options.stepRetries != stepRetries) {
        options.stepRetries = stepRetries;
        work.AcceptOptions(options);
    }
    const std::filesystem::path samples = folder / "samples";
    work.SetFileField(korvex::TFileRow::frProgram, (samples / setup.program).string());
    work.SetFileField(korvex::TFileRow::frEeprom, (samples / setup.eeprom).string());
    if (setup.intEeprom != nullptr) {
        work.SetFileField(korvex::TFileRow::frIntEeprom, (samples / setup.intEeprom).string());
    }
    work.SetFuse(korvex::TFuse::fuLock, setup.lock ? 0 : 1);
    // The faults start with the card's commands; a user whose first polls
    // went unanswered waits for the next.
    for (int poll = 0; poll < 3 && work.Snapshot().cardState != korvex::TPCardState::csCardReady;
         ++poll) {
        work.PollNow();
    }
    spoil(device);
    TRun run;
    const std::int64_t startMs = clock.NowMs();
    pump.during = [&] {
        if (!run.hung && clock.NowMs() - startMs > kHangMs) {
            run.hung = true;
            work.RequestStop();
        }
    };
    run.succeeded = work.RunCommand(command) == korvex::TOutcome::ocSucceeded;
    run.simulatedMs = clock.NowMs() - startMs;
    run.retries = work.LastReport().retries;
    run.card = CardTexts(device);
    if (!run.succeeded && std::getenv("KORVEX_SOAK_WHY") != nullptr) {
        std::string notes;
        for (const std::string& note : work.Snapshot().notes) {
            notes += note + " / ";
        }
        std::fprintf(stderr, "%s | %s | %s\n", prompts.problems.c_str(),
                     linkPrompts.errors.empty() ? "" : linkPrompts.errors.back().c_str(),
                     notes.c_str());
    }
    return run;
}

// One auto program on a line that spoils `rate` of its frames.
TRun AutoOnNoisyLine(const TCardSetup& setup, double rate, int stepRetries, std::uint32_t seed) {
    if (std::getenv("KORVEX_SOAK_WHY") != nullptr) {
        std::fprintf(stderr, "seed %u: ", seed);
    }
    return RunOnLine(setup, korvex::TCardCommand::ccAutoProgram, stepRetries,
                     [&](korvex::sim::TSimDevice& device) { device.SetRandomFaults(rate, seed); });
}

const TCardTexts& QuietCard(const TCardSetup& setup) {
    static std::map<std::string, TCardTexts> quiet;
    auto found = quiet.find(setup.cardType);
    if (found == quiet.end()) {
        const TRun run = AutoOnNoisyLine(setup, 0.0, 0, 1);
        found = quiet.emplace(setup.cardType, run.card).first;
    }
    return found->second;
}

// The goals per rate of spoiled frames, for the PIC card: the share of runs
// that may fail. The AVR card, four times the frames, is shown beside it at
// the shipped bound of tries and at higher ones.
double FailureGoalPct(double rate) {
    return rate <= 0.001 ? 2.0 : rate <= 0.003 ? 5.0 : 30.0;
}

void BM_Soak(benchmark::State& state, const TCardSetup& setup, double rate, int stepRetries,
             int runs, bool goals) {
    const TCardTexts& quiet = QuietCard(setup);
    for (auto _ : state) {
        int failed = 0;
        int silentWrong = 0;
        int hangs = 0;
        int retries = 0;
        std::int64_t cleanMs = 0;
        int cleanRuns = 0;
        std::int64_t retriedMs = 0;
        int retriedRuns = 0;
        int retriesOfRetriedRuns = 0;
        for (int i = 0; i < runs; ++i) {
            const TRun run =
                AutoOnNoisyLine(setup, rate, stepRetries, static_cast<std::uint32_t>(1000 + i));
            hangs += run.hung ? 1 : 0;
            failed += run.succeeded ? 0 : 1;
            silentWrong += run.succeeded && run.card != quiet ? 1 : 0;
            retries += run.retries;
            if (run.retries == 0 && run.succeeded) {
                cleanMs += run.simulatedMs;
                ++cleanRuns;
            } else if (run.succeeded) {
                retriedMs += run.simulatedMs;
                ++retriedRuns;
                retriesOfRetriedRuns += run.retries;
            }
        }
        const double failedPct = 100.0 * failed / runs;
        state.counters["runs"] = runs;
        state.counters["failed_pct"] = failedPct;
        if (goals) {
            state.counters["goal_pct"] = FailureGoalPct(rate);
        }
        state.counters["silent_wrong"] = silentWrong;
        state.counters["hangs"] = hangs;
        state.counters["retries"] = retries;
        // What a try again adds to a card, on the simulated clock.
        const double cleanMean = cleanRuns > 0 ? static_cast<double>(cleanMs) / cleanRuns : 0.0;
        state.counters["retry_cost_ms"] =
            retriesOfRetriedRuns > 0 && cleanRuns > 0
                ? (static_cast<double>(retriedMs) - cleanMean * retriedRuns) / retriesOfRetriedRuns
                : 0.0;
        // 1 when no run was silent-wrong, none hung and no more failed than
        // the goal allows.
        state.counters["goals_met"] =
            silentWrong == 0 && hangs == 0 && (!goals || failedPct <= FailureGoalPct(rate)) ? 1 : 0;
    }
}

void Soak(const char* name, const TCardSetup& setup, int stepRetries, bool goals) {
    const std::pair<double, int> rates[] = {{0.001, 200}, {0.003, 200}, {0.01, 100}};
    for (const auto& [rate, runs] : rates) {
        const std::string label = std::string(name) + "/retries:" + std::to_string(stepRetries) +
                                  "/rate_pct:" + std::to_string(rate * 100).substr(0, 3);
        benchmark::RegisterBenchmark(
            label.c_str(),
            [&setup, rate = rate, runs = runs, stepRetries, goals](benchmark::State& state) {
                BM_Soak(state, setup, rate, stepRetries, runs, goals);
            })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
}

// A programmer that falls silent for good after the command's first
// `frames` frames: how long the command takes to fail, on the simulated
// clock at 19200 baud, against 6 s; the steps it ran again, none allowed.
void BM_SilentProgrammer(benchmark::State& state, korvex::TCardCommand command) {
    const int frames = static_cast<int>(state.range(0));
    TRun run;
    for (auto _ : state) {
        run = RunOnLine(kPic, command, korvex::TPOptionReader::kDefaultStepRetries,
                        [frames](korvex::sim::TSimDevice& device) {
                            const auto from = static_cast<int>(device.Frames().size()) + frames;
                            for (int frame = from + 1; frame <= from + 3000; ++frame) {
                                device.AddFault(
                                    korvex::sim::ParseSimFault("silent@" + std::to_string(frame)));
                            }
                        });
    }
    state.counters["failed_after_ms"] = static_cast<double>(run.simulatedMs);
    state.counters["goal_ms"] = 6000;
    state.counters["retries"] = run.retries;
    state.counters["goals_met"] = !run.succeeded && run.simulatedMs <= 6000 && run.retries == 0;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    constexpr int kShipped = korvex::TPOptionReader::kDefaultStepRetries;
    Soak("BM_SoakAutoPic", kPic, kShipped, true);
    // Its eeprom is 512 packets the programmer takes without an address, so
    // a try can only start again at the first: what a higher bound buys.
    for (const int stepRetries : {kShipped, 4, korvex::TPOptionReader::kMostStepRetries}) {
        Soak("BM_SoakAutoAvrWithLock", kAvr, stepRetries, false);
    }
    // Silent in the processor's write, and in auto's EEPROM part and its end.
    for (const auto& [name, command, later] :
         {std::tuple{"BM_SilentProgrammer/write_pic", korvex::TCardCommand::ccWritePic, 150},
          std::tuple{"BM_SilentProgrammer/auto", korvex::TCardCommand::ccAutoProgram, 400}}) {
        benchmark::RegisterBenchmark(name, BM_SilentProgrammer, command)
            ->ArgName("after_frames")
            ->Arg(40)
            ->Arg(later)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
