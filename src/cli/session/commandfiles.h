#pragma once

#include "cli/session/cardsession.h"

#include <string>

namespace korvex::cli {

// --int-eeprom names an AVR's internal EEPROM file; a PIC's comes with its
// program file. Empty: the card type's stored one, when it can be used.
// False, the reason shown, when the file cannot be used.
bool UseIntEepromFile(TCardSession& session, const std::string& file);

// Whether the options have the processor written by a write
// (`autoProgram` false) or an auto program, so the configuration word it
// will write is worth a line.
bool WritesProcessor(TCardSession& session, bool autoProgram);

} // namespace korvex::cli
