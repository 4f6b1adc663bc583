// Any input, read as a HEX file with the windows the program uses and as a
// binary file, must end in the image or in one of our own errors, and must
// leave nothing but hexadecimal digits in the image.
#include "images/hexbuffer.h"
#include "support/errors.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

struct TWindow {
    std::int64_t base;
    std::int64_t limit;
};

constexpr TWindow kWindows[] = {
    {0, -1}, {0x4000, 0x4010}, {0x4200, -1}, {0, 2 * 1024 - 1}, {0x10000, -1},
};

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void CheckImage(const korvex::THexFileBuffer& buffer) {
    const auto capacity = static_cast<std::int64_t>(buffer.Capacity());
    if (buffer.HighestWritten() < 0 || buffer.HighestWritten() >= capacity) {
        __builtin_trap();
    }
    for (char c : buffer.GetHexText(0, capacity - 1)) {
        if (!IsHexDigit(c)) {
            __builtin_trap();
        }
    }
    if (buffer.GetHexText(0, -1).size() > buffer.Capacity() ||
        buffer.GetLowByteText(0, -1).size() > buffer.Capacity() / 2 + 1) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static korvex::THexFileBuffer buffer(4096);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    buffer.SetFillPattern("FF3F");
    for (const TWindow& window : kWindows) {
        try {
            buffer.LoadHexContent(input, "fuzz.hex", window.base, window.limit);
        } catch (const korvex::EKorvex&) {
        }
        buffer.SwapWordBytes();
        CheckImage(buffer);
    }
    // The first bytes double as offsets so the range rules get their share.
    const std::int64_t first = size > 0 ? static_cast<std::int8_t>(data[0]) : 0;
    const std::int64_t last = size > 1 ? static_cast<std::int8_t>(data[1]) * 64 : -1;
    for (const auto& [from, to] : {std::pair{std::int64_t{0}, std::int64_t{-1}}, {first, last}}) {
        try {
            buffer.LoadBinaryContent(input, "fuzz.bin", from, to);
        } catch (const korvex::EKorvex&) {
        }
        CheckImage(buffer);
    }
    return 0;
}
