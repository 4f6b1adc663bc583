#pragma once

#include "cli/session/cardsession.h"
#include "cli/session/globaloptions.h"
#include "support/datafolders.h"

#include <CLI/CLI.hpp>
#include <string>

namespace korvex::cli {

// One command of the tool: it declares itself with its own options on the
// parser, bound to its own members, and runs itself when the parse chose it.
class TCommand {
public:
    virtual ~TCommand() = default;

    // Adds the command and its options to `app`.
    virtual void Declare(CLI::App& app) = 0;
    // Whether the parse chose this command.
    bool Chosen() const;
    // What the parse alone could not refuse: options that belong to other
    // commands, or to options not given. Empty: none.
    virtual std::string UsageProblem(const TGlobalOptions& options) const;
    // Whether several --port are several programmers driven at once.
    virtual bool DrivesSeveralProgrammers() const { return false; }
    // The exit code.
    virtual int Run(const TPDataFolders& folders, const TGlobalOptions& options) = 0;

protected:
    // The command as the parser knows it; set by Declare through `Add`.
    CLI::App* Add(CLI::App& app, const std::string& name, const std::string& description);
    // Whether --json gives this command's result as one object.
    virtual bool PrintsJson() const { return true; }

private:
    CLI::App* parsed_ = nullptr;
};

// A command that works through the main window's workflows: it opens the
// session, runs on it and finishes it, which releases the programmer and
// writes the result.
class TSessionCommand : public TCommand {
public:
    int Run(const TPDataFolders& folders, const TGlobalOptions& options) override;

protected:
    // `needsProgrammer`: the session opens the port and waits for the
    // programmer's first answer; otherwise it stays offline.
    explicit TSessionCommand(bool needsProgrammer) : needsProgrammer_(needsProgrammer) {}

    // The command's work on the session, not yet started; its exit code.
    virtual int RunOn(TCardSession& session, const TGlobalOptions& options) = 0;
    // The command's name in its --json result; empty for a command without one.
    virtual std::string ResultName() const { return {}; }
    // The options the session opens with.
    virtual TGlobalOptions SessionOptions(const TGlobalOptions& options) const { return options; }

private:
    bool needsProgrammer_;
};

} // namespace korvex::cli
