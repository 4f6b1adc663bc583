#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// A processor or EEPROM as the catalogue names it, for a name the user typed.

// The catalogue's own spelling of a name typed in any letter case; empty
// when the catalogue does not list it.
std::string CatalogueSpelling(const std::vector<std::string>& names, std::string_view typed);

// The names a typed name the catalogue does not list most likely meant: the
// same once blanks, dashes and letter case are set aside ("PIC16F84" for
// "PIC 16F84"), or else a letter or two away ("24LC16" for "24C16"): those
// nearest it, at most three.
std::vector<std::string> CloseNames(const std::vector<std::string>& names, std::string_view typed);

} // namespace korvex
