#include "images/hexrecordline.h"

#include "images/hexconv.h"
#include "support/errors.h"
#include "support/textconv.h"

namespace korvex {

namespace {

// Colon, count, address, type and checksum: what an empty record holds.
constexpr std::size_t kMinimumLength = 11;

std::string Shown(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
        return "'" + std::string(1, c) + "'";
    }
    return "0x" + HexUpper(byte, 2);
}

int ByteAt(std::string_view line, std::size_t pos) {
    return static_cast<int>(TPHexConv::HexToInt(line.substr(pos, 2)));
}

} // namespace

void ThrowHexLineError(const std::string& name, int lineNumber, const std::string& what) {
    throw EImageFileError(name + ":" + std::to_string(lineNumber) + ": " + what);
}

THexRecordLine ParseHexRecordLine(std::string_view line, const std::string& name, int lineNumber) {
    const auto fail = [&](const std::string& what) { ThrowHexLineError(name, lineNumber, what); };
    if (line.empty() || line[0] != ':') {
        fail("line does not start with ':'");
    }
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (!TPHexConv::IsHexDigit(line[i])) {
            fail("character " + std::to_string(i + 1) + " (" + Shown(line[i]) +
                 ") is not a hexadecimal digit");
        }
    }
    if (line.size() < kMinimumLength) {
        fail("record is too short: " + std::to_string(line.size()) +
             " characters, a record has at least " + std::to_string(kMinimumLength));
    }
    THexRecordLine record;
    record.count = ByteAt(line, 1);
    const std::size_t expected = kMinimumLength + 2 * static_cast<std::size_t>(record.count);
    if (line.size() != expected) {
        fail(std::string("record is ") + (line.size() < expected ? "shorter" : "longer") +
             " than its byte count announces: " + std::to_string(line.size()) +
             " characters, expected " + std::to_string(expected));
    }
    int sum = 0;
    for (std::size_t pos = 1; pos + 2 < line.size(); pos += 2) {
        sum += ByteAt(line, pos);
    }
    const int wanted = (0x100 - (sum & 0xFF)) & 0xFF;
    const int found = ByteAt(line, line.size() - 2);
    if (found != wanted) {
        fail("checksum is " + HexUpper(found, 2) + ", expected " + HexUpper(wanted, 2));
    }
    record.address = static_cast<std::uint32_t>(TPHexConv::HexToInt(line.substr(3, 4)));
    record.type = ByteAt(line, 7);
    record.data = line.substr(9, 2 * static_cast<std::size_t>(record.count));
    return record;
}

std::uint32_t HexRecordValue(const THexRecordLine& record) {
    return static_cast<std::uint32_t>(TPHexConv::HexToInt(record.data));
}

} // namespace korvex
