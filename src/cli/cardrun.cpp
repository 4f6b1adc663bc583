#include "cli/cardrun.h"

#include "cli/commands.h"
#include "cli/watchrun.h"
#include "support/errors.h"
#include "support/filetarget.h"

#include "workflows/entries.h"
#include <iostream>

namespace korvex::cli {

namespace {

TFileRow RowOf(TMemory memory) {
    return memory == TMemory::mPic ? TFileRow::frProgram : TFileRow::frEeprom;
}

// The line a command ends with when it went through and the window would
// have shown nothing.
int Announce(TCardSession& session, TOutcome outcome, int entry) {
    const int code = ExitCodeOf(outcome);
    if (code == kExitOk) {
        session.Prompts().ShowMessage(TMessageKind::mkInformation, entry,
                                      session.Work().Text(entry));
    }
    return code;
}

// A file named on the command line that cannot be written ends the run
// before anything is sent, with the error a failed save gives after it.
bool DestinationsUsable(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        try {
            if (!file.empty()) {
                CheckDestination(file);
            }
        } catch (const EInOutError& error) {
            std::cerr << "korvex-cli: error: " << OneLine(DescribeError(error)) << '\n';
            return false;
        }
    }
    return true;
}

} // namespace

int RunRead(const TPDataFolders& folders, const TGlobalOptions& options,
            const TReadRequest& request) {
    // Before the card is read, not after: a read of minutes for a file that
    // cannot be written is lost.
    if (!DestinationsUsable({request.out, request.dataOut})) {
        return kExitFailed;
    }
    TCardSession session(folders, options, true);
    if (const int code = session.Start(); code != kExitOk) {
        return session.Finish(code);
    }
    const bool avr = session.Work().Snapshot().layout.avrKind;
    if (!request.dataOut.empty() && (request.memory != TMemory::mPic || !avr)) {
        session.Fail("--data-out belongs to \"read pic\" on AVR-kind card types");
        return session.Finish(kExitUsage);
    }
    TReadTargets targets;
    targets.main = request.out;
    if (!request.dataOut.empty()) {
        targets.avrData = request.dataOut;
    }
    session.View().SetReadTargets(targets);
    const TOutcome outcome = session.Work().RunCommand(
        request.memory == TMemory::mPic ? TCardCommand::ccReadPic : TCardCommand::ccReadEeprom);
    int code = ExitCodeOf(outcome);
    if (code == kExitOk && !session.View().Saved()) {
        code = kExitFailed;
    }
    return session.Finish(code);
}

int RunCardAction(const TPDataFolders& folders, const TGlobalOptions& options, TCardAction action,
                  TMemory memory, const std::string& file) {
    TCardSession session(folders, options, true);
    if (const int code = session.Start(); code != kExitOk) {
        return session.Finish(code);
    }
    if (!file.empty() && !session.UseFile(RowOf(memory), file)) {
        return session.Finish(kExitUsage);
    }
    TPMainWorkflows& work = session.Work();
    const bool pic = memory == TMemory::mPic;
    switch (action) {
    case TCardAction::caWrite:
        return session.Finish(ExitCodeOf(
            work.RunCommand(pic ? TCardCommand::ccWritePic : TCardCommand::ccWriteEeprom)));
    case TCardAction::caVerify:
        return session.Finish(ExitCodeOf(
            work.RunCommand(pic ? TCardCommand::ccVerifyPic : TCardCommand::ccVerifyEeprom)));
    case TCardAction::caErase:
        if (!pic) {
            return session.Finish(ExitCodeOf(work.RunCommand(TCardCommand::ccEraseEeprom)));
        }
        break;
    }
    const TOutcome outcome = work.RunCommand(TCardCommand::ccErasePic);
    if (outcome == TOutcome::ocFailed) {
        session.Fail("the programmer did not confirm the erase");
    }
    return session.Finish(Announce(session, outcome, entries::kProcessorErased));
}

int RunAuto(const TPDataFolders& folders, const TGlobalOptions& options,
            const TAutoRequest& request) {
    if (!DestinationsUsable({request.record})) {
        return kExitFailed;
    }
    TCardSession session(folders, options, true);
    if (const int code = session.Start(); code != kExitOk) {
        return session.Finish(code);
    }
    const std::pair<TFileRow, const std::string*> files[] = {
        {TFileRow::frProgram, &request.pic},
        {TFileRow::frEeprom, &request.eeprom},
        {TFileRow::frIntEeprom, &request.intEeprom},
    };
    for (const auto& [row, file] : files) {
        if (!file->empty() && !session.UseFile(row, *file)) {
            return session.Finish(kExitUsage);
        }
    }
    if (request.watch) {
        return session.Finish(RunWatch(session, request));
    }
    return session.Finish(ExitCodeOf(session.Work().RunCommand(TCardCommand::ccAutoProgram)));
}

int RunLock(const TPDataFolders& folders, const TGlobalOptions& options) {
    TCardSession session(folders, options, true);
    if (const int code = session.Start(); code != kExitOk) {
        return session.Finish(code);
    }
    if (!session.Work().Snapshot().layout.avrKind) {
        session.Fail(
            "only AVR-kind cards are locked; a PIC is protected by its fuses (see \"fuses\")");
        return session.Finish(kExitUsage);
    }
    const TOutcome outcome = session.Work().RunCommand(TCardCommand::ccLockCard);
    return session.Finish(Announce(session, outcome, entries::kCardLocked));
}

} // namespace korvex::cli
