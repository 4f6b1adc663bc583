// Whether a card is ready, through the workflows as every command goes, so a
// card type it is given is checked the same way.
#include "cli/commands/commandlist.h"

namespace korvex::cli {

namespace {

class TStateCommand : public TSessionCommand {
public:
    TStateCommand() : TSessionCommand(true) {}

    void Declare(CLI::App& app) override {
        Add(app, "state",
            "Show whether the programmer answers and a card is ready (exit 0 when ready)");
    }

private:
    std::string ResultName() const override { return "state"; }

    int RunOn(TCardSession& session, const TGlobalOptions& /*options*/) override {
        const int code = session.Start(TCardSession::TCardNeed::cnNone, false);
        // The state as the status panel words it, also when nothing answered;
        // a port never tried has no state to tell.
        if (code == kExitUsage || session.LogRefused()) {
            return code;
        }
        const TPCardState state = session.Work().CardState();
        const std::string caption = session.Work().Status().Caption();
        const bool ready = state == TPCardState::csCardReady;
        if (session.Json()) {
            static constexpr const char* kStates[] = {"not connected", "card not ready",
                                                      "card ready"};
            session.Result()
                .Text("state", kStates[static_cast<int>(state)])
                .Text("state_caption", caption);
        } else {
            session.Out() << caption << '\n';
        }
        return ready ? kExitOk : kExitFailed;
    }
};

} // namespace

std::unique_ptr<TCommand> NewStateCommand() {
    return std::make_unique<TStateCommand>();
}

} // namespace korvex::cli
