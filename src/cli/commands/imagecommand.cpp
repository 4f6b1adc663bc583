#include "cli/commands/imagecommand.h"

#include "cli/session/commandfiles.h"

namespace korvex::cli {

TImageCommand::TImageCommand(std::string name, std::string description)
    : TSessionCommand(true), name_(std::move(name)), description_(std::move(description)) {}

void TImageCommand::Declare(CLI::App& app) {
    CLI::App* command = Add(app, name_, description_);
    memory_.Declare(*command);
    command->add_option("FILE", file_, "Image file (default: the card type's stored file)");
    command->add_option("--int-eeprom", intEeprom_, "AVR kinds, with pic: internal EEPROM file");
}

int TImageCommand::Prepare(TCardSession& session) {
    if (const int code = session.Start(); code != kExitOk) {
        return code;
    }
    const bool pic = memory_.Processor();
    if (!intEeprom_.empty() && !pic) {
        session.Fail("--int-eeprom belongs to \"write pic\" and \"verify pic\"");
        return kExitUsage;
    }
    const bool named = file_.empty()
                           ? session.StoredFileUsable(memory_.Row(), pic ? "program" : "eeprom")
                           : session.UseFile(memory_.Row(), file_);
    if (!named || (pic && !UseIntEepromFile(session, intEeprom_))) {
        return kExitUsage;
    }
    return kExitOk;
}

} // namespace korvex::cli
