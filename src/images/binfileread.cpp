#include "images/binfileread.h"

#include "support/errors.h"

#include <algorithm>

namespace korvex {

TByteSpan SelectBinaryRange(std::uint64_t fileSize, std::int64_t first, std::int64_t last) {
    const std::uint64_t start = std::min<std::uint64_t>(
        static_cast<std::uint64_t>(std::max<std::int64_t>(first, 0)), fileSize);
    std::uint64_t stop = fileSize; // one past the last byte taken
    if (last >= 0 && static_cast<std::uint64_t>(last) < fileSize) {
        stop = static_cast<std::uint64_t>(last) + 1;
    }
    return TByteSpan{start, stop > start ? stop - start : 0};
}

void CheckBinaryFits(const std::string& name, std::uint64_t fileSize, const TByteSpan& span,
                     std::size_t capacity) {
    if (span.count <= capacity / 2) {
        return;
    }
    std::string what = name + ": the file of " + std::to_string(fileSize) + " bytes";
    if (span.count != fileSize) {
        what += " (" + std::to_string(span.count) + " bytes of it from offset " +
                std::to_string(span.offset) + ")";
    }
    throw EImageFileError(what + " does not fit the image of " + std::to_string(capacity / 2) +
                          " bytes");
}

std::int64_t PlaceBinaryBytes(std::string_view bytes, std::span<char> image) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::size_t count = std::min(bytes.size(), image.size() / 2);
    for (std::size_t i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        image[2 * i] = kDigits[byte >> 4];
        image[2 * i + 1] = kDigits[byte & 0x0F];
    }
    return count == 0 ? 0 : static_cast<std::int64_t>(2 * count - 1);
}

} // namespace korvex
