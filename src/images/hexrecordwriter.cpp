#include "images/hexrecordwriter.h"

#include "images/hexconv.h"
#include "support/textconv.h"

namespace korvex {

namespace {

constexpr int kData = 0x00;
constexpr int kEndOfFile = 0x01;
constexpr int kLinearAddress = 0x04;

} // namespace

void THexRecordWriter::Data(std::uint32_t address, std::string_view hexData) {
    const std::uint32_t upper = address >> 16;
    if (upper != upper_) {
        Record(kLinearAddress, 0, HexUpper(upper, 4));
        upper_ = upper;
    }
    Record(kData, address & 0xFFFF, hexData);
}

std::string THexRecordWriter::Finish() {
    Record(kEndOfFile, 0, {});
    return std::move(text_);
}

void THexRecordWriter::Record(int type, std::uint32_t address, std::string_view hexData) {
    const std::size_t count = hexData.size() / 2;
    unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xFF) +
                   static_cast<unsigned>(type);
    for (std::size_t pos = 0; pos + 1 < hexData.size(); pos += 2) {
        sum += static_cast<unsigned>(TPHexConv::HexToInt(hexData.substr(pos, 2)));
    }
    text_ += ':';
    text_ += HexUpper(count, 2);
    text_ += HexUpper(address, 4);
    text_ += HexUpper(static_cast<std::uint64_t>(type), 2);
    text_ += AsciiUpper(hexData.substr(0, 2 * count));
    text_ += HexUpper((0x100 - (sum & 0xFF)) & 0xFF, 2);
    text_ += "\r\n";
}

} // namespace korvex
