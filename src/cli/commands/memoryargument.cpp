#include "cli/commands/memoryargument.h"

namespace korvex::cli {

void TMemoryArgument::Declare(CLI::App& command) {
    command
        .add_option("MEMORY", typed_,
                    "pic or flash (the processor) or eeprom (the external EEPROM)")
        ->required()
        ->check(CLI::IsMember({"pic", "flash", "eeprom"}));
}

int Announce(TCardSession& session, TOutcome outcome, int entry) {
    const int code = ExitCodeOf(outcome);
    if (code == kExitOk) {
        session.Prompts().ShowMessage(TMessageKind::mkInformation, entry,
                                      session.Work().Text(entry));
    }
    return code;
}

} // namespace korvex::cli
