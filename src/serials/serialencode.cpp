#include "serials/serialencode.h"

#include "images/hexconv.h"
#include "serials/serialerrors.h"
#include "support/textconv.h"

#include <algorithm>

namespace korvex {

namespace {

bool IsBinary(TSerialFormat format) {
    return format == TSerialFormat::sfBinaryBigEndian ||
           format == TSerialFormat::sfBinaryLittleEndian;
}

bool IsDecimal(char c) {
    return c >= '0' && c <= '9';
}

// Digits a value of the field is written with: hexadecimal for the binary
// formats and ascii-hex, decimal otherwise.
std::size_t Digits(const TSerialField& field) {
    switch (field.format) {
    case TSerialFormat::sfBinaryBigEndian:
    case TSerialFormat::sfBinaryLittleEndian:
    case TSerialFormat::sfBcd:
        return 2 * std::size_t{field.length};
    case TSerialFormat::sfAsciiDecimal:
    case TSerialFormat::sfAsciiHex:
        break;
    }
    return field.length;
}

// Packs a digit text of Digits(field) digits into the field's bytes.
std::vector<std::uint8_t> Pack(const TSerialField& field, const std::string& digits) {
    std::vector<std::uint8_t> bytes;
    if (field.format == TSerialFormat::sfAsciiDecimal ||
        field.format == TSerialFormat::sfAsciiHex) {
        bytes.assign(digits.begin(), digits.end());
        return bytes;
    }
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(TPHexConv::HexToInt(digits.substr(i, 2))));
    }
    if (field.format == TSerialFormat::sfBinaryLittleEndian) {
        std::reverse(bytes.begin(), bytes.end());
    }
    return bytes;
}

std::string Padded(std::string_view digits, std::size_t width) {
    return std::string(width - std::min(width, digits.size()), '0') + std::string(digits);
}

std::string Quoted(std::string_view line) {
    return "\"" + std::string(line) + "\"";
}

} // namespace

std::vector<std::uint8_t> EncodeSerialNumber(const TSerialField& field, std::uint64_t number) {
    const std::uint64_t largest = LargestSerialNumber(field.format, field.length);
    if (number > largest) {
        throw ESerialValue("Serial field " + field.name + ": " + std::to_string(number) +
                           " does not fit " + std::to_string(field.length) + " byte(s) of " +
                           std::string(SerialFormatName(field.format)) + " (at most " +
                           std::to_string(largest) + ")");
    }
    const bool hex = IsBinary(field.format) || field.format == TSerialFormat::sfAsciiHex;
    const std::string digits = hex ? HexUpper(number, 1) : std::to_string(number);
    return Pack(field, Padded(digits, Digits(field)));
}

std::string SerialTextProblem(const TSerialField& field, std::string_view line) {
    const std::size_t digits = Digits(field);
    const std::string format(SerialFormatName(field.format));
    const std::string size = std::to_string(field.length) + " byte(s) of " + format;
    const bool hex = IsBinary(field.format) || field.format == TSerialFormat::sfAsciiHex;
    const bool valid =
        hex ? TPHexConv::IsHexText(line) : std::all_of(line.begin(), line.end(), IsDecimal);
    const std::string kind = hex ? "hexadecimal" : "decimal";
    if (line.empty() || !valid) {
        return Quoted(line) + " is not " + kind + " digits, as " + size + " needs";
    }
    if (IsBinary(field.format) && line.size() != digits) {
        return Quoted(line) + " has " + std::to_string(line.size()) + " digits, " + size +
               " needs exactly " + std::to_string(digits);
    }
    if (line.size() > digits) {
        return Quoted(line) + " has " + std::to_string(line.size()) + " digits, more than " + size +
               " holds (" + std::to_string(digits) + ")";
    }
    return {};
}

std::vector<std::uint8_t> EncodeSerialText(const TSerialField& field, std::string_view line) {
    if (const std::string problem = SerialTextProblem(field, line); !problem.empty()) {
        throw ESerialValue("Serial field " + field.name + ": " + problem);
    }
    return Pack(field, Padded(line, Digits(field)));
}

} // namespace korvex
