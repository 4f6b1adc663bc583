#pragma once

#include "support/optionreader.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The options dialog's eight check boxes, named after them: aw/av = auto
// program write/verify, ww/wv = write command write/verify. All checked until
// the options file says otherwise.
struct TOptionBoxes {
    bool chkawEeprom = true;
    bool chkavEeprom = true;
    bool chkawPic = true;
    bool chkavPic = true;
    bool chkwwEeprom = true;
    bool chkwvEeprom = true;
    bool chkwwPic = true;
    bool chkwvPic = true;
    // How often a step that failed on the line is tried again.
    int stepRetries = TPOptionReader::kDefaultStepRetries;

    bool operator==(const TOptionBoxes&) const = default;
};

// One option: its check box, where it lives in the options file and how the
// reader gets and sets it.
struct TOptionField {
    std::string_view section;
    std::string_view key;
    std::string_view checkBox;
    bool TOptionBoxes::*box;
    bool (TPOptionReader::*get)();
    void (TPOptionReader::*set)(bool);

    // "Section/Key", the name the command line uses.
    std::string Name() const;
    bool Get(TPOptionReader& reader) const { return (reader.*get)(); }
    void Set(TPOptionReader& reader, bool on) const { (reader.*set)(on); }
};

// A control of the options dialog and the language entry its text comes from.
struct TOptionCaption {
    int entry;
    std::string_view control;
};

// An option named on the command line with the value to give it.
struct TOptionSetting {
    const TOptionField* field;
    bool on;
};

// The options dialog without its widgets. Show and Accept stop at the first
// option that cannot be read or written; the boxes not reached keep their
// state. They return the failure's message, nullopt when every option went
// through: the dialog ignores it, the command-line tool reports it.
class TPOptionsDialog {
public:
    // The eight options in the order the dialog reads and writes them.
    static std::span<const TOptionField> Fields();
    // Entries 45 to 59 in the order the main window sets them, then the
    // label of the steps' retries.
    static std::span<const TOptionCaption> Captions();
    // The steps' retries as "Section/Key", beside the eight: a number, not on or off.
    static constexpr std::string_view kStepRetriesName = "Line/StepRetries";

    static std::optional<std::string> Show(TPOptionReader& reader, TOptionBoxes& boxes);
    static std::optional<std::string> Accept(TPOptionReader& reader, const TOptionBoxes& boxes);

    // The option a "Section/Key" text names, without regard to case. An
    // unknown name throws std::invalid_argument listing the valid ones.
    static const TOptionField& Find(std::string_view name);
    // "Section/Key=value" with on/off, 1/0, true/false or yes/no; a malformed
    // text throws std::invalid_argument.
    static TOptionSetting ParseSetting(std::string_view text);
};

} // namespace korvex
