// Write, verify and erase of the card's external EEPROM, reached through the
// loader program written into the processor first.
#include "workflows/entries.h"
#include "workflows/session/cardcommands.h"

namespace korvex {

namespace {

// The programmer needs a moment between releasing the processor and
// selecting the EEPROM behind it.
constexpr int kModeSettleMs = 10;

} // namespace

// With the write off and the verify on, Write Eeprom is a verify and says so.
TOutcome TPCardCommands::WriteEepromSteps() {
    if (!CardReady() || !HasEeprom()) {
        return TOutcome::ocRefused;
    }
    const bool write = options_.GetWriteEeWrite();
    const bool verify = options_.GetWriteEeVerify();
    if (!write && !verify) {
        return Nothing(entries::kWriteEepromNothingToDo);
    }
    // Without an image, writing would only blank the EEPROM, which is what
    // Erase is for, and must not be announced as a file written.
    if (!LoadFiles({TFileRow::frEeprom, TFileRow::frLoader}) ||
        !HasImage(rows_.Images().extEeprom, entries::kNoEepromImage) || !LoaderReady()) {
        return TOutcome::ocNothing;
    }
    const std::string text = PaddedEepromText();
    run_.report.sent.eeprom = text;
    if (const auto ended = ReachEeprom(entries::kAskWriteEeprom)) {
        return *ended;
    }
    const int eeprom = card_.EepromKind();
    clock_.SleepMs(kModeSettleMs);
    Prog().SelectMode(0, eeprom);
    clock_.SleepMs(kModeSettleMs);
    Prog().SelectMode(1, eeprom);
    if (!write) {
        return VerifyResult(EepromDifference(text));
    }
    Status(entries::kWritingEeprom);
    if (const auto ended = WriteEepromChecked(write, verify, text)) {
        return *ended;
    }
    return Finish(entries::kEepromWritten);
}

std::optional<TOutcome> TPCardCommands::WriteEepromChecked(bool write, bool verify,
                                                           const std::string& text) {
    if (write && !WriteEeprom(text)) {
        // The failure message, not the status caption "Writing eeprom...".
        return FailAt(TFailStep::fsEepromWrite, entries::kEepromWriteFailed);
    }
    if (verify) {
        if (const auto difference = EepromDifference(text)) {
            return FailWithDifference(TFailStep::fsEepromVerify, entries::kEepromWriteFailed,
                                      difference);
        }
    }
    return std::nullopt;
}

TOutcome TPCardCommands::VerifyEepromSteps() {
    if (!CardReady() || !HasEeprom()) {
        return TOutcome::ocRefused;
    }
    // As for the processor: without an image there is nothing to compare,
    // and comparing nothing must not read as a match.
    if (!LoadFiles({TFileRow::frEeprom, TFileRow::frLoader}) ||
        !HasImage(rows_.Images().extEeprom, entries::kNothingToVerifyEeprom) || !LoaderReady()) {
        return TOutcome::ocNothing;
    }
    const std::string image = rows_.Images().extEeprom.GetHexText(0, -1);
    run_.report.sent.eeprom = image;
    if (const auto ended = ReachEeprom(entries::kAskVerifyEeprom)) {
        return *ended;
    }
    return VerifyResult(EepromDifference(image));
}

TOutcome TPCardCommands::EraseEepromSteps() {
    if (!CardReady() || !HasEeprom()) {
        return TOutcome::ocRefused;
    }
    if (!LoadFiles({TFileRow::frLoader}) || !LoaderReady()) {
        return TOutcome::ocNothing;
    }
    if (const auto ended = ReachEeprom(entries::kAskEraseEeprom)) {
        return *ended;
    }
    Prog().SelectMode(1, card_.EepromKind());
    Status(entries::kErasingEeprom);
    const std::string fill(2 * static_cast<std::size_t>(card_.EepromBytes()), 'F');
    if (!WriteEeprom(fill)) {
        // The failure message, not the status caption "Writing eeprom...".
        return FailAt(TFailStep::fsEepromWrite, entries::kEepromWriteFailed);
    }
    // Blanked, not written with an image.
    run_.report.done.eepromWritten = false;
    return Finish(entries::kEepromErased);
}

} // namespace korvex
