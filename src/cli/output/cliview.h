#pragma once

#include "cli/output/cliprompts.h"
#include "cli/output/progressline.h"
#include "workflows/session/sessionevents.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace korvex::cli {

// Where a read's data go: the read-back window's save, run with the names
// the command line gave.
struct TReadTargets {
    std::optional<std::filesystem::path> main;    // -o
    std::optional<std::filesystem::path> avrData; // --data-out, the second stage
};

// A session's events as the command line shows them: the steps of a command
// on the progress line, its remarks on stderr, read-back data saved to the
// named files.
class TCliView final {
public:
    TCliView(TProgressLine& progress, TCliPrompts& prompts, std::ostream& out, std::ostream& err)
        : progress_(progress), prompts_(prompts), out_(out), err_(err) {}

    void SetReadTargets(TReadTargets targets) { targets_ = std::move(targets); }

    // The events this view listens to, for the session to tell.
    TSessionEvents Events();

    void ShowReadBack(TPReadBack& readBack);
    // A step tried again: a line on stderr, beside the steps.
    void ShowNote(const std::string& text);

    // Asks before anything is sent whether each of the files that exist may
    // be replaced; the save then asks no more of them. False, with the file
    // named, at the first No: the card is left as it was.
    bool AskOverwrites(const std::vector<std::filesystem::path>& targets);

    // The read-back data were saved as asked.
    bool Saved() const { return saved_; }

private:
    bool SaveStage(TPReadBack& readBack, const std::optional<std::filesystem::path>& file,
                   const char* what);

    TProgressLine& progress_;
    TCliPrompts& prompts_;
    std::ostream& out_;
    std::ostream& err_;
    TReadTargets targets_;
    std::set<std::filesystem::path> overwriteAllowed_;
    bool saved_ = false;
};

} // namespace korvex::cli
