// The two queries of the line itself: whether a card is ready, and the
// programmer's firmware version. They run through the workflows as every
// command does, so a card type they are given is checked the same way.
#include "cli/cardrun.h"
#include "cli/commands.h"

namespace korvex::cli {

int RunState(const TPDataFolders& folders, const TGlobalOptions& options) {
    TCardSession session(folders, options, true);
    session.SetCommand("state");
    const int code = session.Start(TCardSession::TCardNeed::cnNone, false);
    // The state as the status panel words it, also when nothing answered; a
    // port never tried has no state to tell.
    if (code == kExitUsage || session.LogRefused()) {
        return session.Finish(code);
    }
    const TMainSnapshot shot = session.Work().Snapshot();
    const bool ready = shot.cardState == TPCardState::csCardReady;
    if (session.Json()) {
        static constexpr const char* kStates[] = {"not connected", "card not ready", "card ready"};
        session.Result()
            .Text("state", kStates[static_cast<int>(shot.cardState)])
            .Text("state_caption", shot.statusCaption);
    } else {
        session.Out() << shot.statusCaption << '\n';
    }
    return session.Finish(ready ? kExitOk : kExitFailed);
}

int RunFirmware(const TPDataFolders& folders, const TGlobalOptions& options) {
    TCardSession session(folders, options, true);
    session.SetCommand("firmware");
    if (const int code = session.Start(TCardSession::TCardNeed::cnNone); code != kExitOk) {
        return session.Finish(code);
    }
    const auto version = session.Work().FirmwareVersion();
    if (!version) {
        session.Fail("the programmer gave no firmware version number");
        return session.Finish(kExitFailed);
    }
    if (session.Json()) {
        session.Result().Number("version", *version);
    } else {
        session.Out() << *version << '\n';
    }
    return session.Finish(kExitOk);
}

} // namespace korvex::cli
