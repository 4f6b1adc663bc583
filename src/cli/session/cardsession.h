#pragma once

#include "cli/output/cliprompts.h"
#include "cli/output/cliview.h"
#include "cli/output/progressline.h"
#include "cli/output/resultjson.h"
#include "cli/session/exitcodes.h"
#include "cli/session/globaloptions.h"
#include "cli/session/interrupts.h"
#include "support/logfile.h"
#include "support/settingsstore.h"
#include "workflows/session/portname.h"
#include "workflows/session/session.h"

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace korvex::cli {

// A programmer session for one command-line run, with the terminal as
// their face. A run that talks to the programmer opens the port and waits
// for the programmer's first answer; the others stay offline. Nothing is
// written to the user's settings, and a card type's file only by the
// commands that change it.
class TCardSession {
public:
    TCardSession(TPDataFolders folders, const TGlobalOptions& options, bool needsProgrammer,
                 std::ostream& out = std::cout, std::ostream& err = std::cerr,
                 std::istream& in = std::cin);
    ~TCardSession();
    TCardSession(const TCardSession&) = delete;
    TCardSession& operator=(const TCardSession&) = delete;

    // What a run needs of the card types.
    enum class TCardNeed {
        cnUsable, // a chosen card type whose processor the catalogue lists
        cnAny,    // a chosen card type, whatever it names
        cnNone,   // none: the run may start without any card type
    };

    // Runs the window's start-up. 0, or the exit code with the reason on
    // stderr: 2 when the card type cannot be used, 1 when the programmer
    // cannot be reached. `sayWhySilent`: a programmer that never answers is
    // reported as such (the state query only shows the state).
    int Start(TCardNeed need = TCardNeed::cnUsable, bool sayWhySilent = true);
    // Start ended before the port was opened: --log cannot be written, or
    // the file it names was not to be replaced.
    bool LogRefused() const { return logRefused_; }

    TPSession& Work() { return *work_; }
    TCliView& View() { return view_; }
    TCliPrompts& Prompts() { return prompts_; }
    TProgressLine& Progress() { return progress_; }
    std::ostream& Out() { return out_; }
    std::ostream& Err() { return err_; }

    // An error line on stderr, after the progress line has been ended.
    void Fail(const std::string& message);

    // The command's name in its result ("write pic"); a card command run
    // through Run has its outcome and report there, and `Result()` takes
    // what only this command tells.
    void SetCommand(std::string name) { facts_.command = std::move(name); }
    TOutcome Run(TCardCommand command);
    TJsonObject& Result() { return facts_.more; }
    // A file the command wrote, for its result.
    void Wrote(std::string role, std::filesystem::path file);
    bool Json() const { return options_.json; }
    // Names a file for a row: a file that is missing, of another kind or
    // malformed ends the run (false) with its reason.
    bool UseFile(TFileRow row, const std::string& file);
    // A row the command works from with no file named on the command line:
    // the card type's stored file must be usable; false, with the card type
    // and the file it could not use, when it is not. `what` names the file
    // ("program", "eeprom"). Unless `required`, only a stored file that
    // cannot be used stops the command: it goes without one.
    bool StoredFileUsable(TFileRow row, const std::string& what, bool required = true);
    // The configuration word a write will send and where its fuse choices
    // come from, as a line on stderr; nothing for a processor without one.
    void TellConfigWord();
    // The card types there are, for a line that names them.
    std::string CardTypeList();
    // Called once, at the first signal that asks a production run to stop
    // after the card in hand, so the user knows the signal was taken.
    std::function<void()> OnProductionStopAsked;
    // Releases the programmer and closes the log; `code` is returned, or 1
    // when a line of the log could not be written. A question answered No
    // gets a line saying nothing was done; with --json the result follows.
    int Finish(int code);

private:
    bool OpenLog();
    int WaitForProgrammer(bool sayWhySilent);
    std::string RememberedPortHint() const;
    void PrintResult(int code);

    TPDataFolders folders_;
    TGlobalOptions options_;
    bool needsProgrammer_;
    std::ostream& out_;
    std::ostream& err_;
    TPSettingsStore settings_;
    TProgressLine progress_;
    TCliPrompts prompts_;
    TCliView view_;
    TInterruptPump pump_;
    bool productionStopTold_ = false;
    std::unique_ptr<TPLogFile> log_;
    bool logRefused_ = false; // Start ended there
    std::unique_ptr<TPSession> work_;
    int comNumber_ = 0;
    TBaudRate rate_ = TBaudRate::br19200;
    TPortName portName_;
    // Which device each port item stands for in this run; the workflows name
    // the port by it in their messages.
    TPortMap ports_;
    bool finished_ = false;
    std::int64_t startMs_ = 0;
    TResultFacts facts_;
};

// Exit code of a card command's outcome: 0 success, 1 failure or refusal,
// 2 nothing to work on (no image, no loader).
int ExitCodeOf(TOutcome outcome);

} // namespace korvex::cli
