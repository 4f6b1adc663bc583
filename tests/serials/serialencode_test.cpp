#include "serials/serialencode.h"
#include "serials/serialerrors.h"
#include "support/textconv.h"

#include <gtest/gtest.h>

namespace korvex {

namespace {

TSerialField Field(TSerialFormat format, std::uint32_t length) {
    TSerialField field;
    field.name = "Serial1";
    field.format = format;
    field.length = length;
    return field;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += HexUpper(byte, 2);
    }
    return text;
}

// The bytes, or the message's start of "does not fit" and the like.
template <typename Value>
std::string Encoded(const TSerialField& field, const Value& value) {
    try {
        if constexpr (std::is_integral_v<Value>) {
            return Hex(EncodeSerialNumber(field, value));
        } else {
            return Hex(EncodeSerialText(field, value));
        }
    } catch (const ESerialValue& error) {
        return std::string("error: ") + error.what();
    }
}

// Bytes exactly; a message by its start.
bool Matches(const std::string& got, const std::string& expected) {
    return expected.starts_with("error") ? got.starts_with(expected) : got == expected;
}

using F = TSerialFormat;

} // namespace

TEST(SerialEncode, CounterNumbersInEveryFormatAndThoseThatDoNotFit) {
    const struct {
        F format;
        std::uint32_t length;
        std::uint64_t number;
        std::string bytes;
    } cases[] = {
        {F::sfBinaryBigEndian, 4, 0x12345, "00012345"},
        {F::sfBinaryLittleEndian, 4, 0x12345, "45230100"},
        {F::sfBinaryBigEndian, 10, 0xFFFFFFFFFFFFFFFF, "0000FFFFFFFFFFFFFFFF"},
        {F::sfBinaryLittleEndian, 1, 255, "FF"},
        {F::sfBcd, 3, 12345, "012345"},
        {F::sfAsciiDecimal, 6, 1234, "303031323334"},
        {F::sfAsciiHex, 4, 0xAB, "30304142"},
        {F::sfBinaryBigEndian, 2, 0x10000,
         "error: Serial field Serial1: 65536 does not fit 2 "
         "byte(s) of binary-be (at most 65535)"},
        {F::sfBcd, 1, 100, "error: Serial field Serial1: 100 does not fit"},
        {F::sfAsciiDecimal, 3, 1000, "error: Serial field Serial1: 1000 does not fit"},
        {F::sfAsciiHex, 2, 0x100, "error: Serial field Serial1: 256 does not fit"},
    };
    for (const auto& c : cases) {
        const std::string got = Encoded(Field(c.format, c.length), c.number);
        EXPECT_PRED2(Matches, got, c.bytes) << SerialFormatName(c.format) << " " << c.number;
    }
}

TEST(SerialEncode, ListLinesInEveryFormatAndThoseNotWrittenForIt) {
    const struct {
        F format;
        std::uint32_t length;
        std::string line;
        std::string bytes;
    } cases[] = {
        {F::sfBinaryBigEndian, 3, "0a0B0c", "0A0B0C"},
        {F::sfBinaryLittleEndian, 3, "0A0B0C", "0C0B0A"},
        {F::sfBcd, 3, "4711", "004711"},
        {F::sfAsciiDecimal, 4, "42", "30303432"},
        {F::sfAsciiHex, 3, "aF", "306146"},
        {F::sfBinaryBigEndian, 3, "0A0B",
         "error: Serial field Serial1: \"0A0B\" has 4 digits, "
         "3 byte(s) of binary-be needs exactly 6"},
        {F::sfBcd, 1, "123", "error: Serial field Serial1: \"123\" has 3 digits, more than"},
        {F::sfBcd, 2, "12A", "error: Serial field Serial1: \"12A\" is not decimal digits"},
        {F::sfAsciiHex, 2, "G1", "error: Serial field Serial1: \"G1\" is not hexadecimal"},
        {F::sfAsciiDecimal, 2, "", "error: Serial field Serial1: \"\" is not decimal"},
    };
    for (const auto& c : cases) {
        const std::string got = Encoded(Field(c.format, c.length), c.line);
        EXPECT_PRED2(Matches, got, c.bytes) << SerialFormatName(c.format) << " " << c.line;
    }
}

} // namespace korvex
