#pragma once

#include "sim/simcard.h"

#include <filesystem>
#include <string>

namespace korvex::sim {

// The Intel HEX file of one memory of a card. Program memory and a PIC's
// configuration area hold words, low byte first at byte address 2 x word (as
// gpasm and avr-objcopy write them); everything else holds bytes from address 0. An AVR's
// configuration file holds its identification bytes.
std::string SimMemoryHex(const TSimCard& card, TSimMemory memory);

// Saves it atomically.
void SaveSimMemory(const TSimCard& card, TSimMemory memory, const std::filesystem::path& file);

// Puts the file's contents into the memory (TSimCard::Load): what the file
// leaves out is blank. Records of a PIC program file from 0x4000 on (the
// configuration and data EEPROM parts of a merged file) are skipped. Throws
// the file layer's exceptions for a file that cannot be read, is malformed or
// does not fit the memory.
void LoadSimMemory(TSimCard& card, TSimMemory memory, const std::filesystem::path& file);

// Whether the card has the memory at all (a card without an external EEPROM,
// a processor without a data EEPROM): an absent one has no file.
bool SimCardHas(const TSimCard& card, TSimMemory memory);

// program.hex, data.hex, config.hex and eeprom.hex in `folder`, which is
// created when missing; the file of a memory the card does not have is
// removed instead, so a folder reused for another card keeps no stale one.
void SaveSimCard(const TSimCard& card, const std::filesystem::path& folder);

// Whether the file is Intel HEX without a single data record, which is what
// an absent memory was once saved as. A file that cannot be read or holds a
// malformed line is not: loading it says what is wrong.
bool IsHexFileWithoutData(const std::filesystem::path& file);

// The file name SaveSimCard gives a memory.
std::string SimMemoryFileName(TSimMemory memory);

} // namespace korvex::sim
