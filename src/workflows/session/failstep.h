#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace korvex {

// The step of Auto program a card failed at, in the order the sequence takes
// them (the files are loaded before anything is sent).
enum class TFailStep {
    fsNone,
    fsFiles,
    fsIdentification,
    fsLoader,
    fsEepromWrite,
    fsEepromVerify,
    fsProcessorWrite,
    fsProcessorVerify,
    fsConfigOrLock,
    // The card's serial values could not be claimed or placed; it was not
    // written. Last, though it comes after the identification: the steps
    // before it keep their numbers.
    fsSerial,
};

// The step's name in a production record and on the command line: the same
// whatever the language, so that scripts and spreadsheets can rely on it.
// Empty for fsNone.
constexpr std::string_view FailStepName(TFailStep step) {
    constexpr std::array<std::string_view, 10> kNames{
        "",
        "files",
        "identification",
        "loader",
        "eeprom write",
        "eeprom verify",
        "processor write",
        "processor verify",
        "configuration word or lock",
        "serial number",
    };
    return kNames[static_cast<std::size_t>(step)];
}

// The step a record names; nothing for a name no step has (an older
// record's, or none).
constexpr std::optional<TFailStep> FailStepNamed(std::string_view name) {
    for (auto step = static_cast<int>(TFailStep::fsFiles);
         step <= static_cast<int>(TFailStep::fsSerial); ++step) {
        if (FailStepName(static_cast<TFailStep>(step)) == name) {
            return static_cast<TFailStep>(step);
        }
    }
    return std::nullopt;
}

} // namespace korvex
