#include "cli/commands/commandlist.h"

namespace korvex::cli {

namespace {

// The programmer's firmware version number; nothing on stdout and exit 1
// when it cannot be had.
class TFirmwareCommand : public TSessionCommand {
public:
    TFirmwareCommand() : TSessionCommand(true) {}

    void Declare(CLI::App& app) override {
        Add(app, "firmware", "Print the programmer's firmware version");
    }

private:
    std::string ResultName() const override { return "firmware"; }

    int RunOn(TCardSession& session, const TGlobalOptions& /*options*/) override {
        if (const int code = session.Start(TCardSession::TCardNeed::cnNone); code != kExitOk) {
            return code;
        }
        const auto version = session.Work().FirmwareVersion();
        if (!version) {
            session.Fail("the programmer gave no firmware version number");
            return kExitFailed;
        }
        if (session.Json()) {
            session.Result().Number("version", *version);
        } else {
            session.Out() << *version << '\n';
        }
        return kExitOk;
    }
};

} // namespace

std::unique_ptr<TCommand> NewFirmwareCommand() {
    return std::make_unique<TFirmwareCommand>();
}

} // namespace korvex::cli
