#include "cli/output/cliprompts.h"

#include "cli/output/messageline.h"
#include "support/errors.h"
#include "support/textconv.h"

namespace korvex::cli {

void TCliPrompts::Line(std::ostream& stream, const std::string& text) {
    if (BeforeLine) {
        BeforeLine();
    }
    stream << OneLine(text) << '\n';
    stream.flush();
}

void TCliPrompts::ShowMessage(TMessageKind kind, int entry, const std::string& text) {
    shown_.push_back({kind, entry, OneLine(text)});
    if (kind == TMessageKind::mkInformation) {
        Line(out_, text);
        return;
    }
    if (kind == TMessageKind::mkError) {
        errorShown_ = true;
    }
    Line(err_, kind == TMessageKind::mkError ? ErrorLine(text) : WarningLine(text));
}

void TCliPrompts::ShowLinkError(const std::string& text) {
    shown_.push_back({TMessageKind::mkError, -1, OneLine(text)});
    errorShown_ = true;
    Line(err_, ErrorLine(text));
}

void TCliPrompts::ShowPlain(const std::string& title, const std::string& text) {
    // A box without a title only echoes what the user set (the loader field
    // before an EEPROM read); on a terminal it would be a stray word.
    if (title.empty() || text.empty()) {
        return;
    }
    Line(out_, title + ": " + text);
}

bool TCliPrompts::Ask(int /*entry*/, const std::string& text, TAnswer /*preset*/) {
    if (mode_.yes) {
        return true;
    }
    if (!mode_.terminal) {
        Line(err_, text);
        declined_ = true;
        ShowMessage(TMessageKind::mkError, -1, "this needs a yes; give --yes to answer it");
        return false;
    }
    if (BeforeLine) {
        BeforeLine();
    }
    err_ << OneLine(text) << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in_, answer)) {
        err_ << '\n';
        declined_ = true;
        return false;
    }
    answer = AsciiLower(answer);
    const bool yes = answer == "y" || answer == "yes";
    declined_ = declined_ || !yes;
    return yes;
}

} // namespace korvex::cli
