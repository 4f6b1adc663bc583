#pragma once

// What the line benchmarks share: a clock and a line that count what the
// driver does with them, and the report of a measured stretch against the
// line's physical floor (every byte that crossed it at ten bits per byte,
// plus the pauses the protocol mandates).
#include "link/clock.h"
#include "link/portmap.h"
#include "link/serialbackend.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace korvex::bench {

constexpr int kBitsPerByte = 10; // start bit, eight data bits, stop bit

// Forwards to the steady clock and adds up every pause the driver asks for:
// those are part of the floor, not overhead.
class TCountingClock final : public TClock {
public:
    std::int64_t NowMs() override { return TSteadyClock::Instance().NowMs(); }
    void SleepMs(int ms) override {
        if (ms > 0) {
            pausedMs_ += ms;
            ++pauses_;
        }
        TSteadyClock::Instance().SleepMs(ms);
    }
    std::int64_t PausedMs() const { return pausedMs_; }
    // Each pause ends a little late, however precise the timers.
    std::int64_t Pauses() const { return pauses_; }

private:
    std::int64_t pausedMs_ = 0;
    std::int64_t pauses_ = 0;
};

// A frame the host wrote, and when, on the steady clock.
struct TSentFrame {
    std::int64_t timeMs = 0;
    char command = '\0';
};

// Bytes that crossed the line in each direction. Bytes thrown away by a purge
// crossed it too, so they count as received.
struct TLineCount {
    std::int64_t frames = 0; // the driver writes each frame in one go
    std::int64_t written = 0;
    std::int64_t received = 0;
    // What the program memory reads ('E' frames and their answers) took of
    // it: a verify that read the program memory twice would add as much.
    std::int64_t programReads = 0;
    // Each frame with its time, when a bench wants to know when they went.
    std::vector<TSentFrame>* sent = nullptr;
};

class TCountingBackend final : public TSerialBackend {
public:
    TCountingBackend(std::unique_ptr<TSerialBackend> line, TLineCount& count)
        : line_(std::move(line)), count_(count) {}

    TOpenResult Open(const TLineSettings& settings) override { return line_->Open(settings); }
    void Close() override { line_->Close(); }
    bool IsOpen() const override { return line_->IsOpen(); }
    std::size_t Write(std::string_view bytes) override {
        if (count_.sent != nullptr) {
            count_.sent->push_back(
                {TSteadyClock::Instance().NowMs(), bytes.size() > 1 ? bytes[1] : '\0'});
        }
        const std::size_t written = line_->Write(bytes);
        ++count_.frames;
        count_.written += static_cast<std::int64_t>(written);
        programRead_ = bytes.size() > 1 && bytes[1] == 'E';
        Count(static_cast<std::int64_t>(written), false);
        return written;
    }
    int BytesWaiting() override { return line_->BytesWaiting(); }
    std::size_t Read(char* buffer, std::size_t max) override {
        const std::size_t got = line_->Read(buffer, max);
        Count(static_cast<std::int64_t>(got), true);
        return got;
    }
    void PurgeInput() override {
        Count(std::max(line_->BytesWaiting(), 0), true);
        line_->PurgeInput();
    }
    void PurgeOutput() override { line_->PurgeOutput(); }
    bool WaitForInput(int timeoutMs) override { return line_->WaitForInput(timeoutMs); }

private:
    void Count(std::int64_t bytes, bool received) {
        if (received) {
            count_.received += bytes;
        }
        if (programRead_) {
            count_.programReads += bytes;
        }
    }

    std::unique_ptr<TSerialBackend> line_;
    TLineCount& count_;
    bool programRead_ = false; // the last frame written asked for program memory
};

// COM1 on the device at `path`, every byte on it counted into `count`.
inline TBackendFactory CountingFactory(const std::string& path, TLineCount& count) {
    TPortMap map;
    map.Override(1, path);
    auto open = MakePortFactory(map);
    return [open, &count](std::string_view name) -> std::unique_ptr<TSerialBackend> {
        return std::make_unique<TCountingBackend>(open(name), count);
    };
}

inline std::int64_t Microseconds(const timeval& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000 + t.tv_usec;
}

// User and system time together.
inline std::int64_t CpuUs(const rusage& usage) {
    return Microseconds(usage.ru_utime) + Microseconds(usage.ru_stime);
}

inline std::int64_t CpuUs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return CpuUs(usage);
}

// A measured stretch: its wall and CPU time, and what crossed the line.
struct TLineFigures {
    int baud = 0;
    std::int64_t wallUs = 0;
    std::int64_t cpuUs = 0;
    std::int64_t bytes = 0;
    std::int64_t pausedMs = 0;
    std::int64_t frames = 0;
    std::int64_t programReads = 0; // bytes of the program memory reads

    double FloorMs() const { return WireMs(bytes) + static_cast<double>(pausedMs); }
    // The line time of `count` bytes at the figures' speed.
    double WireMs(std::int64_t count) const {
        return static_cast<double>(count) * kBitsPerByte * 1000.0 / baud;
    }
};

inline void ReportFigures(benchmark::State& state, const TLineFigures& figures) {
    const double wallMs = static_cast<double>(figures.wallUs) / 1000.0;
    const double floorMs = figures.FloorMs();
    state.SetIterationTime(wallMs / 1000.0);
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio"] = floorMs > 0 ? wallMs / floorMs : 0.0;
    state.counters["cpu_pct"] =
        figures.wallUs > 0 ? 100.0 * static_cast<double>(figures.cpuUs) / figures.wallUs : 0;
    state.counters["bytes"] = static_cast<double>(figures.bytes);
    // The verify reads the program memory once: reading it twice, as it
    // once did, would have added this much to the floor.
    state.counters["verify_saved_ms"] = figures.WireMs(figures.programReads);
    state.counters["pause_ms"] = static_cast<double>(figures.pausedMs);
    // What each exchange costs above the floor: the figure to hold against
    // the bare round trip of the pseudo-terminal and simulator.
    state.counters["frames"] = static_cast<double>(figures.frames);
    state.counters["over_us"] =
        figures.frames > 0 ? (wallMs - floorMs) * 1000.0 / figures.frames : 0.0;
}

// The benchmark program's main: timers as korvex-cli sets them, so the code
// is measured as it runs there.
// One run per line speed: each takes seconds, far above any timer noise,
// and a whole set stays within a minute or so.
inline void Speeds(benchmark::internal::Benchmark* bench) {
    bench->ArgName("baud")->Arg(19200)->Arg(115200);
    bench->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

inline int RunBenchmarks(int argc, char** argv) {
    UsePreciseTimers();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace korvex::bench
