// Write, verify and erase of the card's processor.
#include "workflows/cardcommands.h"
#include "workflows/entries.h"
#include "workflows/fuses.h"

namespace korvex {

TOutcome TPCardCommands::WritePicSteps() {
    if (!CardReady()) {
        return TOutcome::ocRefused;
    }
    const bool avr = Kind() >= 8;
    const std::int64_t dataSize = bench_.cardBox.GetPicIntEeSize();
    if (avr && !panel_.Evaluate(TFileRow::frIntEeprom)) {
        return TOutcome::ocFailed;
    }
    if (!HasImage(bench_.images.program, entries::kNoProgramImage)) {
        return TOutcome::ocNothing;
    }
    const std::string program = ProgramText();
    const std::string data = avr ? bench_.images.intEeprom.GetHexText(0, -1)
                                 : bench_.images.intEeprom.GetLowByteText(0, 4 * dataSize);
    const std::string config = avr ? std::string() : BuildConfigText(bench_);
    if (!DeviceIdMatches()) {
        return TOutcome::ocFailed;
    }
    if (bench_.options.GetWritePicWrite()) {
        Status(avr ? 124 : 125);
        if (!Prog().WritePic(Kind(), static_cast<int>(dataSize), program, data, &bench_.gauge)) {
            return Stopping() ? Abort() : TOutcome::ocFailed;
        }
    }
    if (bench_.options.GetWritePicVerify()) {
        Status(avr ? 127 : 126);
        TPicReadResult back;
        if (!Prog().VerifyPic(program, data, Kind(), &bench_.gauge, &back)) {
            const TOutcome outcome = FailWithDifference(TFailStep::fsProcessorVerify, 128,
                                                        ProcessorDifference(program, data, back));
            Gauge(0);
            return outcome;
        }
    }
    if (Stopping()) {
        return Abort();
    }
    TOutcome outcome = TOutcome::ocSucceeded;
    if (!avr) {
        // The card is only written once it holds its configuration word too.
        if (bench_.options.GetWritePicWrite() && !WriteConfigWord(config, 3)) {
            return Fail(entries::kConfigRefused);
        }
    } else if (bench_.fuses.lock == 0 && LockSteps() != TOutcome::ocSucceeded) {
        outcome = TOutcome::ocFailed;
    }
    return Finish(avr ? 133 : 130, outcome);
}

// The card is compared with the images as they are loaded: without an image
// there is nothing to compare, and comparing nothing must never read as a match.
TOutcome TPCardCommands::VerifyPicSteps() {
    if (!CardReady()) {
        return TOutcome::ocRefused;
    }
    if (!HasImage(bench_.images.program, entries::kNothingToVerifyProgram)) {
        return TOutcome::ocNothing;
    }
    if (!DeviceIdMatches()) {
        return TOutcome::ocFailed;
    }
    const bool avr = Kind() >= 8;
    const std::string program = bench_.images.program.GetHexText(0, -1);
    const std::string data = avr ? bench_.images.intEeprom.GetHexText(0, -1)
                                 : bench_.images.intEeprom.GetLowByteText(0, -1);
    Status(avr ? 127 : 126);
    TPicReadResult back;
    const bool same = Prog().VerifyPic(program, data, Kind(), &bench_.gauge, &back);
    if (Stopping()) {
        return Abort();
    }
    if (same) {
        Report(TMessageKind::mkInformation, 99);
    } else {
        ReportDifference(TMessageKind::mkInformation, 98, ProcessorDifference(program, data, back));
    }
    Prog().SelectMode(0, Kind());
    Gauge(0);
    return same ? TOutcome::ocSucceeded : TOutcome::ocFailed;
}

// The window shows no message after an erase; the outcome still tells a
// script whether the programmer confirmed it.
TOutcome TPCardCommands::ErasePicSteps() {
    if (!CardReady()) {
        return TOutcome::ocRefused;
    }
    if (!DeviceIdMatches()) {
        return TOutcome::ocFailed;
    }
    const bool avr = Kind() >= 8;
    Status(avr ? 131 : 132);
    Prog().SelectMode(avr ? 4 : 3, Kind());
    const bool erased = Prog().EraseChip(Kind());
    Prog().SelectMode(0, Kind());
    return erased ? TOutcome::ocSucceeded : TOutcome::ocFailed;
}

} // namespace korvex
