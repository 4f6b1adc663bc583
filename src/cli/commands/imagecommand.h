#pragma once

#include "cli/commands/command.h"
#include "cli/commands/memoryargument.h"

#include <string>

namespace korvex::cli {

// Write and verify: the memory, its image (the card type's stored one when
// none is named) and, beside a program file, the internal EEPROM's.
class TImageCommand : public TSessionCommand {
public:
    void Declare(CLI::App& app) override;

protected:
    TImageCommand(std::string name, std::string description);

    std::string ResultName() const override { return name_ + " " + memory_.Name(); }
    // Starts the session and gives it the command's files: kExitOk, or the
    // exit code with the reason shown.
    int Prepare(TCardSession& session);
    const TMemoryArgument& Memory() const { return memory_; }

private:
    std::string name_;
    std::string description_;
    TMemoryArgument memory_;
    std::string file_;
    std::string intEeprom_;
};

} // namespace korvex::cli
