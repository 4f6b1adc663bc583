#include "cli/commands/commandlist.h"
#include "cli/commands/memoryargument.h"
#include "workflows/entries.h"

namespace korvex::cli {

namespace {

// Locks an AVR-kind card; a PIC is protected by its fuses.
class TLockCommand : public TSessionCommand {
public:
    TLockCommand() : TSessionCommand(true) {}

    void Declare(CLI::App& app) override { Add(app, "lock", "Lock an AVR-kind card"); }

private:
    std::string ResultName() const override { return "lock"; }

    int RunOn(TCardSession& session, const TGlobalOptions& /*options*/) override {
        if (const int code = session.Start(); code != kExitOk) {
            return code;
        }
        if (!session.Work().AvrKind()) {
            session.Fail(
                "only AVR-kind cards are locked; a PIC is protected by its fuses (see \"fuses\")");
            return kExitUsage;
        }
        return Announce(session, session.Run(TCardCommand::ccLockCard), entries::kCardLocked);
    }
};

} // namespace

std::unique_ptr<TCommand> NewLockCommand() {
    return std::make_unique<TLockCommand>();
}

} // namespace korvex::cli
