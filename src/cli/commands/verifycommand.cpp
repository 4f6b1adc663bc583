#include "cli/commands/commandlist.h"
#include "cli/commands/imagecommand.h"

namespace korvex::cli {

namespace {

// Compares the card with an image; a PIC's configuration word too.
class TVerifyCommand : public TImageCommand {
public:
    TVerifyCommand() : TImageCommand("verify", "Compare the card with an image") {}

private:
    int RunOn(TCardSession& session, const TGlobalOptions& /*options*/) override {
        if (const int code = Prepare(session); code != kExitOk) {
            return code;
        }
        return ExitCodeOf(session.Run(Memory().Processor() ? TCardCommand::ccVerifyPic
                                                           : TCardCommand::ccVerifyEeprom));
    }
};

} // namespace

std::unique_ptr<TCommand> NewVerifyCommand() {
    return std::make_unique<TVerifyCommand>();
}

} // namespace korvex::cli
