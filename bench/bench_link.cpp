// The driver talking to korvex-sim over a pseudo-terminal, the simulator
// answering only once frame and answer would have crossed a real line. The
// yardstick is the physical floor of each transfer: every byte that crossed
// the line at ten bits per byte, plus the pauses the protocol mandates.
// Whatever comes on top shows as the ratio to that floor: the driver's late
// wake-ups, slow reads or extra exchanges, and the few hundred microseconds
// per exchange the pseudo-terminal and the simulator's timer take on their
// own. The CPU share shows whether the driver waits or spins.
// Every transfer is checked by reading it back, so a fast wrong answer
// cannot pass as a good number.
#include "benchline.h"
#include "common/linkfakes.h"
#include "common/simprocess.h"
#include "link/clock.h"
#include "link/picprog.h"
#include "support/programfolder.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <string>

namespace {

using korvex::TBaudRate;
using korvex::TPPicProg;
using korvex::bench::CpuUs;
using korvex::bench::TCountingClock;
using korvex::bench::TLineCount;

constexpr int kPicKind = 3; // PIC 16F84
constexpr int kProgramWords = 1024;
constexpr int kDataBytes = 64;
constexpr int kEepromKind = 2; // 24C64
constexpr int kEepromBytes = 8192;
constexpr int kDriverDelayMs = 3; // what the program sets after connecting

class TLastProgress final : public korvex::TProgressSink {
public:
    void SetProgress(int percent) override { last = percent; }
    int last = -1;
};

// A fresh simulated programmer with a PIC 16F84 and a 24C64, and the driver
// connected to it the way the program connects.
class TBench {
public:
    explicit TBench(int baud)
        : baud_(baud),
          sim_((korvex::ExecutableFolder() / "korvex-sim").string(),
               {"--data", korvex::ExecutableFolder().string(), "--processor", "PIC 16F84",
                "--eeprom", "24C64", "--baud", std::to_string(baud), "--wire-time"}) {
        const std::string path = sim_.FirstLine();
        if (path.empty()) {
            return;
        }
        prog_.emplace(korvex::bench::CountingFactory(path, count_),
                      korvex::TPicProgSeams{&clock_, nullptr, &prompts_, nullptr});
        prog_->SetComPort(1);
        prog_->Port().SetBaudRate(baud == 115200 ? TBaudRate::br115200 : TBaudRate::br19200);
        if (!prog_->Connect()) {
            prog_.reset();
            return;
        }
        prog_->SetDelay(kDriverDelayMs);
    }
    ~TBench() {
        prog_.reset(); // says goodbye to the programmer while it still listens
        sim_.Stop();
    }
    TBench(const TBench&) = delete;
    TBench& operator=(const TBench&) = delete;

    // Empty when the simulator or the port would not come up.
    std::string SetupError() const {
        if (prog_) {
            return {};
        }
        return "korvex-sim did not start or its terminal would not open";
    }
    TPPicProg& Prog() { return *prog_; }
    std::string Errors() const {
        std::string all;
        for (const std::string& error : prompts_.errors) {
            all += error + "; ";
        }
        return all;
    }
    int Baud() const { return baud_; }
    const TLineCount& Count() const { return count_; }
    std::int64_t PausedMs() const { return clock_.PausedMs(); }

private:
    int baud_;
    TCountingClock clock_;
    TLineCount count_;
    korvex::testing::TRecordedPrompts prompts_;
    korvex::testing::TSimProcess sim_;
    std::optional<TPPicProg> prog_;
};

// Wall time, line bytes, pauses and CPU time of one measured stretch.
class TMeasurement {
public:
    explicit TMeasurement(const TBench& bench)
        : bench_(bench), startUs_(korvex::TSteadyClock::NowUs()), startCpuUs_(CpuUs()),
          startCount_(bench.Count()), startPausedMs_(bench.PausedMs()) {}

    void Stop() {
        wallUs_ = korvex::TSteadyClock::NowUs() - startUs_;
        cpuUs_ = CpuUs() - startCpuUs_;
        bytes_ = bench_.Count().written - startCount_.written + bench_.Count().received -
                 startCount_.received;
        pausedMs_ = bench_.PausedMs() - startPausedMs_;
        frames_ = bench_.Count().frames - startCount_.frames;
    }

    void Report(benchmark::State& state) const {
        korvex::bench::ReportFigures(state,
                                     {bench_.Baud(), wallUs_, cpuUs_, bytes_, pausedMs_, frames_});
    }

private:
    const TBench& bench_;
    std::int64_t startUs_;
    std::int64_t startCpuUs_;
    TLineCount startCount_;
    std::int64_t startPausedMs_;
    std::int64_t wallUs_ = 0;
    std::int64_t cpuUs_ = 0;
    std::int64_t bytes_ = 0;
    std::int64_t pausedMs_ = 0;
    std::int64_t frames_ = 0;
};

std::string HexText(std::size_t bytes, std::uint32_t seed) {
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

// Program words as the driver sends them: four digits, high byte first, none
// above the 14 bits a PIC 16 word holds.
std::string PicProgram(std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string text;
    char word[5];
    for (int i = 0; i < kProgramWords; ++i) {
        std::snprintf(word, sizeof word, "%04X", static_cast<unsigned>(random() & 0x3FFF));
        text += word;
    }
    return text;
}

bool Fails(benchmark::State& state, const std::string& error) {
    if (error.empty()) {
        return false;
    }
    state.SkipWithError(error.c_str());
    return true;
}

std::string ReadBackError(const TBench& bench, const korvex::TPicReadResult& read,
                          const std::string& program, const std::string& data) {
    if (!read.ok || !bench.Errors().empty()) {
        return "the read failed: " + bench.Errors();
    }
    if (read.program != program) {
        return "the program read back differs from the one written";
    }
    if (read.data != data) {
        return "the data EEPROM read back differs from the one written";
    }
    return {};
}

void BM_WritePic(benchmark::State& state) {
    TBench bench(static_cast<int>(state.range(0)));
    if (Fails(state, bench.SetupError())) {
        return;
    }
    const std::string program = PicProgram(1);
    const std::string data = HexText(kDataBytes, 2);
    for (auto _ : state) {
        TLastProgress gauge;
        TMeasurement measurement(bench);
        const bool written = bench.Prog().WritePic(kPicKind, kDataBytes, program, data, &gauge);
        measurement.Stop();
        if (Fails(state,
                  written && gauge.last == 100 ? "" : "the write failed: " + bench.Errors())) {
            break;
        }
        const auto read = bench.Prog().ReadPic(kPicKind, kProgramWords, kDataBytes, nullptr);
        if (Fails(state, ReadBackError(bench, read, program, data))) {
            break;
        }
        measurement.Report(state);
    }
}

void BM_ReadPic(benchmark::State& state) {
    TBench bench(static_cast<int>(state.range(0)));
    if (Fails(state, bench.SetupError())) {
        return;
    }
    const std::string program = PicProgram(3);
    const std::string data = HexText(kDataBytes, 4);
    if (!bench.Prog().WritePic(kPicKind, kDataBytes, program, data, nullptr)) {
        Fails(state, "the image to read could not be written: " + bench.Errors());
        return;
    }
    for (auto _ : state) {
        TLastProgress gauge;
        TMeasurement measurement(bench);
        const auto read = bench.Prog().ReadPic(kPicKind, kProgramWords, kDataBytes, &gauge);
        measurement.Stop();
        if (Fails(state, ReadBackError(bench, read, program, data)) ||
            Fails(state, gauge.last == 100 ? "" : "the gauge did not reach 100")) {
            break;
        }
        measurement.Report(state);
    }
}

void BM_WriteExtEeprom(benchmark::State& state) {
    TBench bench(static_cast<int>(state.range(0)));
    if (Fails(state, bench.SetupError())) {
        return;
    }
    // The programmer serves its external EEPROM only through a loader in the
    // processor; writing one is setup, not part of the measured transfer.
    if (!bench.Prog().WritePic(kPicKind, kDataBytes, PicProgram(5), "", nullptr)) {
        Fails(state, "the loader could not be written: " + bench.Errors());
        return;
    }
    const std::string eeprom = HexText(kEepromBytes, 6);
    for (auto _ : state) {
        bench.Prog().SelectMode(0, kPicKind);
        bench.Prog().SelectMode(1, kEepromKind);
        TLastProgress gauge;
        TMeasurement measurement(bench);
        const bool written = bench.Prog().WriteExtEeprom(eeprom, kEepromKind, &gauge);
        measurement.Stop();
        if (Fails(state,
                  written && gauge.last == 100 ? "" : "the write failed: " + bench.Errors())) {
            break;
        }
        bench.Prog().SelectMode(0, kPicKind);
        bench.Prog().SelectMode(2, kEepromKind);
        const std::string back = bench.Prog().ReadExtEeprom(
            kEepromKind, kEepromBytes, static_cast<int>(eeprom.size()), nullptr);
        if (Fails(state,
                  back == eeprom ? "" : "the EEPROM read back differs from the one written")) {
            break;
        }
        measurement.Report(state);
    }
}

BENCHMARK(BM_WritePic)->Apply(korvex::bench::Speeds);
BENCHMARK(BM_ReadPic)->Apply(korvex::bench::Speeds);
BENCHMARK(BM_WriteExtEeprom)->Apply(korvex::bench::Speeds);

} // namespace

int main(int argc, char** argv) {
    return korvex::bench::RunBenchmarks(argc, argv);
}
