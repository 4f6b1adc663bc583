#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The memory a serial field lies in. Addresses count bytes as an image file
// does: program memory bytes are the low then the high byte of each word.
enum class TSerialMemory { smEeprom, smIntEeprom, smProgram };

// How a value becomes the field's bytes.
enum class TSerialFormat {
    sfBinaryBigEndian,    // the number, most significant byte first
    sfBinaryLittleEndian, // the number, least significant byte first
    sfBcd,                // two decimal digits a byte, most significant first
    sfAsciiDecimal,       // decimal digits with leading zeros, one character a byte
    sfAsciiHex,           // upper-case hexadecimal digits with leading zeros
};

enum class TSerialSource { ssCounter, ssList };

// A place of the card that gets a value of its own on every card: a serial
// number, an ID, a key. Kept in a [SerialN] section of the card type's file.
struct TSerialField {
    std::string name; // the section's name, "Serial1": what claims are kept under
    TSerialMemory memory = TSerialMemory::smEeprom;
    std::uint32_t address = 0;
    std::uint32_t length = 4;
    TSerialFormat format = TSerialFormat::sfBinaryBigEndian;
    TSerialSource source = TSerialSource::ssCounter;
    // A counter hands out first, first + step, ... up to last.
    std::uint64_t first = 1;
    std::uint64_t step = 1;
    std::uint64_t last = 0xFFFFFFFF;
    // A list hands out the lines of this file in order; relative to the card
    // type file's folder unless absolute.
    std::filesystem::path list;

    bool operator==(const TSerialField&) const = default;
};

// The names the card type file uses: "eeprom", "int-eeprom", "program";
// "binary-be", "binary-le", "bcd", "ascii-dec", "ascii-hex".
std::string_view SerialMemoryName(TSerialMemory memory);
std::string_view SerialFormatName(TSerialFormat format);
std::optional<TSerialMemory> SerialMemoryFromName(std::string_view name);
std::optional<TSerialFormat> SerialFormatFromName(std::string_view name);

// The largest number the field's bytes can hold in its format; binary fields
// of eight bytes or more hold any 64-bit number.
std::uint64_t LargestSerialNumber(TSerialFormat format, std::uint32_t length);

// What is wrong with the field, or empty: a length of 0, a counter whose
// step is 0, whose first value lies above its last or whose last value does
// not fit the field, a field that runs past the 32-bit address range, a list
// without a file.
std::string SerialFieldProblem(const TSerialField& field);

} // namespace korvex
