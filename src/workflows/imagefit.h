#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace korvex {

// Guards against an image being cut without a word: a file whose data lie
// beyond the memory they are meant for is refused with EImageFileError naming
// the highest address and the memory's size.

// Program data of a HEX file between the end of a program memory of
// `programBytes` bytes and `regionStart`, where a file's other regions begin
// (configuration and EEPROM of a PIC file, the AVR EEPROM section).
void CheckHexProgramFits(const std::filesystem::path& file, std::int64_t programBytes,
                         std::int64_t regionStart, const std::string& memory);

// A binary file longer than the memory.
void CheckBinaryProgramFits(const std::filesystem::path& file, std::int64_t memoryBytes,
                            const std::string& memory);

// The data EEPROM part of a PIC program file (one byte per word from 0x4200)
// reaching beyond the processor's data EEPROM of `eepromBytes`.
void CheckPicEepromFits(const std::filesystem::path& file, std::int64_t highestChar,
                        std::int64_t eepromBytes);

// An image already loaded whose highest written character lies beyond the memory.
void CheckLoadedFits(const std::filesystem::path& file, std::int64_t highestChar,
                     std::int64_t memoryBytes, const std::string& memory);

} // namespace korvex
