#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvex {

// The bytes of a file a binary load takes.
struct TByteSpan {
    std::uint64_t offset = 0;
    std::uint64_t count = 0;
};

// From `first` (a negative one counts as 0) up to and including `last`, or to
// the end of the file when `last` is negative or lies beyond it.
TByteSpan SelectBinaryRange(std::uint64_t fileSize, std::int64_t first, std::int64_t last);

// Throws EImageFileError naming the file, its size and the image's when the
// span's bytes need more than `capacity` characters: a cut image would go to
// the card without a word said.
void CheckBinaryFits(const std::string& name, std::uint64_t fileSize, const TByteSpan& span,
                     std::size_t capacity);

// Writes the bytes as upper-case hex text from position 0 and returns the last
// position written, 0 when there were no bytes.
std::int64_t PlaceBinaryBytes(std::string_view bytes, std::span<char> image);

} // namespace korvex
