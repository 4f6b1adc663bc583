// The window's promises to a user, measured:
// - start-up: from starting the program to its window shown, on the
//   offscreen platform, against 300 ms;
// - responsiveness: during a Write Pic at 19200 baud on the simulated
//   programmer with wire time, the longest time the event loop went without
//   running (a 10 ms timer's ticks), against 50 ms, and the processor time
//   the program took, against 5 % of the wall time;
// - closing: idle, against 300 ms; during a write on a programmer fallen
//   silent, against 2 s;
// - a production run over four programmers at 115200 baud with wire time,
//   each a slot on a thread of its own fed by its own feeder: the longest
//   time the event loop went without running, against 50 ms.
#include "common/linkfakes.h"
#include "common/tempdir.h"
#include "link/clock.h"
#include "mainwindow/korvexapp.h"
#include "sim/simbackend.h"
#include "sim/simcardmodel.h"
#include "sim/simdevice.h"
#include "sim/simfeedplan.h"
#include "support/programfolder.h"
#include "workflows/workflowrig.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using korvex::testing::TempDir;

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Starts the program as a user would and waits for it to end, which it does
// as soon as its window has been shown.
void BM_StartUpToWindowShown(benchmark::State& state) {
    const TempDir home;
    // A copy of the program with its data: closing, the window keeps the
    // card type's choices in a program folder it may write, and the build's
    // own is no place for them.
    const std::filesystem::path folder = home / "program";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(korvex::ExecutableFolder() / "korvex", folder / "korvex");
    for (const char* data : {"cards", "lang", "options", "defaults", "help"}) {
        std::filesystem::copy(korvex::ExecutableFolder() / data, folder / data,
                              std::filesystem::copy_options::recursive);
    }
    const std::string program = (folder / "korvex").string();
    std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen",
                                         "XDG_DATA_HOME=" + (home / "data").string(),
                                         "HOME=" + home.Path().string()};
    std::vector<char*> envp;
    for (auto& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string arg0 = program;
    std::string arg1 = "--quit-when-shown";
    char* argv[] = {arg0.data(), arg1.data(), nullptr};
    double worst = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        pid_t child = 0;
        if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
            state.SkipWithError("cannot start korvex");
            return;
        }
        int status = 0;
        waitpid(child, &status, 0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("korvex did not end well");
            return;
        }
        worst = std::max(worst, seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["worst_ms"] = worst * 1000;
    state.counters["goal_ms"] = 300;
}
BENCHMARK(BM_StartUpToWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The program on the in-process simulated programmer at 19200 baud with
// wire time, over a copy of the program folder, its window shown and the
// sample program file chosen.
struct TWindowOnSim {
    const TempDir dir;
    const std::filesystem::path folder = dir / "program";
    const std::string card = "PIC16F84-24C16";
    korvex::sim::TSimDevice device;
    // The message at the end is counted, not waited for.
    korvex::testing::TRecordingPrompts prompts;
    korvex::testing::TRecordedPrompts linkPrompts;
    std::unique_ptr<korvex::gui::TKorvexApp> app;

    TWindowOnSim()
        : device([this] {
              std::filesystem::copy(korvex::ExecutableFolder(), folder,
                                    std::filesystem::copy_options::recursive);
              return korvex::sim::TSimCard(korvex::sim::SimCardModelForCardType(folder, card));
          }()) {
        korvex::gui::TAppParts parts;
        parts.settingsFolder = dir / "settings";
        parts.prompts = &prompts;
        parts.linkPrompts = &linkPrompts;
        parts.factory =
            korvex::sim::SimulatorBackendFactory(device, korvex::TSteadyClock::Instance(), true);
        app = std::make_unique<korvex::gui::TKorvexApp>(korvex::TPDataFolders(folder, dir / "user"),
                                                        parts);
        korvex::TStartChoices choices;
        choices.comPort = 1;
        choices.speed = korvex::TBaudRate::br19200;
        choices.cardName = card;
        app->Start(choices);
        app->Window().show();
        app->Work().PollNow();
        app->Work().SetFileField(korvex::TFileRow::frProgram,
                                 (folder / "samples" / "sample84.hex").string());
    }
    QAction* WritePic() const {
        return app->Window().findChild<QAction*>(QStringLiteral("WritePic1"));
    }
};

// The longest time the event loop went without running while started: a
// timer that should fire every 10 ms notes each gap between its ticks.
class TLoopGaps {
public:
    TLoopGaps() {
        ticks_.setInterval(10);
        QObject::connect(&ticks_, &QTimer::timeout, [this] {
            longest_ = std::max(longest_, static_cast<double>(sinceTick_.restart()));
        });
    }
    void Start() {
        ticks_.start();
        sinceTick_.start();
    }
    void Stop() { ticks_.stop(); }
    double LongestMs() const { return longest_; }

private:
    QTimer ticks_;
    QElapsedTimer sinceTick_;
    double longest_ = 0;
};

void BM_WindowDuringAWrite(benchmark::State& state) {
    TWindowOnSim sim;
    korvex::testing::TRecordingPrompts& prompts = sim.prompts;
    double longestGapMs = 0;
    double cpuShare = 0;
    for (auto _ : state) {
        TLoopGaps gaps;
        QAction* write = sim.WritePic();
        const double cpuBefore = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        gaps.Start();
        prompts.Clear();
        write->trigger();
        gaps.Stop();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        longestGapMs = std::max(longestGapMs, gaps.LongestMs());
        cpuShare = (CpuSeconds() - cpuBefore) / wall * 100;
        state.SetIterationTime(wall);
        if (prompts.Entries() != std::vector<int>{130}) {
            state.SkipWithError("the write did not run");
            return;
        }
    }
    state.counters["longest_gap_ms"] = longestGapMs;
    state.counters["gap_goal_ms"] = 50;
    state.counters["cpu_percent"] = cpuShare;
    state.counters["cpu_goal_percent"] = 5;
}
BENCHMARK(BM_WindowDuringAWrite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// Closing, from the close to the window's word that its close is carried out
// (the settings saved, the programmer released as far as it answers): idle,
// against 300 ms; during a Write Pic whose programmer has just fallen
// silent, against 2 s.
void BM_Close(benchmark::State& state) {
    const bool writing = state.range(0) != 0;
    double closeMs = 0;
    for (auto _ : state) {
        TWindowOnSim sim;
        korvex::gui::Tfrmmain& window = sim.app->Window();
        bool closed = false;
        QObject::connect(&window, &korvex::gui::Tfrmmain::Closed, [&] { closed = true; });
        QElapsedTimer sinceClose;
        const auto close = [&] {
            sinceClose.start();
            window.close();
        };
        if (writing) {
            QTimer::singleShot(300, [&] {
                sim.device.SetListeningBaud(115200); // hears garbage, answers nothing
                close();
            });
            sim.WritePic()->trigger();
        } else {
            close();
        }
        while (!closed && sinceClose.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        closeMs = static_cast<double>(sinceClose.elapsed());
        state.SetIterationTime(closeMs / 1000);
        if (!closed) {
            state.SkipWithError("the window never closed");
            return;
        }
    }
    state.counters["close_ms"] = closeMs;
    state.counters["goal_ms"] = writing ? 2000 : 300;
}
BENCHMARK(BM_Close)
    ->ArgName("writing_on_a_silent_programmer")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Four programmers driven from the production window, the window's own
// programmer beside them: cards fed to each slot and programmed at 115200
// baud with wire time, while a 10 ms timer counts how long the event loop
// went without running.
void BM_WindowWithFourSlotsRunning(benchmark::State& state) {
    constexpr int kSlots = 4;
    constexpr int kCards = 24; // over all slots
    TWindowOnSim sim;
    std::vector<std::unique_ptr<korvex::sim::TSimDevice>> devices;
    std::vector<std::string> names;
    for (int slot = 0; slot < kSlots; ++slot) {
        devices.push_back(std::make_unique<korvex::sim::TSimDevice>(
            korvex::sim::TSimCard(korvex::sim::SimCardModelForCardType(sim.folder, sim.card))));
        devices.back()->SetListeningBaud(115200);
        korvex::sim::TSimFeedPlan feed;
        feed.cards = kCards;
        devices.back()->SetFeed(feed, korvex::TSteadyClock::Instance());
        names.push_back("slot" + std::to_string(slot + 1));
    }
    double longestGapMs = 0;
    double perHour = 0;
    double cpuPerCard = 0;
    sim.device.SetListeningBaud(115200);
    for (auto _ : state) {
        sim.app.reset();
        korvex::gui::TAppParts gangParts;
        gangParts.settingsFolder = sim.dir / "settings";
        gangParts.prompts = &sim.prompts;
        gangParts.linkPrompts = &sim.linkPrompts;
        gangParts.factory = korvex::sim::SimulatorBackendFactory(
            sim.device, korvex::TSteadyClock::Instance(), true);
        gangParts.gangDevices = [&names] { return names; };
        gangParts.gangOpener = [&](const std::string& device, const std::string&) {
            const std::size_t slot = static_cast<std::size_t>(device.back() - '1');
            return korvex::sim::SimulatorBackendFactory(*devices[slot],
                                                        korvex::TSteadyClock::Instance(), true);
        };
        sim.app = std::make_unique<korvex::gui::TKorvexApp>(
            korvex::TPDataFolders(sim.folder, sim.dir / "user"), gangParts);
        korvex::TStartChoices choices;
        choices.comPort = 1;
        choices.speed = korvex::TBaudRate::br115200;
        choices.cardName = sim.card;
        sim.app->Start(choices);
        sim.app->Window().show();
        sim.app->Work().SetFileField(korvex::TFileRow::frProgram,
                                     (sim.folder / "samples" / "sample84.hex").string());
        sim.app->Work().SetFileField(korvex::TFileRow::frEeprom,
                                     (sim.folder / "samples" / "sample24c16.hex").string());
        sim.app->Window().findChild<QAction*>(QStringLiteral("Production1"))->trigger();
        QWidget* window = sim.app->Window().findChild<QWidget*>(QStringLiteral("frmProduction"));
        QMenu* ports =
            window->findChild<QToolButton*>(QStringLiteral("btnProductionPorts"))->menu();
        emit ports->aboutToShow();
        for (QAction* item : ports->actions()) {
            item->setChecked(true);
        }
        window->findChild<QSpinBox*>(QStringLiteral("spnCount"))->setValue(kCards);
        auto* run = window->findChild<QPushButton*>(QStringLiteral("btnProductionRun"));
        const QString start = run->text();

        TLoopGaps gaps;
        QElapsedTimer wall;
        wall.start();
        gaps.Start();
        const double cpuBefore = CpuSeconds();
        run->click();
        // The run ends on its own after the count: the loop waits for it.
        QEventLoop loop;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (run->text() == start || wall.elapsed() > 120'000) {
                loop.quit();
            }
        });
        look.start(100);
        loop.exec();
        gaps.Stop();
        cpuPerCard = (CpuSeconds() - cpuBefore) * 1000 / kCards;
        const double seconds = static_cast<double>(wall.elapsed()) / 1000;
        state.SetIterationTime(seconds);
        longestGapMs = std::max(longestGapMs, gaps.LongestMs());
        const int good = window->findChild<QLabel*>(QStringLiteral("lblGangGood"))->text().toInt();
        perHour = good * 3600.0 / seconds;
        if (good != kCards) {
            state.SkipWithError("the slots did not program every card");
            return;
        }
    }
    state.counters["longest_gap_ms"] = longestGapMs;
    state.counters["gap_goal_ms"] = 50;
    state.counters["cards_per_hour"] = perHour;
    state.counters["cpu_ms_per_card"] = cpuPerCard; // every thread's
}
BENCHMARK(BM_WindowWithFourSlotsRunning)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
