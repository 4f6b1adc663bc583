#include "cli/commands/commandlist.h"

namespace korvex::cli {

std::vector<std::unique_ptr<TCommand>> AllCommands() {
    std::vector<std::unique_ptr<TCommand>> commands;
    for (auto* make :
         {NewStateCommand, NewFirmwareCommand, NewCardsCommand, NewViewCommand, NewReadCommand,
          NewWriteCommand, NewVerifyCommand, NewEraseCommand, NewAutoCommand, NewLockCommand,
          NewOptionsCommand, NewFusesCommand, NewCardTypeCommand, NewRecordsCommand}) {
        commands.push_back(make());
    }
    return commands;
}

} // namespace korvex::cli
