// Write, verify and erase of the card's processor.
#include "workflows/entries.h"
#include "workflows/session/cardcommands.h"

namespace korvex {

// With the write off and the verify on, Write Pic is a verify and says so;
// it never calls a card written that it did not write, nor locks one.
TOutcome TPCardCommands::WritePicSteps() {
    if (!CardReady()) {
        return TOutcome::ocRefused;
    }
    const bool avr = Kind().IsAvr();
    const bool write = options_.GetWritePicWrite();
    const bool verify = options_.GetWritePicVerify();
    if (!write && !verify) {
        return Nothing(entries::kWritePicNothingToDo);
    }
    const bool lock = avr && card_.Fuses().Shown().lock == 0;
    if (lock && !write) {
        return Nothing(entries::kLockWithoutWrite);
    }
    if (!LoadFiles({TFileRow::frProgram, TFileRow::frIntEeprom}) ||
        !HasImage(rows_.Images().program, entries::kNoProgramImage)) {
        return TOutcome::ocNothing;
    }
    const std::string program = ProgramText();
    const std::string data = DataText();
    const std::string config = ConfigText();
    run_.report.sent.program = program;
    run_.report.sent.intEeprom = data;
    if (!Identified()) {
        return TOutcome::ocFailed;
    }
    if (OnGoingAhead) {
        OnGoingAhead();
    }
    if (!write) {
        return VerifyResult(ProcessorAndConfigDifference(program, data, config));
    }
    Status(avr ? entries::kWritingFlash : entries::kWritingPic);
    if (const auto ended = WriteProcessorChecked(verify, program, data)) {
        return *ended;
    }
    if (const auto ended = ConfigOrLockStep(config, verify, lock)) {
        return *ended;
    }
    return Finish(avr ? entries::kFlashWritten : entries::kPicWritten);
}

// The card is only written once it holds its configuration word (a PIC), or
// is locked as asked (an AVR): a card that could not be is no finished card.
std::optional<TOutcome> TPCardCommands::ConfigOrLockStep(const std::string& config, bool verify,
                                                         bool lock) {
    if (Stopping()) {
        return Abort();
    }
    if (!Kind().IsAvr()) {
        if (!WriteConfigWord(config)) {
            return FailAt(TFailStep::fsConfigOrLock, entries::kConfigRefused);
        }
        if (verify) {
            if (const auto difference = ConfigDifference(config)) {
                return FailWithDifference(TFailStep::fsConfigOrLock,
                                          entries::kVerifyAfterWriteFailed, difference);
            }
        }
    } else if (lock && !Lock()) {
        return FailAt(TFailStep::fsConfigOrLock, entries::kLockNotConfirmed);
    }
    return std::nullopt;
}

std::optional<TOutcome> TPCardCommands::WriteProcessorChecked(bool verify,
                                                              const std::string& program,
                                                              const std::string& data) {
    if (!WriteProcessor(program, data)) {
        run_.report.failStep = TFailStep::fsProcessorWrite;
        return Stopping() ? Abort() : TOutcome::ocFailed;
    }
    if (progress_ != nullptr) {
        progress_->Written();
    }
    if (verify) {
        Status(Kind().IsAvr() ? entries::kVerifyingFlash : entries::kVerifyingPic);
        if (const auto difference = ProcessorDifference(program, data)) {
            return FailWithDifference(TFailStep::fsProcessorVerify,
                                      entries::kVerifyAfterWriteFailed, difference);
        }
    }
    return std::nullopt;
}

TVerifyFinding TPCardCommands::ProcessorAndConfigDifference(const std::string& program,
                                                            const std::string& data,
                                                            const std::string& config) {
    Status(Kind().IsAvr() ? entries::kVerifyingFlash : entries::kVerifyingPic);
    auto difference = ProcessorDifference(program, data);
    if (!difference && !Stopping()) {
        difference = ConfigDifference(config);
    }
    return difference;
}

// The card is compared with the files as they are now: without an image
// there is nothing to compare, and comparing nothing must never read as a
// match. A PIC's configuration word is compared too.
TOutcome TPCardCommands::VerifyPicSteps() {
    if (!CardReady()) {
        return TOutcome::ocRefused;
    }
    if (!LoadFiles({TFileRow::frProgram, TFileRow::frIntEeprom}) ||
        !HasImage(rows_.Images().program, entries::kNothingToVerifyProgram)) {
        return TOutcome::ocNothing;
    }
    if (!Identified()) {
        return TOutcome::ocFailed;
    }
    const TPImages& images = rows_.Images();
    const bool avr = Kind().IsAvr();
    const std::string program = images.program.GetHexText(0, -1);
    const std::string data =
        avr ? images.intEeprom.GetHexText(0, -1) : images.intEeprom.GetLowByteText(0, -1);
    run_.report.sent.program = program;
    run_.report.sent.intEeprom = data;
    return VerifyResult(ProcessorAndConfigDifference(program, data, ConfigText()));
}

// The window shows nothing after an erase that went through, but one the
// programmer did not confirm is a failure the user must see.
TOutcome TPCardCommands::ErasePicSteps() {
    if (!CardReady()) {
        return TOutcome::ocRefused;
    }
    if (!Identified()) {
        return TOutcome::ocFailed;
    }
    const bool avr = Kind().IsAvr();
    Status(avr ? entries::kErasingFlash : entries::kErasingPic);
    const bool erased = Retrying(entries::kStepErase, [&] {
        Prog().SelectMode(Kind().ProcessorMode(), Kind().Code());
        return Prog().EraseChip(Kind().Code());
    });
    Prog().SelectMode(0, Kind().Code());
    if (Stopping()) {
        return Abort();
    }
    if (!erased) {
        return Fail(entries::kEraseNotConfirmed);
    }
    Gauge(0);
    return TOutcome::ocSucceeded;
}

} // namespace korvex
