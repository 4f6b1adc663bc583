#include "cli/cardrun.h"

#include "cli/commands.h"

namespace korvex::cli {

namespace {

TFileRow RowOf(TMemory memory) {
    return memory == TMemory::mPic ? TFileRow::frProgram : TFileRow::frEeprom;
}

} // namespace

int RunRead(const TPDataFolders& folders, const TGlobalOptions& options,
            const TReadRequest& request) {
    TCardSession session(folders, options, true);
    if (const int code = session.Start(); code != kExitOk) {
        return session.Finish(code);
    }
    const bool avr = session.Work().Bench().picKind >= 8;
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
    TPCardCommands& commands = session.Work().Commands();
    const TOutcome outcome =
        request.memory == TMemory::mPic ? commands.ReadPic() : commands.ReadEeprom();
    int code = ExitCodeOf(outcome, session);
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
    TPCardCommands& commands = session.Work().Commands();
    TOutcome outcome = TOutcome::ocFailed;
    const bool pic = memory == TMemory::mPic;
    switch (action) {
    case TCardAction::caWrite:
        outcome = pic ? commands.WritePic() : commands.WriteEeprom();
        break;
    case TCardAction::caVerify:
        outcome = pic ? commands.VerifyPic() : commands.VerifyEeprom();
        break;
    case TCardAction::caErase:
        outcome = pic ? commands.ErasePic() : commands.EraseEeprom();
        if (pic && outcome == TOutcome::ocFailed) {
            session.Fail("the programmer did not confirm the erase");
        }
        break;
    }
    return session.Finish(ExitCodeOf(outcome, session));
}

int RunAuto(const TPDataFolders& folders, const TGlobalOptions& options,
            const TAutoRequest& request) {
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
    return session.Finish(ExitCodeOf(session.Work().Commands().AutoProgram(), session));
}

int RunLock(const TPDataFolders& folders, const TGlobalOptions& options) {
    TCardSession session(folders, options, true);
    if (const int code = session.Start(); code != kExitOk) {
        return session.Finish(code);
    }
    if (session.Work().Bench().picKind < 8) {
        session.Fail(
            "only AVR-kind cards are locked; a PIC is protected by its fuses (see \"fuses\")");
        return session.Finish(kExitUsage);
    }
    return session.Finish(ExitCodeOf(session.Work().Commands().LockCard(), session));
}

} // namespace korvex::cli
