// A production line: cards of a PIC 16F84 with a 24C16 EEPROM fed one after
// the other by the simulator, each programmed by the production run as it
// arrives, at 115200 baud with every answer taking its time on the line.
// First one card alone, auto programmed by its command, gives the single-card
// floor: every byte at ten bits per byte plus the pauses the protocol
// mandates. The run is held against that floor plus, per card, the person's
// swap (the feeder's gap) and one poll period of the waiting run, the most
// the run can wait to see a card arrive: at least 97 % of it. A card arrives
// when the person puts it in: the gap after the last one left; the time from
// then to its first frame must stay within a poll period and 20 ms.
//
// Then one programmer and four side by side, each a session on a thread of
// its own with its own simulated programmer and feeder, sharing one run: four
// give at least 3.5 times the cards per hour of one, and the processor time
// per card grows by at most 10 %.
//
// The same line once more with a serial field on the card type and its claims
// and record lines in a PostgreSQL database (KORVEX_BENCH_DB, or a throwaway
// server the benchmark starts and stops): the time per card, from its start
// to its record line written, may grow by at most 2 %.
#include "benchline.h"
#include "benchprompts.h"
#include "common/linkfakes.h"
#include "common/tempdir.h"
#include "serials/postgres/pgconnection.h"
#include "sim/simbackend.h"
#include "sim/simcardmodel.h"
#include "sim/simdevice.h"
#include "sim/simfeeder.h"
#include "support/programfolder.h"
#include "support/settingsstore.h"
#include "workflows/presenter/mainworkflows.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace {

using korvex::TPMainWorkflows;
using korvex::TSteadyClock;
using korvex::testing::TempDir;

constexpr const char* kCardType = "PIC16F84-24C16";
constexpr int kBaud = 115200;
constexpr int kCards = 5;
constexpr int kGapMs = 300;
constexpr int kLatencySlackMs = 20;
constexpr double kFloorShareGoal = 0.97;

// The workflows of one session on an in-process simulated programmer, the
// line's bytes and the driver's pauses counted.
struct TLine {
    explicit TLine(korvex::sim::TSimDevice& device,
                   const std::filesystem::path& programFolder = korvex::ExecutableFolder())
        : settings(settingsFolder.Path()),
          // A user data folder of its own: the journal of the card in hand
          // starts empty, and no run waits for a card an earlier one finished.
          work(korvex::TPDataFolders(programFolder, settingsFolder.Path() / "data"), settings,
               Factory(device),
               korvex::TPWorkflowSeams{view, prompts, &linkPrompts, nullptr, nullptr, nullptr,
                                       &clock}) {}

    korvex::TBackendFactory Factory(korvex::sim::TSimDevice& device) {
        return [this, &device](std::string_view) -> std::unique_ptr<korvex::TSerialBackend> {
            return std::make_unique<korvex::bench::TCountingBackend>(
                korvex::sim::MakeSimulatorBackend(device, TSteadyClock::Instance(), true), count);
        };
    }
    // Start-up on COM`port` at 115200 with the two files; empty when it went well.
    std::string Start(int port = 1) {
        korvex::TStartChoices choices;
        choices.comPort = port;
        choices.speed = korvex::TBaudRate::br115200;
        choices.cardName = kCardType;
        choices.storeCardSettings = false;
        work.FormShow(choices);
        const std::filesystem::path samples = korvex::ExecutableFolder() / "samples";
        if (work.SetFileField(korvex::TFileRow::frProgram, (samples / "sample84.hex").string()) !=
                korvex::TIntentResult::irDone ||
            work.SetFileField(korvex::TFileRow::frEeprom, (samples / "sample24c16.hex").string()) !=
                korvex::TIntentResult::irDone) {
            return "a sample file would not load: " + prompts.problems;
        }
        for (int poll = 0;
             poll < 3 && work.Snapshot().cardState != korvex::TPCardState::csCardReady; ++poll) {
            work.PollNow();
        }
        count = {};
        frames.clear();
        count.sent = &frames;
        return {};
    }
    korvex::bench::TLineFigures Figures(std::int64_t wallUs, int baud) const {
        korvex::bench::TLineFigures figures;
        figures.baud = baud;
        figures.wallUs = wallUs;
        figures.bytes = count.written + count.received;
        figures.pausedMs = clock.PausedMs();
        figures.frames = count.frames;
        figures.programReads = count.programReads;
        return figures;
    }

    TempDir settingsFolder;
    korvex::TPSettingsStore settings;
    korvex::bench::TCountingClock clock;
    korvex::bench::TLineCount count;
    std::vector<korvex::bench::TSentFrame> frames;
    korvex::TMainView view;
    korvex::bench::TAnsweringPrompts prompts;
    korvex::testing::TRecordedPrompts linkPrompts;
    TPMainWorkflows work;
};

korvex::sim::TSimCardModel Model() {
    return korvex::sim::SimCardModelForCardType(korvex::ExecutableFolder(), kCardType);
}

// A programmer with a blank card, listening at the bench's speed.
std::unique_ptr<korvex::sim::TSimDevice> Programmer() {
    auto device = std::make_unique<korvex::sim::TSimDevice>(korvex::sim::TSimCard(Model()));
    device->SetListeningBaud(kBaud);
    return device;
}

// One card's auto program, on its own: the floor each fed card is held to,
// and what a verify reading the program memory twice would add to it.
double SingleCardFloorMs(std::string& error, double& verifySavedMs) {
    const auto device = Programmer();
    TLine line(*device);
    error = line.Start();
    if (!error.empty()) {
        return 0;
    }
    const std::int64_t pausedBefore = line.clock.PausedMs();
    if (line.work.RunCommand(korvex::TCardCommand::ccAutoProgram) !=
        korvex::TOutcome::ocSucceeded) {
        error = "the single card failed: " + line.prompts.problems;
        return 0;
    }
    korvex::bench::TLineFigures figures = line.Figures(0, kBaud);
    figures.pausedMs -= pausedBefore;
    verifySavedMs = figures.WireMs(figures.programReads);
    return figures.FloorMs();
}

struct TCountingBoard final : korvex::TProductionObserver {
    int good = 0;
    void CardDone(const korvex::TCardResult& result,
                  const korvex::TProductionCounters& /*counters*/) override {
        good += result.verdict == korvex::TCardVerdict::cvGood ? 1 : 0;
    }
};

void BM_ProductionLine(benchmark::State& state) {
    std::string error;
    double verifySavedMs = 0;
    const double cardFloorMs = SingleCardFloorMs(error, verifySavedMs);
    if (!error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        const auto device = Programmer();
        TLine line(*device);
        error = line.Start();
        korvex::sim::TSimFeedPlan plan;
        plan.cards = kCards;
        plan.gapMs = kGapMs;
        const korvex::sim::TSimFeeder& feeder = device->SetFeed(plan, TSteadyClock::Instance());
        TCountingBoard board;
        korvex::TProductionPlan production;
        production.count = kCards;
        const std::int64_t startUs = TSteadyClock::NowUs();
        const std::int64_t startCpuUs = korvex::bench::CpuUs();
        const korvex::TProductionSummary summary = line.work.RunProduction(production, board);
        const std::int64_t wallUs = TSteadyClock::NowUs() - startUs;
        if (!error.empty() || summary.end != korvex::TRunEnd::reCount || board.good != kCards) {
            state.SkipWithError(
                ("the run did not program every card: " + error + line.prompts.problems).c_str());
            return;
        }
        // Each card after the first arrives a gap after the one before left.
        std::int64_t worstLatencyMs = 0;
        for (const auto& event : feeder.Events()) {
            if (event.kind != korvex::sim::TSimFeedEvent::TKind::Removed || event.card == kCards) {
                continue;
            }
            const std::int64_t arrivalMs = event.timeMs + kGapMs;
            const auto first =
                std::find_if(line.frames.begin(), line.frames.end(),
                             [&](const korvex::bench::TSentFrame& frame) {
                                 return frame.timeMs >= arrivalMs && frame.command != 'P';
                             });
            if (first != line.frames.end()) {
                worstLatencyMs = std::max(worstLatencyMs, first->timeMs - arrivalMs);
            }
        }
        const double pollMs = korvex::TPProductionRun::kWaitingPollMs;
        // The first card is in the slot from the start: no swap before it.
        const double floorMs = kCards * (cardFloorMs + pollMs) + (kCards - 1) * kGapMs;
        const double wallMs = static_cast<double>(wallUs) / 1000.0;
        state.SetIterationTime(wallMs / 1000.0);
        state.counters["cards_per_hour"] = kCards * 3'600'000.0 / wallMs;
        state.counters["floor_cards_per_hour"] = kCards * 3'600'000.0 / floorMs;
        state.counters["floor_share"] = floorMs / wallMs;
        state.counters["floor_share_goal"] = kFloorShareGoal;
        state.counters["card_floor_ms"] = cardFloorMs;
        state.counters["verify_saved_ms"] = verifySavedMs;
        state.counters["worst_latency_ms"] = static_cast<double>(worstLatencyMs);
        state.counters["latency_goal_ms"] = pollMs + kLatencySlackMs;
        state.counters["cpu_pct"] =
            100.0 * static_cast<double>(korvex::bench::CpuUs() - startCpuUs) / wallUs;
        if (worstLatencyMs > pollMs + kLatencySlackMs) {
            state.SkipWithError("a card waited longer than a poll period and 20 ms");
        } else if (floorMs / wallMs < kFloorShareGoal) {
            const std::string why = "the run reached " + std::to_string(100 * floorMs / wallMs) +
                                    " % of the floor (" + std::to_string(floorMs) + " ms for " +
                                    std::to_string(wallMs) + " ms), below 97 %";
            state.SkipWithError(why.c_str());
        }
    }
}

BENCHMARK(BM_ProductionLine)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

constexpr double kGangSpeedupGoal = 3.5;
constexpr double kGangCpuGrowthGoal = 1.10;

struct TGangFigures {
    double wallMs = 0;
    double cpuMs = 0;
    int good = 0;
    std::string error;
};

// `slots` programmers side by side, kCards fed to each, in one run.
TGangFigures RunGang(int slots) {
    TGangFigures figures;
    std::vector<std::unique_ptr<korvex::sim::TSimDevice>> devices;
    std::vector<std::unique_ptr<TLine>> lines;
    std::vector<TCountingBoard> boards(static_cast<std::size_t>(slots));
    for (int slot = 0; slot < slots; ++slot) {
        devices.push_back(Programmer());
        lines.push_back(std::make_unique<TLine>(*devices.back()));
        // A port of its own, as the journal of the card in hand is the port's.
        figures.error = lines.back()->Start(slot + 1);
        if (!figures.error.empty()) {
            return figures;
        }
        korvex::sim::TSimFeedPlan feed;
        feed.cards = kCards;
        feed.gapMs = kGapMs;
        devices.back()->SetFeed(feed, TSteadyClock::Instance());
    }
    korvex::TPCardNumbers numbers(slots * kCards);
    korvex::TProductionPlan plan;
    plan.count = slots * kCards;
    plan.run = "bench";
    plan.numbers = &numbers;
    const std::int64_t startUs = TSteadyClock::NowUs();
    const std::int64_t startCpuUs = korvex::bench::CpuUs();
    std::vector<std::thread> threads;
    for (int slot = 0; slot < slots; ++slot) {
        threads.emplace_back([&, slot] {
            lines[static_cast<std::size_t>(slot)]->work.RunProduction(
                plan, boards[static_cast<std::size_t>(slot)]);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    figures.wallMs = static_cast<double>(TSteadyClock::NowUs() - startUs) / 1000.0;
    figures.cpuMs = static_cast<double>(korvex::bench::CpuUs() - startCpuUs) / 1000.0;
    for (const TCountingBoard& board : boards) {
        figures.good += board.good;
    }
    if (figures.good != slots * kCards) {
        figures.error = "the run did not program every card";
    }
    return figures;
}

void BM_ProductionGang(benchmark::State& state) {
    for (auto _ : state) {
        const TGangFigures one = RunGang(1);
        const TGangFigures four = one.error.empty() ? RunGang(4) : TGangFigures{};
        if (!one.error.empty() || !four.error.empty()) {
            state.SkipWithError((one.error + four.error).c_str());
            return;
        }
        const double onePerHour = kCards * 3'600'000.0 / one.wallMs;
        const double fourPerHour = 4 * kCards * 3'600'000.0 / four.wallMs;
        const double oneCpuPerCard = one.cpuMs / kCards;
        const double fourCpuPerCard = four.cpuMs / (4 * kCards);
        state.SetIterationTime(four.wallMs / 1000.0);
        state.counters["one_cards_per_hour"] = onePerHour;
        state.counters["four_cards_per_hour"] = fourPerHour;
        state.counters["speedup"] = fourPerHour / onePerHour;
        state.counters["speedup_goal"] = kGangSpeedupGoal;
        state.counters["one_cpu_ms_per_card"] = oneCpuPerCard;
        state.counters["four_cpu_ms_per_card"] = fourCpuPerCard;
        const std::string figures = " (" + std::to_string(onePerHour) + " and " +
                                    std::to_string(fourPerHour) + " cards per hour, " +
                                    std::to_string(oneCpuPerCard) + " and " +
                                    std::to_string(fourCpuPerCard) + " ms of processor a card)";
        if (fourPerHour / onePerHour < kGangSpeedupGoal) {
            state.SkipWithError(
                ("four programmers gave less than 3.5 times the cards of one" + figures).c_str());
        } else if (fourCpuPerCard > oneCpuPerCard * kGangCpuGrowthGoal) {
            state.SkipWithError(
                ("the processor time per card grew with the programmers" + figures).c_str());
        }
    }
}

BENCHMARK(BM_ProductionGang)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

constexpr double kSerialsGoalPct = 2.0;

// A throwaway PostgreSQL server for the run, unless KORVEX_BENCH_DB names one.
class TBenchDatabase {
public:
    TBenchDatabase() {
        if (const char* given = std::getenv("KORVEX_BENCH_DB"); given != nullptr && *given) {
            uri_ = given;
            return;
        }
        script_ = KORVEX_SOURCE_DIR "/tests/serials/pgcluster.sh";
        if (std::system(("bash '" + script_ + "' start '" + state_.Path().string() + "' >/dev/null")
                            .c_str()) != 0) {
            return;
        }
        std::string cluster = korvex::testing::ReadText(state_.Path() / "cluster");
        cluster = cluster.substr(0, cluster.find('\n'));
        if (cluster.empty() || cluster == "absent") {
            return;
        }
        korvex::TPPgConnection("postgresql://korvex@/postgres?host=" + cluster)
            .Exec("CREATE DATABASE korvex_bench");
        uri_ = "postgresql://korvex@/korvex_bench?host=" + cluster;
    }
    ~TBenchDatabase() {
        if (!script_.empty()) {
            (void)std::system(
                ("bash '" + script_ + "' stop '" + state_.Path().string() + "'").c_str());
        }
    }
    TBenchDatabase(const TBenchDatabase&) = delete;
    TBenchDatabase& operator=(const TBenchDatabase&) = delete;

    // Empty when no server could be had.
    const std::string& Uri() const { return uri_; }

private:
    TempDir state_;
    std::string script_;
    std::string uri_;
};

// Times each card from its start to its record line written (and shared).
struct TTimingBoard final : korvex::TProductionObserver {
    std::int64_t startUs = 0;
    std::vector<double> cardMs;
    int good = 0;
    void CardStarted(int /*sequence*/) override { startUs = TSteadyClock::NowUs(); }
    void CardDone(const korvex::TCardResult& result,
                  const korvex::TProductionCounters& /*counters*/) override {
        cardMs.push_back(static_cast<double>(TSteadyClock::NowUs() - startUs) / 1000.0);
        good += result.verdict == korvex::TCardVerdict::cvGood ? 1 : 0;
    }
    double MeanMs() const {
        return std::accumulate(cardMs.begin(), cardMs.end(), 0.0) /
               static_cast<double>(std::max<std::size_t>(cardMs.size(), 1));
    }
};

// The fed cards' mean time, with a serial field and the database when
// `database` is given; 0 with `error` said when the run went wrong.
double MeanCardMs(const std::string& database, std::string& error) {
    const auto device = Programmer();
    // A copy of the program folder: the serial field goes into its card type.
    TempDir folder;
    const std::filesystem::path program = folder / "program";
    std::filesystem::create_directories(program);
    for (const char* part : {"cards", "lang", "options", "defaults"}) {
        std::filesystem::copy(korvex::ExecutableFolder() / part, program / part,
                              std::filesystem::copy_options::recursive);
    }
    TLine line(*device, program);
    error = line.Start();
    if (error.empty() && !database.empty() &&
        line.work.EditSerialFields(
            {"Serial1:memory=eeprom,address=0x7F0,length=4,format=bcd,first=1"}, {}) !=
            korvex::TIntentResult::irDone) {
        error = "the serial field was refused: " + line.prompts.problems;
    }
    if (!error.empty()) {
        return 0;
    }
    korvex::sim::TSimFeedPlan plan;
    plan.cards = kCards;
    plan.gapMs = kGapMs;
    device->SetFeed(plan, TSteadyClock::Instance());
    TTimingBoard board;
    korvex::TProductionPlan production;
    production.count = kCards;
    production.record = folder / "record.csv";
    production.database = database;
    production.station = "bench";
    const korvex::TProductionSummary summary = line.work.RunProduction(production, board);
    if (summary.end != korvex::TRunEnd::reCount || board.good != kCards) {
        error = "the run did not program every card: " + line.prompts.problems;
        return 0;
    }
    return board.MeanMs();
}

void BM_ProductionSerialsAndDatabase(benchmark::State& state) {
    const TBenchDatabase database;
    if (database.Uri().empty()) {
        state.SkipWithError("no PostgreSQL server (install postgresql or set KORVEX_BENCH_DB)");
        return;
    }
    for (auto _ : state) {
        std::string error;
        const double plainMs = MeanCardMs("", error);
        const double serialsMs = error.empty() ? MeanCardMs(database.Uri(), error) : 0;
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        const double overheadPct = 100.0 * (serialsMs - plainMs) / plainMs;
        state.SetIterationTime(serialsMs / 1000.0);
        state.counters["card_ms"] = plainMs;
        state.counters["card_ms_serials_db"] = serialsMs;
        state.counters["cards_per_hour"] =
            3'600'000.0 / (plainMs + korvex::TPProductionRun::kWaitingPollMs);
        state.counters["cards_per_hour_serials_db"] =
            3'600'000.0 / (serialsMs + korvex::TPProductionRun::kWaitingPollMs);
        state.counters["overhead_pct"] = overheadPct;
        state.counters["overhead_goal_pct"] = kSerialsGoalPct;
        if (overheadPct > kSerialsGoalPct) {
            state.SkipWithError("serial values and the database cost more than 2 % a card");
        }
    }
}

BENCHMARK(BM_ProductionSerialsAndDatabase)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return korvex::bench::RunBenchmarks(argc, argv);
}
