#include "catalogue/serialfield.h"

#include "support/textconv.h"

#include <array>
#include <limits>
#include <utility>

namespace korvex {

namespace {

constexpr std::array<std::pair<TSerialMemory, std::string_view>, 3> kMemories = {{
    {TSerialMemory::smEeprom, "eeprom"},
    {TSerialMemory::smIntEeprom, "int-eeprom"},
    {TSerialMemory::smProgram, "program"},
}};

constexpr std::array<std::pair<TSerialFormat, std::string_view>, 5> kFormats = {{
    {TSerialFormat::sfBinaryBigEndian, "binary-be"},
    {TSerialFormat::sfBinaryLittleEndian, "binary-le"},
    {TSerialFormat::sfBcd, "bcd"},
    {TSerialFormat::sfAsciiDecimal, "ascii-dec"},
    {TSerialFormat::sfAsciiHex, "ascii-hex"},
}};

template <typename Enum, std::size_t N>
std::string_view NameOf(const std::array<std::pair<Enum, std::string_view>, N>& names, Enum value) {
    for (const auto& [each, name] : names) {
        if (each == value) {
            return name;
        }
    }
    return "?";
}

// Names as a user types them: any letter case.
template <typename Enum, std::size_t N>
std::optional<Enum> ValueOf(const std::array<std::pair<Enum, std::string_view>, N>& names,
                            std::string_view text) {
    const std::string lower = AsciiLower(text);
    for (const auto& [each, name] : names) {
        if (lower == name) {
            return each;
        }
    }
    return std::nullopt;
}

// base ^ digits, or the largest 64-bit number when that does not fit.
std::uint64_t PowerOrMax(std::uint64_t base, std::uint64_t digits) {
    std::uint64_t power = 1;
    for (std::uint64_t i = 0; i < digits; ++i) {
        if (power > std::numeric_limits<std::uint64_t>::max() / base) {
            return std::numeric_limits<std::uint64_t>::max();
        }
        power *= base;
    }
    return power;
}

} // namespace

std::string_view SerialMemoryName(TSerialMemory memory) {
    return NameOf(kMemories, memory);
}

std::string_view SerialFormatName(TSerialFormat format) {
    return NameOf(kFormats, format);
}

std::optional<TSerialMemory> SerialMemoryFromName(std::string_view name) {
    return ValueOf(kMemories, name);
}

std::optional<TSerialFormat> SerialFormatFromName(std::string_view name) {
    return ValueOf(kFormats, name);
}

std::uint64_t LargestSerialNumber(TSerialFormat format, std::uint32_t length) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t count = 0; // values the field holds, when that is a 64-bit number
    switch (format) {
    case TSerialFormat::sfBinaryBigEndian:
    case TSerialFormat::sfBinaryLittleEndian:
        count = PowerOrMax(256, length);
        break;
    case TSerialFormat::sfBcd:
        count = PowerOrMax(10, 2ULL * length);
        break;
    case TSerialFormat::sfAsciiDecimal:
        count = PowerOrMax(10, length);
        break;
    case TSerialFormat::sfAsciiHex:
        count = PowerOrMax(16, length);
        break;
    }
    return count == kMax ? kMax : count - 1;
}

std::string SerialFieldProblem(const TSerialField& field) {
    if (field.length == 0) {
        return "Length 0: a field holds at least one byte";
    }
    if (std::uint64_t{field.address} + field.length > 0x100000000ULL) {
        return "Address " + std::to_string(field.address) + " and Length " +
               std::to_string(field.length) + " run past the 32-bit address range";
    }
    if (field.source == TSerialSource::ssList) {
        return field.list.empty() ? "List names no file" : "";
    }
    if (field.step == 0) {
        return "Step 0: the counter would hand out its first value again";
    }
    if (field.first > field.last) {
        return "First " + std::to_string(field.first) + " lies above Last " +
               std::to_string(field.last);
    }
    const std::uint64_t largest = LargestSerialNumber(field.format, field.length);
    if (field.last > largest) {
        return "Last " + std::to_string(field.last) + " does not fit " +
               std::to_string(field.length) + " byte(s) of " +
               std::string(SerialFormatName(field.format)) + " (at most " +
               std::to_string(largest) + ")";
    }
    return {};
}

} // namespace korvex
