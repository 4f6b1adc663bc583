#pragma once

#include "link/seams.h"
#include "workflows/presenter/mainview.h"

#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace korvex::cli {

// How questions are answered: --yes says Yes to all; otherwise the terminal
// is asked when there is one, and without one the command stops.
struct TAnswerMode {
    bool yes = false;
    bool terminal = false; // stdin and stderr are a terminal
};

// A message as it was shown, for a result printed as JSON.
struct TShownMessage {
    TMessageKind kind = TMessageKind::mkInformation;
    int entry = -1; // the language entry, a number that stays; -1: none
    std::string text;
};

// The message boxes as lines: information on stdout, warnings and errors on
// stderr, one line each.
class TCliPrompts final : public TPrompts, public TLinkPrompts {
public:
    TCliPrompts(TAnswerMode mode, std::ostream& out, std::ostream& err, std::istream& in)
        : mode_(mode), out_(out), err_(err), in_(in) {}

    void ShowMessage(TMessageKind kind, int entry, const std::string& text) override;
    // The terminal's answer is No unless typed otherwise, whatever the preset.
    bool Ask(int entry, const std::string& text, TAnswer preset) override;
    void ShowPlain(const std::string& title, const std::string& text) override;
    void ShowLinkError(const std::string& text) override;

    // Called before each line is printed, so a progress bar can end its line.
    std::function<void()> BeforeLine;
    // Whether a message of the error kind was shown.
    bool ErrorShown() const { return errorShown_; }
    // Whether a question was answered No (or could not be asked).
    bool Declined() const { return declined_; }
    const std::vector<TShownMessage>& Shown() const { return shown_; }

private:
    void Line(std::ostream& stream, const std::string& text);

    TAnswerMode mode_;
    std::ostream& out_;
    std::ostream& err_;
    std::istream& in_;
    bool errorShown_ = false;
    bool declined_ = false;
    std::vector<TShownMessage> shown_;
};

} // namespace korvex::cli
