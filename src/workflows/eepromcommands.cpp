// Write, verify and erase of the card's external EEPROM, reached through the
// loader program written into the processor first.
#include "workflows/cardcommands.h"
#include "workflows/entries.h"

namespace korvex {

namespace {

// The programmer needs a moment between releasing the processor and
// selecting the EEPROM behind it.
constexpr int kModeSettleMs = 10;

} // namespace

std::optional<TOutcome> TPCardCommands::ReachEeprom(int question) {
    if (!bench_.prompts.Ask(question, bench_.Text(question))) {
        return TOutcome::ocRefused;
    }
    Status(86);
    WriteLoader();
    if (Stopping()) {
        return Abort();
    }
    return std::nullopt;
}

TOutcome TPCardCommands::WriteEepromSteps() {
    if (!CardReady() || !HasEeprom()) {
        return TOutcome::ocRefused;
    }
    // Without an image, writing would only blank the EEPROM, which is what
    // Erase is for, and must not be announced as a file written.
    if (!HasImage(bench_.images.extEeprom, entries::kNoEepromImage) || !LoaderReady()) {
        return TOutcome::ocNothing;
    }
    if (const auto ended = ReachEeprom(89)) {
        return *ended;
    }
    bench_.clock.SleepMs(kModeSettleMs);
    Prog().SelectMode(0, bench_.eepromKind);
    bench_.clock.SleepMs(kModeSettleMs);
    Prog().SelectMode(1, bench_.eepromKind);
    const std::string text = PaddedEepromText();
    if (bench_.options.GetWriteEeWrite()) {
        Status(90);
        if (!Prog().WriteExtEeprom(text, EepromDevice(), &bench_.gauge)) {
            return Fail(91);
        }
    }
    if (bench_.options.GetWriteEeVerify()) {
        if (const auto difference = EepromDifference(text)) {
            return FailWithDifference(TFailStep::fsEepromVerify, 91, difference);
        }
    }
    return Finish(100, TOutcome::ocSucceeded);
}

TOutcome TPCardCommands::VerifyEepromSteps() {
    if (!CardReady() || !HasEeprom()) {
        return TOutcome::ocRefused;
    }
    // As for the processor: without an image there is nothing to compare,
    // and comparing nothing must not read as a match.
    if (!HasImage(bench_.images.extEeprom, entries::kNothingToVerifyEeprom) || !LoaderReady()) {
        return TOutcome::ocNothing;
    }
    if (const auto ended = ReachEeprom(85)) {
        return *ended;
    }
    Prog().SelectMode(2, bench_.eepromKind);
    Status(92);
    const std::string image = bench_.images.extEeprom.GetHexText(0, -1);
    const std::string back = Prog().ReadExtEeprom(EepromDevice(), bench_.cardBox.GetEepromSize(),
                                                  static_cast<int>(image.size()), &bench_.gauge);
    Prog().SelectMode(0, Kind());
    if (Stopping()) {
        return Abort();
    }
    // 99 says the card matches and 98 that it differs, for the processor and
    // the EEPROM alike.
    const auto difference = FindDifference(TMemorySpace::msExtEeprom, image, back);
    const bool same = !difference;
    if (same) {
        Report(TMessageKind::mkInformation, 99);
    } else {
        ReportDifference(TMessageKind::mkInformation, 98, difference);
    }
    Prog().SelectMode(0, Kind());
    Gauge(0);
    return same ? TOutcome::ocSucceeded : TOutcome::ocFailed;
}

TOutcome TPCardCommands::EraseEepromSteps() {
    if (!CardReady() || !HasEeprom()) {
        return TOutcome::ocRefused;
    }
    if (!LoaderReady()) {
        return TOutcome::ocNothing;
    }
    if (const auto ended = ReachEeprom(97)) {
        return *ended;
    }
    Prog().SelectMode(1, bench_.eepromKind);
    Status(95);
    const std::string fill(2 * static_cast<std::size_t>(bench_.cardBox.GetEepromSize()), 'F');
    if (!Prog().WriteExtEeprom(fill, EepromDevice(), &bench_.gauge)) {
        // The failure message, not the status caption "Writing eeprom...".
        return Fail(91);
    }
    return Finish(96, TOutcome::ocSucceeded);
}

} // namespace korvex
