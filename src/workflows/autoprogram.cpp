// Auto program: the production sequence of one card, external EEPROM first,
// then the processor, then its configuration word or lock.
#include "workflows/cardcommands.h"
#include "workflows/entries.h"
#include "workflows/fuses.h"

namespace korvex {

namespace {

constexpr int kModeSettleMs = 10;

// Clears the flag that keeps the file's fuses off the window, also when a
// file fails to load.
class TAutoRunning {
public:
    explicit TAutoRunning(bool& flag) : flag_(flag) { flag_ = true; }
    ~TAutoRunning() { flag_ = false; }
    TAutoRunning(const TAutoRunning&) = delete;
    TAutoRunning& operator=(const TAutoRunning&) = delete;

private:
    bool& flag_;
};

} // namespace

TOutcome TPCardCommands::AutoSteps() {
    {
        // The images are loaded afresh from the files as they are now, but the
        // user's fuse choices stay.
        TAutoRunning running(bench_.autoRunning);
        if (!panel_.Evaluate(TFileRow::frProgram) || !panel_.Evaluate(TFileRow::frEeprom)) {
            bench_.failStep = TFailStep::fsFiles;
            return TOutcome::ocFailed;
        }
    }
    if (Kind() >= 8 && !panel_.Evaluate(TFileRow::frIntEeprom)) {
        bench_.failStep = TFailStep::fsFiles;
        return TOutcome::ocFailed;
    }
    if (bench_.cardState != TPCardState::csCardReady || !bench_.prog) {
        Report(TMessageKind::mkError, 119);
        return TOutcome::ocRefused;
    }
    // Everything the sequence will write must be there before anything is
    // sent: a sequence that stopped half way would leave the processor
    // overwritten by the loader, or an EEPROM blanked that nobody named.
    bench_.failStep = TFailStep::fsFiles;
    if (!HasImage(bench_.images.program, entries::kNoProgramImage)) {
        return TOutcome::ocNothing;
    }
    const bool eepromPart = bench_.eepromKind >= 0 &&
                            (bench_.options.GetAutoWriteEe() || bench_.options.GetAutoVerifyEe());
    if (eepromPart &&
        (!HasImage(bench_.images.extEeprom, entries::kNoEepromImage) || !LoaderReady())) {
        return TOutcome::ocNothing;
    }
    bench_.failStep = TFailStep::fsNone;
    if (!DeviceIdMatches()) {
        bench_.failStep = TFailStep::fsIdentification;
        return TOutcome::ocFailed;
    }
    if (bench_.eepromKind >= 0) {
        const TOutcome eeprom = AutoEepromPart();
        if (eeprom != TOutcome::ocSucceeded) {
            return eeprom;
        }
    }
    return AutoProcessorPart();
}

TOutcome TPCardCommands::AutoEepromPart() {
    TPOptionReader& options = bench_.options;
    // The sequence goes on without the loader, as the EEPROM commands do,
    // but a failing EEPROM step is then put down to the loader.
    bool loaderTaken = true;
    if (options.GetAutoWriteEe() || options.GetAutoVerifyEe()) {
        Status(86);
        loaderTaken = WriteLoader();
        if (Stopping()) {
            return Abort();
        }
    }
    if (options.GetAutoWriteEe()) {
        Status(90);
    }
    const std::string data = PaddedEepromText();
    bench_.sent.eeprom = data;
    bench_.clock.SleepMs(kModeSettleMs);
    Prog().SelectMode(1, bench_.eepromKind);
    if (options.GetAutoWriteEe()) {
        bench_.clock.SleepMs(kModeSettleMs);
        if (!Prog().WriteExtEeprom(data, EepromDevice(), &bench_.gauge)) {
            // The failure message, not the status caption "Writing eeprom...".
            return FailAt(loaderTaken ? TFailStep::fsEepromWrite : TFailStep::fsLoader, 91);
        }
    }
    if (options.GetAutoVerifyEe()) {
        if (const auto difference = EepromDifference(data)) {
            return FailWithDifference(loaderTaken ? TFailStep::fsEepromVerify : TFailStep::fsLoader,
                                      91, difference);
        }
        Prog().SelectMode(0, Kind());
    }
    Gauge(0);
    bench_.RestoreStateCaption();
    return Stopping() ? Abort() : TOutcome::ocSucceeded;
}

TOutcome TPCardCommands::AutoProcessorPart() {
    TPOptionReader& options = bench_.options;
    const bool avr = Kind() >= 8;
    const int mode = avr ? 4 : 3;
    const std::int64_t programSize = bench_.cardBox.GetPicSize();
    const int dataSize = bench_.cardBox.GetPicIntEeSize();
    std::string data;
    std::string program;
    std::string config;
    if (avr) {
        data = bench_.images.intEeprom.GetHexText(0, -1);
        program = ProgramText();
    } else {
        data = bench_.images.intEeprom.GetLowByteText(0, 4 * static_cast<std::int64_t>(dataSize));
        program = ProgramText();
        config = BuildConfigText(bench_);
    }
    bench_.sent.program = program;
    bench_.sent.intEeprom = data;
    if (options.GetAutoWritePic()) {
        Status(avr ? 124 : 125);
        Prog().SelectMode(mode, Kind());
        if (!Prog().WritePic(Kind(), dataSize, program, data, &bench_.gauge)) {
            bench_.failStep = TFailStep::fsProcessorWrite;
            return Stopping() ? Abort() : TOutcome::ocFailed;
        }
    }
    if (options.GetAutoVerifyPic()) {
        Status(avr ? 127 : 126);
        Prog().SelectMode(mode, Kind());
        const int half = static_cast<int>(program.size() / 2);
        TPicReadResult back;
        back.program =
            Prog().ReadProgramArea(Kind(), static_cast<int>(programSize), half, &bench_.gauge);
        Prog().SelectMode(mode, Kind());
        back.data = Prog().ReadDataArea(Kind(), dataSize);
        // The internal EEPROM is compared too, over the data written.
        if (const auto difference = ProcessorDifference(program, data, back)) {
            const TOutcome outcome =
                FailWithDifference(TFailStep::fsProcessorVerify, 128, difference);
            Gauge(0);
            return outcome;
        }
    }
    if (Stopping()) {
        return Abort();
    }
    TOutcome outcome = TOutcome::ocSucceeded;
    if (options.GetAutoWritePic()) {
        if (!avr) {
            if (!WriteConfigWord(config, mode)) {
                return FailAt(TFailStep::fsConfigOrLock, entries::kConfigRefused);
            }
        } else if (bench_.fuses.lock == 0 && LockSteps() != TOutcome::ocSucceeded) {
            // The sequence still ends with its message, but a card that could
            // not be locked is no finished card.
            bench_.failStep = TFailStep::fsConfigOrLock;
            outcome = TOutcome::ocFailed;
        }
    }
    return Finish(134, outcome);
}

} // namespace korvex
