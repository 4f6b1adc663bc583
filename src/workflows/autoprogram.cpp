// Auto program: the production sequence of one card, external EEPROM first,
// then the processor, then its configuration word or lock.
#include "workflows/cardcommands.h"
#include "workflows/entries.h"

namespace korvex {

namespace {

constexpr int kModeSettleMs = 10;

} // namespace

// The options are read once, at the start, and judged before anything is
// sent: a sequence whose options leave it nothing to do, or would leave the
// loader in the processor, does not start.
TOutcome TPCardCommands::AutoSteps() {
    TPOptionReader& options = bench_.options;
    const bool eepromWrite = options.GetAutoWriteEe();
    const bool eepromVerify = options.GetAutoVerifyEe();
    const bool picWrite = options.GetAutoWritePic();
    const bool picVerify = options.GetAutoVerifyPic();
    const bool eepromPart = bench_.card.HasEeprom() && (eepromWrite || eepromVerify);

    // Everything the sequence will write must be there before anything is
    // sent: a sequence that stopped half way would leave the processor
    // overwritten by the loader, or an EEPROM blanked that nobody named.
    const bool filesUsable = eepromPart ? LoadFiles({TFileRow::frProgram, TFileRow::frIntEeprom,
                                                     TFileRow::frEeprom, TFileRow::frLoader})
                                        : LoadFiles({TFileRow::frProgram, TFileRow::frIntEeprom});
    if (!filesUsable) {
        return TOutcome::ocNothing;
    }
    if (bench_.line.State() != TPCardState::csCardReady || !bench_.line.Started()) {
        Tell(TMessageKind::mkError, entries::kNotConnectedOrNoCard);
        return TOutcome::ocRefused;
    }
    if (const auto problem = AutoOptionsProblem(false)) {
        report_.failStep = TFailStep::fsFiles;
        return Nothing(*problem);
    }
    if (!HasImage(bench_.rows.Images().program, entries::kNoProgramImage)) {
        return TOutcome::ocNothing;
    }
    if (eepromPart &&
        (!HasImage(bench_.rows.Images().extEeprom, entries::kNoEepromImage) || !LoaderReady())) {
        return TOutcome::ocNothing;
    }
    // The images as the files give them, then with the card's own serial
    // values laid in: the files on disk are never changed.
    TCardImages images{eepromPart ? PaddedEepromText() : std::string(), DataText(), ProgramText()};
    report_.fileImages = {images.program, images.eeprom, images.intEeprom};
    std::optional<TPCardSerials> serials = CardTypeSerials();
    if (serials) {
        if (!picWrite || (!eepromWrite && serials->Uses(TSerialMemory::smEeprom))) {
            return Nothing(entries::kSerialNeedsWrite);
        }
        serials->CheckPlaces(images, CardMemories(bench_.card, eepromPart));
    }
    if (!Identified()) {
        return TOutcome::ocFailed;
    }
    if (serials && !ClaimSerials(*serials, images)) {
        return TOutcome::ocFailed;
    }
    const TOutcome outcome =
        AutoCard(images, eepromPart, eepromWrite, eepromVerify, picWrite, picVerify);
    if (serials) {
        SpendSerials(*serials, outcome);
    }
    return outcome;
}

TOutcome TPCardCommands::AutoCard(const TCardImages& images, bool eepromPart, bool eepromWrite,
                                  bool eepromVerify, bool picWrite, bool picVerify) {
    report_.sent = {images.program, images.eeprom, images.intEeprom};
    if (eepromPart) {
        const TOutcome eeprom = AutoEepromPart(eepromWrite, eepromVerify, images.eeprom);
        if (eeprom != TOutcome::ocSucceeded) {
            return eeprom;
        }
    }
    return AutoProcessorPart(picWrite, picVerify, images.program, images.intEeprom);
}

TOutcome TPCardCommands::AutoEepromPart(bool write, bool verify, const std::string& data) {
    Status(entries::kWritingLoader);
    const bool loaderTaken = WriteLoader();
    if (Stopping()) {
        return Abort();
    }
    if (!loaderTaken) {
        return FailAt(TFailStep::fsLoader, entries::kLoaderNotWritten);
    }
    if (write) {
        Status(entries::kWritingEeprom);
    }
    bench_.clock.SleepMs(kModeSettleMs);
    Prog().SelectMode(1, bench_.card.EepromKind());
    if (write) {
        bench_.clock.SleepMs(kModeSettleMs);
        if (!WriteEeprom(data)) {
            // The failure message, not the status caption "Writing eeprom...".
            return FailAt(TFailStep::fsEepromWrite, entries::kEepromWriteFailed);
        }
    }
    if (verify) {
        if (const auto difference = EepromDifference(data)) {
            return FailWithDifference(TFailStep::fsEepromVerify, entries::kEepromWriteFailed,
                                      difference);
        }
        Prog().SelectMode(0, Kind().Code());
    }
    Gauge(0);
    bench_.status.Restore();
    return Stopping() ? Abort() : TOutcome::ocSucceeded;
}

// With the processor write off only a verify is left: the sequence reports
// it as a verify, and writes no configuration word and locks nothing.
TOutcome TPCardCommands::AutoProcessorPart(bool write, bool verify, const std::string& program,
                                           const std::string& data) {
    const bool avr = Kind().IsAvr();
    const std::string config = ConfigText();
    if (write) {
        Status(avr ? entries::kWritingFlash : entries::kWritingPic);
        Prog().SelectMode(Kind().ProcessorMode(), Kind().Code());
        if (!WriteProcessor(program, data)) {
            report_.failStep = TFailStep::fsProcessorWrite;
            return Stopping() ? Abort() : TOutcome::ocFailed;
        }
    }
    if (verify) {
        Status(avr ? entries::kVerifyingFlash : entries::kVerifyingPic);
        auto difference = ProcessorDifference(program, data);
        if (!write) {
            if (!difference && !Stopping()) {
                difference = ConfigDifference(config);
            }
            report_.failStep = difference ? TFailStep::fsProcessorVerify : TFailStep::fsNone;
            return VerifyResult(difference);
        }
        if (difference) {
            return FailWithDifference(TFailStep::fsProcessorVerify,
                                      entries::kVerifyAfterWriteFailed, difference);
        }
    }
    if (const auto ended =
            ConfigOrLockStep(config, verify, bench_.card.Fuses().Shown().lock == 0)) {
        return *ended;
    }
    return Finish(entries::kAutoFinished);
}

} // namespace korvex
