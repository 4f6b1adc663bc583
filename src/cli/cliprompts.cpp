#include "cli/cliprompts.h"

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

void TCliPrompts::ShowMessage(TMessageKind kind, int /*entry*/, const std::string& text) {
    if (kind == TMessageKind::mkInformation) {
        Line(out_, text);
        return;
    }
    if (kind == TMessageKind::mkError) {
        errorShown_ = true;
    }
    Line(err_, std::string(kind == TMessageKind::mkError ? "error: " : "warning: ") + text);
}

void TCliPrompts::ShowLinkError(const std::string& text) {
    errorShown_ = true;
    Line(err_, "error: " + text);
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
        Line(err_, "korvex-cli: " + text);
        Line(err_, "korvex-cli: this needs a yes; give --yes to answer it");
        return false;
    }
    if (BeforeLine) {
        BeforeLine();
    }
    err_ << OneLine(text) << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in_, answer)) {
        err_ << '\n';
        return false;
    }
    answer = AsciiLower(answer);
    return answer == "y" || answer == "yes";
}

} // namespace korvex::cli
