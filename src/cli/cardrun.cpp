#include "cli/cardrun.h"

#include "cli/commands.h"
#include "cli/gangrun.h"
#include "cli/messageline.h"
#include "cli/watchrun.h"
#include "support/errors.h"
#include "support/filetarget.h"
#include "workflows/session/readback.h"

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
// before anything is sent, with the error a failed save gives after it; so
// do two results named into one file, where the second would replace the
// first.
bool DestinationsUsable(TCardSession& session, const std::vector<std::string>& files) {
    std::vector<std::string> named;
    for (const std::string& file : files) {
        if (file.empty()) {
            continue;
        }
        try {
            CheckDestination(file);
        } catch (const EInOutError& error) {
            session.Fail(DescribeError(error));
            return false;
        }
        for (const std::string& earlier : named) {
            if (SameFile(earlier, file)) {
                session.Fail(earlier + " and " + file +
                             " are one file: each result needs a file of its own");
                return false;
            }
        }
        named.push_back(file);
    }
    return true;
}

std::string MemoryName(TMemory memory) {
    return memory == TMemory::mPic ? "pic" : "eeprom";
}

} // namespace

int RunRead(const TPDataFolders& folders, const TGlobalOptions& options,
            const TReadRequest& request) {
    TCardSession session(folders, options, true);
    session.SetCommand("read " + MemoryName(request.memory));
    // Before the card is read, not after: a read of minutes for a file that
    // cannot be written is lost.
    if (request.out.empty()) {
        session.Fail("-o needs the name of the file to save the read to");
        return session.Finish(kExitUsage);
    }
    // The files the read is saved to, as the save names them.
    std::vector<std::filesystem::path> saved{TPReadBack::SaveName(request.out)};
    if (!request.dataOut.empty()) {
        saved.push_back(TPReadBack::SaveName(request.dataOut));
    }
    std::vector<std::string> destinations{options.link.logFile};
    for (const std::filesystem::path& file : saved) {
        destinations.push_back(file.string());
    }
    if (!DestinationsUsable(session, destinations)) {
        return session.Finish(kExitFailed);
    }
    // Asked before the card is touched: a read of the eeprom writes the
    // loader into the processor first.
    if (!session.View().AskOverwrites(saved)) {
        return session.Finish(kExitFailed);
    }
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
    const TOutcome outcome = session.Run(
        request.memory == TMemory::mPic ? TCardCommand::ccReadPic : TCardCommand::ccReadEeprom);
    int code = ExitCodeOf(outcome);
    if (code == kExitOk && !session.View().Saved()) {
        code = kExitFailed;
    }
    if (code == kExitOk) {
        session.Wrote("read", saved[0]);
        if (saved.size() > 1) {
            session.Wrote("read internal eeprom", saved[1]);
        }
    }
    return session.Finish(code);
}

namespace {

// --int-eeprom names an AVR's internal EEPROM file; a PIC's comes with its
// program file.
bool UseIntEepromFile(TCardSession& session, const std::string& file) {
    if (file.empty()) {
        // The card type's stored file goes to the card with the flash: one
        // that cannot be used is said in this tool's words, not the window's.
        return !session.Work().Snapshot().layout.avrKind ||
               session.StoredFileUsable(TFileRow::frIntEeprom, "internal eeprom", false);
    }
    if (!session.Work().Snapshot().layout.avrKind) {
        session.Fail("--int-eeprom is for AVR-kind card types: a PIC's data EEPROM comes with "
                     "its program file");
        return false;
    }
    return session.UseFile(TFileRow::frIntEeprom, file);
}

// Whether the options have the processor written by this command, so the
// configuration word it will write is worth a line.
bool WritesProcessor(TCardSession& session, bool autoProgram) {
    TOptionBoxes boxes;
    session.Work().ReadOptions(boxes);
    return autoProgram ? boxes.chkawPic : boxes.chkwwPic;
}

} // namespace

int RunCardAction(const TPDataFolders& folders, const TGlobalOptions& options,
                  const TActionRequest& request) {
    TCardSession session(folders, options, true);
    static constexpr const char* kActions[] = {"write", "verify", "erase"};
    session.SetCommand(std::string(kActions[static_cast<int>(request.action)]) + " " +
                       MemoryName(request.memory));
    if (const int code = session.Start(); code != kExitOk) {
        return session.Finish(code);
    }
    const bool pic = request.memory == TMemory::mPic;
    if (!request.intEeprom.empty() && (!pic || request.action == TCardAction::caErase)) {
        session.Fail("--int-eeprom belongs to \"write pic\" and \"verify pic\"");
        return session.Finish(kExitUsage);
    }
    if (request.action != TCardAction::caErase) {
        const TFileRow row = RowOf(request.memory);
        const bool named = request.file.empty()
                               ? session.StoredFileUsable(row, pic ? "program" : "eeprom")
                               : session.UseFile(row, request.file);
        if (!named || (pic && !UseIntEepromFile(session, request.intEeprom))) {
            return session.Finish(kExitUsage);
        }
    }
    switch (request.action) {
    case TCardAction::caWrite:
        // Said only when the write goes ahead.
        if (pic && WritesProcessor(session, false)) {
            session.Work().OnGoingAhead([&session] { session.TellConfigWord(); });
        }
        return session.Finish(
            ExitCodeOf(session.Run(pic ? TCardCommand::ccWritePic : TCardCommand::ccWriteEeprom)));
    case TCardAction::caVerify:
        return session.Finish(ExitCodeOf(
            session.Run(pic ? TCardCommand::ccVerifyPic : TCardCommand::ccVerifyEeprom)));
    case TCardAction::caErase:
        if (!pic) {
            return session.Finish(ExitCodeOf(session.Run(TCardCommand::ccEraseEeprom)));
        }
        break;
    }
    // The workflows said it when the programmer did not confirm the erase.
    const TOutcome outcome = session.Run(TCardCommand::ccErasePic);
    return session.Finish(Announce(session, outcome, entries::kProcessorErased));
}

bool AutoDestinationsUsable(TCardSession& session, const TGlobalOptions& options,
                            const TAutoRequest& request) {
    return DestinationsUsable(session, {options.link.logFile, request.record});
}

int RunAuto(const TPDataFolders& folders, const TGlobalOptions& options,
            const TAutoRequest& request) {
    if (request.watch && options.ports.size() > 1) {
        return RunGang(folders, options, request);
    }
    TCardSession session(folders, options, true);
    session.SetCommand(request.watch ? "auto --watch" : "auto");
    if (!AutoDestinationsUsable(session, options, request)) {
        return session.Finish(kExitFailed);
    }
    if (const int code = PrepareAuto(session, request); code != kExitOk) {
        return session.Finish(code);
    }
    if (request.watch) {
        // Said once, when the run goes ahead.
        return session.Finish(RunWatch(session, request, WritesProcessor(session, true)));
    }
    // Said only when the card is about to be written.
    if (WritesProcessor(session, true)) {
        session.Work().OnGoingAhead([&session] { session.TellConfigWord(); });
    }
    return session.Finish(ExitCodeOf(session.Run(TCardCommand::ccAutoProgram)));
}

int PrepareAuto(TCardSession& session, const TAutoRequest& request) {
    if (const int code = session.Start(); code != kExitOk) {
        return code;
    }
    const std::pair<TFileRow, const std::string*> files[] = {
        {TFileRow::frProgram, &request.pic},
        {TFileRow::frEeprom, &request.eeprom},
    };
    for (const auto& [row, file] : files) {
        if (!file->empty() && !session.UseFile(row, *file)) {
            return kExitUsage;
        }
    }
    // A file named here that the run would leave out: the user would take the
    // card for one that holds it.
    const bool reachesEeprom = session.Work().AutoReachesEeprom();
    if (!request.eeprom.empty() && !reachesEeprom) {
        session.Fail(session.Work().CardHasEeprom()
                         ? "--eeprom names a file the options leave neither written nor "
                           "verified: switch on Auto/WriteEe or Auto/VerifyEe (korvex-cli "
                           "options --set Auto/WriteEe=on), or leave --eeprom out"
                         : "--eeprom names a file for an external EEPROM, which the card type "
                           "has none of: leave --eeprom out");
        return kExitUsage;
    }
    if ((request.pic.empty() && !session.StoredFileUsable(TFileRow::frProgram, "program")) ||
        !UseIntEepromFile(session, request.intEeprom) ||
        (request.eeprom.empty() && reachesEeprom &&
         !session.StoredFileUsable(TFileRow::frEeprom, "eeprom", false))) {
        return kExitUsage;
    }
    return kExitOk;
}

bool AutoWritesProcessor(TCardSession& session) {
    return WritesProcessor(session, true);
}

int RunLock(const TPDataFolders& folders, const TGlobalOptions& options) {
    TCardSession session(folders, options, true);
    session.SetCommand("lock");
    if (const int code = session.Start(); code != kExitOk) {
        return session.Finish(code);
    }
    if (!session.Work().Snapshot().layout.avrKind) {
        session.Fail(
            "only AVR-kind cards are locked; a PIC is protected by its fuses (see \"fuses\")");
        return session.Finish(kExitUsage);
    }
    const TOutcome outcome = session.Run(TCardCommand::ccLockCard);
    return session.Finish(Announce(session, outcome, entries::kCardLocked));
}

} // namespace korvex::cli
