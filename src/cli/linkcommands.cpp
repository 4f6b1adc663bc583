// The two queries of the line itself: whether a card is ready, and the
// programmer's firmware version. They run through the workflows as every
// command does, so a card type they are given is checked the same way.
#include "cli/cardrun.h"
#include "cli/commands.h"

namespace korvex::cli {

int RunState(const TPDataFolders& folders, const TGlobalOptions& options) {
    TCardSession session(folders, options, true);
    const int code = session.Start(TCardSession::TCardNeed::cnNone, false);
    if (code == kExitUsage) {
        return session.Finish(code);
    }
    // The state as the status panel words it, also when nothing answered.
    const TMainSnapshot shot = session.Work().Snapshot();
    session.Out() << shot.statusCaption << '\n';
    return session.Finish(shot.cardState == TPCardState::csCardReady ? kExitOk : kExitFailed);
}

int RunFirmware(const TPDataFolders& folders, const TGlobalOptions& options) {
    TCardSession session(folders, options, true);
    if (const int code = session.Start(TCardSession::TCardNeed::cnNone); code != kExitOk) {
        return session.Finish(code);
    }
    const auto version = session.Work().FirmwareVersion();
    if (!version) {
        session.Fail("the programmer gave no firmware version number");
        return session.Finish(kExitFailed);
    }
    session.Out() << *version << '\n';
    return session.Finish(kExitOk);
}

} // namespace korvex::cli
