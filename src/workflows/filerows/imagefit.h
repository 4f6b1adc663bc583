#pragma once

#include "images/hexfile.h"

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
void CheckHexProgramFits(const THexFile& file, std::int64_t programBytes, std::int64_t regionStart,
                         const std::string& memory);

// A binary file longer than the memory.
void CheckBinaryProgramFits(const std::filesystem::path& file, std::int64_t memoryBytes,
                            const std::string& memory);

// The data EEPROM part of a PIC program file (one byte per word from 0x4200)
// reaching beyond the processor's data EEPROM of `eepromBytes`.
// A PIC program file's data between the configuration words and the data
// EEPROM would go nowhere: refused, naming the first address, rather than
// left out of the card unsaid.
void CheckPicGapEmpty(const THexFile& file);

void CheckPicEepromFits(const std::filesystem::path& file, std::int64_t highestChar,
                        std::int64_t eepromBytes);

// A program image (words of four hex digits, high byte first) with a word
// above what the processor's words hold (`wordMask`): such a file was made
// for another processor, and writing it would only fail its verify.
void CheckProgramWords(const std::filesystem::path& file, const std::string& programText,
                       std::uint16_t wordMask);

// An image already loaded whose highest written character lies beyond the memory.
void CheckLoadedFits(const std::filesystem::path& file, std::int64_t highestChar,
                     std::int64_t memoryBytes, const std::string& memory);

} // namespace korvex
