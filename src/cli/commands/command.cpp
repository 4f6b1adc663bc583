#include "cli/commands/command.h"

namespace korvex::cli {

bool TCommand::Chosen() const {
    return parsed_ != nullptr && parsed_->parsed();
}

std::string TCommand::UsageProblem(const TGlobalOptions& options) const {
    if (options.json && !PrintsJson()) {
        return "--json is for the commands that work on a card: state, "
               "firmware, read, write, verify, erase, auto and lock, and for "
               "records";
    }
    return {};
}

CLI::App* TCommand::Add(CLI::App& app, const std::string& name, const std::string& description) {
    parsed_ = app.add_subcommand(name, description);
    return parsed_;
}

int TSessionCommand::Run(const TPDataFolders& folders, const TGlobalOptions& options) {
    TCardSession session(folders, SessionOptions(options), needsProgrammer_);
    if (const std::string name = ResultName(); !name.empty()) {
        session.SetCommand(name);
    }
    return session.Finish(RunOn(session, options));
}

} // namespace korvex::cli
