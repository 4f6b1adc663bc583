#include "images/hexbuffer.h"

#include "images/binfileread.h"
#include "images/hexconv.h"
#include "images/hexfileread.h"
#include "support/readfile.h"
#include "support/textconv.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace korvex {

namespace {

constexpr char kFillCharacter = 'F';

} // namespace

THexFileBuffer::THexFileBuffer(std::size_t capacity) : text_(capacity, kFillCharacter) {}

void THexFileBuffer::SetFillPattern(std::string_view pattern) {
    if (pattern.size() != 4 || !TPHexConv::IsHexText(pattern)) {
        throw std::invalid_argument("fill pattern must be four hexadecimal digits");
    }
    pattern_ = AsciiUpper(pattern);
}

void THexFileBuffer::Clear() {
    const std::size_t whole = text_.size() / 4 * 4;
    for (std::size_t pos = 0; pos < whole; pos += 4) {
        std::copy(pattern_.begin(), pattern_.end(),
                  text_.begin() + static_cast<std::ptrdiff_t>(pos));
    }
    std::fill(text_.begin() + static_cast<std::ptrdiff_t>(whole), text_.end(), kFillCharacter);
    highest_ = 0;
    hasText_ = true;
}

void THexFileBuffer::LoadHex(const THexFile& file, std::int64_t base, std::int64_t upperLimit) {
    Clear();
    PlaceHexRecords(file, base, upperLimit, text_, highest_);
}

void THexFileBuffer::LoadHexSwapped(const THexFile& file, std::int64_t base,
                                    std::int64_t upperLimit) {
    try {
        LoadHex(file, base, upperLimit);
    } catch (...) {
        SwapWordBytes();
        throw;
    }
    SwapWordBytes();
}

bool THexFileBuffer::LoadHex(const std::filesystem::path& file, std::int64_t base,
                             std::int64_t upperLimit) {
    Clear();
    PlaceHexRecords(THexFile::Read(file), base, upperLimit, text_, highest_);
    return true;
}

bool THexFileBuffer::LoadHexSwapped(const std::filesystem::path& file, std::int64_t base,
                                    std::int64_t upperLimit) {
    try {
        LoadHex(file, base, upperLimit);
    } catch (...) {
        SwapWordBytes();
        throw;
    }
    SwapWordBytes();
    return true;
}

void THexFileBuffer::LoadHexContent(std::string_view content, const std::string& name,
                                    std::int64_t base, std::int64_t upperLimit) {
    Clear();
    ReadHexRecords(content, name, base, upperLimit, text_, highest_);
}

bool THexFileBuffer::LoadBinary(const std::filesystem::path& file, std::int64_t firstOffset,
                                std::int64_t lastOffset) {
    const TReadOnlyFile input(file);
    const TByteSpan span = SelectBinaryRange(input.Size(), firstOffset, lastOffset);
    CheckBinaryFits(file.string(), input.Size(), span, text_.size());
    highest_ = PlaceBinaryBytes(input.Read(span.offset, span.count), text_);
    hasText_ = true;
    return true;
}

void THexFileBuffer::LoadBinaryContent(std::string_view fileBytes, const std::string& name,
                                       std::int64_t firstOffset, std::int64_t lastOffset) {
    const TByteSpan span = SelectBinaryRange(fileBytes.size(), firstOffset, lastOffset);
    CheckBinaryFits(name, fileBytes.size(), span, text_.size());
    highest_ = PlaceBinaryBytes(fileBytes.substr(span.offset, span.count), text_);
    hasText_ = true;
}

void THexFileBuffer::SwapWordBytes() {
    TPHexConv::SwapWordBytes(text_);
}

std::string THexFileBuffer::GetHexText(std::int64_t start, std::int64_t end) const {
    if (end == -1) {
        end = highest_;
    }
    if (!hasText_ || end <= start) {
        return {};
    }
    const auto size = static_cast<std::int64_t>(text_.size());
    start = std::max<std::int64_t>(start, 0);
    end = std::min(end, size - 1);
    if (start > end) {
        return {};
    }
    return std::string(text_.begin() + start, text_.begin() + end + 1);
}

std::string THexFileBuffer::GetLowByteText(std::int64_t start, std::int64_t end) const {
    const std::string text = GetHexText(start, end);
    std::string low;
    low.reserve(text.size() / 2 + 1);
    for (std::size_t group = 0; group + 2 < text.size(); group += 4) {
        low.append(text, group + 2, std::min<std::size_t>(2, text.size() - group - 2));
    }
    return low;
}

} // namespace korvex
