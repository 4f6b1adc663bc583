#pragma once

#include "cli/session/cardsession.h"

#include <CLI/CLI.hpp>
#include <string>

namespace korvex::cli {

// The memory read, write, verify and erase work on, as typed: "pic" or
// "flash" (what the AVR messages call the processor's memory) for the
// processor, "eeprom" for the external EEPROM.
class TMemoryArgument {
public:
    // Declares the MEMORY argument on `command`.
    void Declare(CLI::App& command);
    bool Processor() const { return typed_ != "eeprom"; }
    // "pic" or "eeprom", as the command's result names it.
    std::string Name() const { return Processor() ? "pic" : "eeprom"; }
    // The file row of the memory's image.
    TFileRow Row() const { return Processor() ? TFileRow::frProgram : TFileRow::frEeprom; }

private:
    std::string typed_;
};

// The line a card command ends with when it went through and the window
// would have shown nothing: the text of language entry `entry`.
int Announce(TCardSession& session, TOutcome outcome, int entry);

} // namespace korvex::cli
