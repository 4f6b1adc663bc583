#pragma once

#include "cli/output/cliprompts.h"
#include "cli/output/progressline.h"
#include "workflows/presenter/mainview.h"

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

// The window as the command line shows it: the steps of a command on the
// progress line, read-back data saved to the named files.
class TCliView final : public TMainView {
public:
    TCliView(TProgressLine& progress, TCliPrompts& prompts, std::ostream& out, std::ostream& err)
        : progress_(progress), prompts_(prompts), out_(out), err_(err) {}

    // Captions that only name the programmer's state are not steps.
    void SetStateCaptions(std::set<std::string> captions) { stateCaptions_ = std::move(captions); }
    void SetReadTargets(TReadTargets targets) { targets_ = std::move(targets); }

    void ShowStatus(const std::string& caption, TStatusColour colour) override;
    void EnableCommands(bool enabled) override { running_ = !enabled; }
    void ShowReadBack(TPReadBack& readBack) override;
    // A step tried again: a line on stderr, beside the steps.
    void ShowNote(const std::string& text) override;

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
    std::set<std::string> stateCaptions_;
    TReadTargets targets_;
    std::set<std::filesystem::path> overwriteAllowed_;
    bool running_ = false;
    bool saved_ = false;
};

} // namespace korvex::cli
