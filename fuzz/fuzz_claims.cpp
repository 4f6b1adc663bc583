// Arbitrary bytes as a serial claims file: the strict reader either reads
// every line or names the first it cannot, and gives one answer whether it
// reads the file whole, in two parts (a long run reads what was added since
// its last claim) or through the claims file itself after its mend.
#include "serials/claims/claimfile.h"
#include "support/errors.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <unistd.h>

namespace {

using namespace korvex;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool Same(const TClaimsReading& a, const TClaimsReading& b) {
    return a.read.highest == b.read.highest && a.read.length == b.read.length &&
           a.read.nextLine == b.read.nextLine && a.unreadable == b.unreadable;
}

const std::filesystem::path& ClaimsPath() {
    // In memory where there is a file system there: the mend's sync is free.
    static const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                                  ? std::filesystem::path("/dev/shm")
                                                  : std::filesystem::temp_directory_path();
    static const std::filesystem::path folder =
        base / ("korvex-fuzz-claims-" + std::to_string(::getpid()));
    static const bool removed = std::atexit([] {
                                    std::error_code error;
                                    std::filesystem::remove_all(folder, error);
                                }) == 0;
    static const std::filesystem::path file = folder / "C" / "Serial1.claims";
    (void)removed;
    return file;
}

// The claims file, mended and read under its lock, holds what the reading
// of its text found.
void CheckThroughFile(std::string_view text, const TClaimsReading& whole) {
    std::filesystem::create_directories(ClaimsPath().parent_path());
    std::ofstream(ClaimsPath(), std::ios::binary | std::ios::trunc)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
    TPClaimFile file(ClaimsPath());
    TClaimsRead read;
    try {
        Check(file.HighestClaim(read) == whole.read.highest && !whole.unreadable);
        Check(read.length == whole.read.length && read.nextLine == whole.read.nextLine);
    } catch (const EInOutError& error) {
        Check(whole.unreadable.has_value() && read.length == 0);
        Check(std::string_view(error.what()).starts_with(UnreadableLineWords(*whole.unreadable)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TClaimsReading whole = ReadClaims(text, "Serial1", {});
    Check(whole.read.length <= text.size() && whole.read.nextLine >= 1);
    if (whole.unreadable) {
        Check(whole.unreadable->number >= 1 && whole.unreadable->number < whole.read.nextLine);
        Check(!DamagedClaimsMessage("Serial1", whole).empty());
    }
    // What a crash leaves at the end changes nothing.
    Check(Same(ReadClaims(std::string(text) + std::string(5, '\0'), "Serial1", {}), whole));

    // In two parts, split at a whole line's end the input chooses.
    const std::size_t lines = whole.read.nextLine - 1;
    const std::size_t split = lines == 0 ? 0 : (size > 0 ? data[0] : 0) % (lines + 1);
    std::size_t at = 0;
    for (std::size_t line = 0; line < split; ++line) {
        at = text.find('\n', at) + 1;
    }
    const TClaimsReading first = ReadClaims(text.substr(0, at), "Serial1", {});
    if (!first.unreadable) {
        const TClaimsReading rest = ReadClaims(text.substr(at), "Serial1", first.read);
        Check(Same(rest, whole));
    } else {
        Check(first.unreadable == whole.unreadable);
    }
    CheckThroughFile(text, whole);
    return 0;
}
