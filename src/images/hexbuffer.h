#pragma once

#include "images/hexfile.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// One memory image held as hex text, two characters per byte, with a fixed
// capacity in characters. Loads raise EInOutError for a file that cannot be
// read and EImageFileError for one that is malformed or too big; the buffer
// then keeps what was placed before the fault.
class THexFileBuffer {
public:
    explicit THexFileBuffer(std::size_t capacity);

    std::size_t Capacity() const { return text_.size(); }

    // Four hexadecimal digits, laid over the text by the next Clear.
    void SetFillPattern(std::string_view pattern);
    void Clear();

    // Clear, then the file's data records from `base` up to `upperLimit`
    // (-1: no limit). True once the file has been read.
    bool LoadHex(const std::filesystem::path& file, std::int64_t base, std::int64_t upperLimit);
    // The same, then SwapWordBytes (also after a failed load, so blank words
    // always read high byte first).
    bool LoadHexSwapped(const std::filesystem::path& file, std::int64_t base,
                        std::int64_t upperLimit);
    // The file's bytes from `firstOffset` to `lastOffset` (negative: to the
    // end) over the text from position 0; the rest keeps what it held.
    bool LoadBinary(const std::filesystem::path& file, std::int64_t firstOffset,
                    std::int64_t lastOffset);

    // The same from a HEX file read once for several images.
    void LoadHex(const THexFile& file, std::int64_t base, std::int64_t upperLimit);
    void LoadHexSwapped(const THexFile& file, std::int64_t base, std::int64_t upperLimit);

    // The same loads from a file's contents already in memory; `name` stands
    // for the file in messages.
    void LoadHexContent(std::string_view content, const std::string& name, std::int64_t base,
                        std::int64_t upperLimit);
    void LoadBinaryContent(std::string_view fileBytes, const std::string& name,
                           std::int64_t firstOffset, std::int64_t lastOffset);

    // Every group of four characters c0 c1 c2 c3 becomes c2 c3 c0 c1.
    void SwapWordBytes();

    // Positions `start` to `end` inclusive (end -1: the highest written); empty
    // when end - start <= 0 or before the first Clear or load.
    std::string GetHexText(std::int64_t start, std::int64_t end) const;
    // The third and fourth character of every group of four of that text.
    std::string GetLowByteText(std::int64_t start, std::int64_t end) const;

    std::int64_t HighestWritten() const { return highest_; }

private:
    // Never a non-hex character: transfers take whatever range they are told.
    std::vector<char> text_;
    std::string pattern_ = "FFFF";
    std::int64_t highest_ = 0;
    bool hasText_ = false;
};

} // namespace korvex
