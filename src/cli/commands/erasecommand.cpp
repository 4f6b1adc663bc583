#include "cli/commands/commandlist.h"
#include "cli/commands/memoryargument.h"
#include "workflows/entries.h"

namespace korvex::cli {

namespace {

// Erases the processor, or fills the external EEPROM with FF.
class TEraseCommand : public TSessionCommand {
public:
    TEraseCommand() : TSessionCommand(true) {}

    void Declare(CLI::App& app) override {
        memory_.Declare(*Add(app, "erase", "Erase the card's processor or EEPROM"));
    }

private:
    std::string ResultName() const override { return "erase " + memory_.Name(); }

    int RunOn(TCardSession& session, const TGlobalOptions& /*options*/) override {
        if (const int code = session.Start(); code != kExitOk) {
            return code;
        }
        if (!memory_.Processor()) {
            return ExitCodeOf(session.Run(TCardCommand::ccEraseEeprom));
        }
        // The workflows said it when the programmer did not confirm the erase.
        return Announce(session, session.Run(TCardCommand::ccErasePic), entries::kProcessorErased);
    }

    TMemoryArgument memory_;
};

} // namespace

std::unique_ptr<TCommand> NewEraseCommand() {
    return std::make_unique<TEraseCommand>();
}

} // namespace korvex::cli
