// Write, verify and erase of the card's processor.
#include "workflows/cardcommands.h"
#include "workflows/fuses.h"

namespace korvex {

TOutcome TPCardCommands::WritePic() {
    return Run(&TPCardCommands::WritePicSteps);
}

TOutcome TPCardCommands::WritePicSteps() {
    if (!CardReady()) {
        return TOutcome::ocRefused;
    }
    const bool avr = Kind() >= 8;
    const std::int64_t dataSize = bench_.cardBox.GetPicIntEeSize();
    std::string data;
    std::string program;
    std::string config;
    if (avr) {
        if (!panel_.Evaluate(TFileRow::frIntEeprom)) {
            return TOutcome::ocFailed;
        }
        data = bench_.images.intEeprom.GetHexText(0, -1);
        program = ProgramText();
    } else {
        data = bench_.images.intEeprom.GetLowByteText(0, 4 * dataSize);
        program = ProgramText();
        config = BuildConfigText(bench_);
    }
    if (program.empty()) {
        return TOutcome::ocNothing;
    }
    const std::string saved = bench_.statusCaption;
    if (!DeviceIdMatches()) {
        return TOutcome::ocFailed;
    }
    if (bench_.options.GetWritePicWrite()) {
        Status(avr ? 124 : 125);
        if (!Prog().WritePic(Kind(), static_cast<int>(dataSize), program, data, bench_.gauge)) {
            return Stopping() ? Abort() : TOutcome::ocFailed;
        }
    }
    if (bench_.options.GetWritePicVerify()) {
        Status(avr ? 127 : 126);
        if (!Prog().VerifyPic(program, data, Kind(), bench_.gauge)) {
            const TOutcome outcome = Fail(128);
            Gauge(0);
            return outcome;
        }
    }
    if (Stopping()) {
        return Abort();
    }
    TOutcome outcome = TOutcome::ocSucceeded;
    if (!avr) {
        if (bench_.options.GetWritePicWrite()) {
            Prog().SelectMode(3, Kind());
            Prog().WriteConfigArea(config, Kind());
        }
    } else if (bench_.fuses.lock == 0 && LockSteps() != TOutcome::ocSucceeded) {
        outcome = TOutcome::ocFailed;
    }
    return Finish(avr ? 133 : 130, saved, outcome);
}

TOutcome TPCardCommands::VerifyPic() {
    return Run(&TPCardCommands::VerifyPicSteps);
}

TOutcome TPCardCommands::VerifyPicSteps() {
    if (!CardReady()) {
        return TOutcome::ocRefused;
    }
    if (!DeviceIdMatches()) {
        return TOutcome::ocFailed;
    }
    if (!TPFilePanel::IsUsableFile(bench_.Field(TFileRow::frProgram))) {
        return TOutcome::ocNothing;
    }
    const bool avr = Kind() >= 8;
    const std::string program = bench_.images.program.GetHexText(0, -1);
    const std::string data = avr ? bench_.images.intEeprom.GetHexText(0, -1)
                                 : bench_.images.intEeprom.GetLowByteText(0, -1);
    const std::string saved = bench_.statusCaption;
    Status(avr ? 127 : 126);
    const bool same = Prog().VerifyPic(program, data, Kind(), bench_.gauge);
    if (Stopping()) {
        return Abort();
    }
    Report(TMessageKind::mkInformation, same ? 99 : 98);
    bench_.SetStatus(saved);
    Prog().SelectMode(0, Kind());
    Gauge(0);
    return same ? TOutcome::ocSucceeded : TOutcome::ocFailed;
}

TOutcome TPCardCommands::ErasePic() {
    return Run(&TPCardCommands::ErasePicSteps);
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
    const std::string saved = bench_.statusCaption;
    Status(avr ? 131 : 132);
    Prog().SelectMode(avr ? 4 : 3, Kind());
    const bool erased = Prog().EraseChip(Kind());
    Prog().SelectMode(0, Kind());
    bench_.SetStatus(saved);
    return erased ? TOutcome::ocSucceeded : TOutcome::ocFailed;
}

} // namespace korvex
