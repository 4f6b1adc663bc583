#include "cli/commands/commandlist.h"
#include "cli/commands/imagecommand.h"
#include "cli/session/commandfiles.h"

namespace korvex::cli {

namespace {

// Writes an image, then verifies it, as the options say.
class TWriteCommand : public TImageCommand {
public:
    TWriteCommand() : TImageCommand("write", "Write an image to the card") {}

private:
    int RunOn(TCardSession& session, const TGlobalOptions& /*options*/) override {
        if (const int code = Prepare(session); code != kExitOk) {
            return code;
        }
        const bool pic = Memory().Processor();
        // Said only when the write goes ahead.
        if (pic && WritesProcessor(session, false)) {
            session.Work().OnGoingAhead([&session] { session.TellConfigWord(); });
        }
        return ExitCodeOf(
            session.Run(pic ? TCardCommand::ccWritePic : TCardCommand::ccWriteEeprom));
    }
};

} // namespace

std::unique_ptr<TCommand> NewWriteCommand() {
    return std::make_unique<TWriteCommand>();
}

} // namespace korvex::cli
