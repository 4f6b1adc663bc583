#pragma once

#include "cli/commands/command.h"

#include <memory>
#include <vector>

namespace korvex::cli {

// Each command of the tool, made afresh.
std::unique_ptr<TCommand> NewStateCommand();
std::unique_ptr<TCommand> NewFirmwareCommand();
std::unique_ptr<TCommand> NewCardsCommand();
std::unique_ptr<TCommand> NewViewCommand();
std::unique_ptr<TCommand> NewReadCommand();
std::unique_ptr<TCommand> NewWriteCommand();
std::unique_ptr<TCommand> NewVerifyCommand();
std::unique_ptr<TCommand> NewEraseCommand();
std::unique_ptr<TCommand> NewAutoCommand();
std::unique_ptr<TCommand> NewLockCommand();
std::unique_ptr<TCommand> NewOptionsCommand();
std::unique_ptr<TCommand> NewFusesCommand();
std::unique_ptr<TCommand> NewCardTypeCommand();
std::unique_ptr<TCommand> NewRecordsCommand();

// Every command of the tool, in the order its help lists them.
std::vector<std::unique_ptr<TCommand>> AllCommands();

} // namespace korvex::cli
