// A program image as big as the program buffer holds (256 KiB), loaded from
// HEX and from binary and read out again; srec_cat converting the same HEX
// file gives a yardstick for the HEX load.
#include "images/hexbuffer.h"
#include "images/hexreader.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace {

constexpr std::size_t kImageBytes = 256 * 1024;
constexpr std::size_t kProgramCapacity = 524288;

class TImageFiles {
public:
    TImageFiles() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korvex-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        folder_ = pattern;

        std::mt19937 random(2024);
        std::string bytes(kImageBytes, '\0');
        std::string hex;
        static constexpr char kDigits[] = "0123456789ABCDEF";
        for (char& byte : bytes) {
            byte = static_cast<char>(random() & 0xFF);
            hex += kDigits[static_cast<unsigned char>(byte) >> 4];
            hex += kDigits[static_cast<unsigned char>(byte) & 0x0F];
        }
        std::ofstream(Binary(), std::ios::binary) << bytes;
        korvex::TPHexReader writer;
        writer.SetArea(2, hex);
        writer.SaveToFile(Hex(), 3, nullptr);
    }
    ~TImageFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::filesystem::path Hex() const { return folder_ / "image.hex"; }
    std::filesystem::path Binary() const { return folder_ / "image.bin"; }
    std::filesystem::path Converted() const { return folder_ / "converted.bin"; }

private:
    std::filesystem::path folder_;
};

const TImageFiles& Files() {
    static const TImageFiles files;
    return files;
}

void BM_LoadHexSwapped(benchmark::State& state) {
    korvex::THexFileBuffer buffer(kProgramCapacity);
    buffer.SetFillPattern("FF3F");
    for (auto _ : state) {
        buffer.LoadHexSwapped(Files().Hex(), 0, -1);
        benchmark::DoNotOptimize(buffer.GetHexText(0, -1));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageBytes));
}
BENCHMARK(BM_LoadHexSwapped)->Unit(benchmark::kMillisecond);

void BM_LoadBinary(benchmark::State& state) {
    korvex::THexFileBuffer buffer(kProgramCapacity);
    for (auto _ : state) {
        buffer.LoadBinary(Files().Binary(), 0, -1);
        benchmark::DoNotOptimize(buffer.GetHexText(0, -1));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageBytes));
}
BENCHMARK(BM_LoadBinary)->Unit(benchmark::kMillisecond);

void BM_SrecCatHexToBinary(benchmark::State& state) {
    if (std::string(KORVEX_SREC_CAT).empty()) {
        state.SkipWithError("srec_cat was not found when the benchmarks were configured");
        return;
    }
    const std::string command = std::string("'") + KORVEX_SREC_CAT + "' '" +
                                Files().Hex().string() + "' -intel -o '" +
                                Files().Converted().string() + "' -binary";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("srec_cat failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageBytes));
}
BENCHMARK(BM_SrecCatHexToBinary)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
