#pragma once

#include "catalogue/serialfield.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace korvex {

class TPIniFile;

// The serial fields of a card type file: one section per field, named
// "Serial" and a number, in the order of the file. A file without such
// sections has no serial fields.
//
//   [Serial1]
//   Memory=eeprom          ; eeprom, int-eeprom or program
//   Address=0x0010         ; bytes, decimal or 0x hex
//   Length=4
//   Format=bcd             ; binary-be, binary-le, bcd, ascii-dec, ascii-hex
//   First=1000             ; a counter: First, Step (1), Last (the largest the field holds)
//   Last=99999999
//
//   [Serial2]
//   Memory=eeprom
//   Address=0x0020
//   Length=16
//   Format=binary-be
//   List=keys.txt          ; or a list: one value a line, relative to the card type file
//
// Everything is checked, and two fields may not share a byte; the first
// problem throws ESerialField naming `file` and the section. A relative list
// file comes back resolved against the folder of `file`.
std::vector<TSerialField> ReadSerialFields(const TPIniFile& ini, const std::filesystem::path& file);

// Puts the fields into the file's text, in place of the serial sections it
// had; other sections, keys and comments stay. A list file inside the folder
// of the file the ini will be written to is written relative to it. Throws
// ESerialField for a field ReadSerialFields would refuse.
void WriteSerialFields(TPIniFile& ini, const std::vector<TSerialField>& fields);

// A field written on one line, as the command line takes it:
// "Serial1:memory=eeprom,address=0x10,length=4,format=bcd,first=1000" with
// the keys of a section in any letter case. Checked as a section of `file` is.
TSerialField SerialFieldOfLine(std::string_view line, const std::filesystem::path& file);

// Whether a section name is one of a serial field: "Serial" and digits, any
// letter case.
bool IsSerialSection(std::string_view section);

} // namespace korvex
