// Auto program: the production sequence of one card, external EEPROM first,
// then the processor, then its configuration word or lock.
#include "workflows/entries.h"
#include "workflows/session/cardcommands.h"

namespace korvex {

namespace {

constexpr int kModeSettleMs = 10;

} // namespace

// The options are read once, at the start, and judged before anything is
// sent: a sequence whose options leave it nothing to do, or would leave the
// loader in the processor, does not start.
std::optional<TOutcome> TPCardCommands::PlanAuto(TAutoPlan& plan, bool card) {
    TPOptionReader& options = options_;
    plan.eepromWrite = options.GetAutoWriteEe();
    plan.eepromVerify = options.GetAutoVerifyEe();
    plan.picWrite = options.GetAutoWritePic();
    plan.picVerify = options.GetAutoVerifyPic();
    plan.eepromPart = AutoReachesEeprom();

    // Everything the sequence will write must be there before anything is
    // sent: a sequence that stopped half way would leave the processor
    // overwritten by the loader, or an EEPROM blanked that nobody named.
    const bool filesUsable = plan.eepromPart
                                 ? LoadFiles({TFileRow::frProgram, TFileRow::frIntEeprom,
                                              TFileRow::frEeprom, TFileRow::frLoader})
                                 : LoadFiles({TFileRow::frProgram, TFileRow::frIntEeprom});
    if (!filesUsable) {
        return TOutcome::ocNothing;
    }
    if (card && (line_.State() != TPCardState::csCardReady || !line_.Started())) {
        Tell(TMessageKind::mkError, entries::kNotConnectedOrNoCard);
        return TOutcome::ocRefused;
    }
    if (const auto problem = AutoOptionsProblem(false)) {
        run_.report.failStep = TFailStep::fsFiles;
        return Nothing(*problem);
    }
    if (!HasImage(rows_.Images().program, entries::kNoProgramImage)) {
        return TOutcome::ocNothing;
    }
    if (plan.eepromPart &&
        (!HasImage(rows_.Images().extEeprom, entries::kNoEepromImage) || !LoaderReady())) {
        return TOutcome::ocNothing;
    }
    // The images as the files give them, then with the card's own serial
    // values laid in: the files on disk are never changed.
    plan.images = {plan.eepromPart ? PaddedEepromText() : std::string(), DataText(), ProgramText()};
    run_.report.fileImages = {plan.images.program, plan.images.eeprom, plan.images.intEeprom};
    CardTypeSerials(plan.serials);
    if (plan.serials) {
        if (!plan.picWrite || (!plan.eepromWrite && plan.serials->Uses(TSerialMemory::smEeprom))) {
            return Nothing(entries::kSerialNeedsWrite);
        }
        plan.serials->CheckPlaces(plan.images, CardMemories(card_, plan.eepromPart));
        // A value is only claimed for a card it can go onto.
        run_.report.failStep = TFailStep::fsSerial;
        plan.serials->CheckNextValues(plan.images, Kind().IsAvr());
        run_.report.failStep = TFailStep::fsNone;
    }
    return std::nullopt;
}

TOutcome TPCardCommands::CheckAutoSteps() {
    TAutoPlan plan;
    return PlanAuto(plan, false).value_or(TOutcome::ocSucceeded);
}

TOutcome TPCardCommands::AutoSteps() {
    TAutoPlan plan;
    if (const auto refused = PlanAuto(plan, true)) {
        return *refused;
    }
    if (!Identified()) {
        return TOutcome::ocFailed;
    }
    if (plan.serials && !ClaimSerials(*plan.serials, plan.images)) {
        return TOutcome::ocFailed;
    }
    if (OnGoingAhead) {
        OnGoingAhead();
    }
    const TOutcome outcome = AutoCard(plan.images, plan.eepromPart, plan.eepromWrite,
                                      plan.eepromVerify, plan.picWrite, plan.picVerify);
    if (progress_ != nullptr) {
        progress_->Finished(outcome);
    }
    if (plan.serials) {
        SpendSerials(*plan.serials, OutcomeWord(outcome));
    }
    return outcome;
}

TOutcome TPCardCommands::AutoCard(const TCardImages& images, bool eepromPart, bool eepromWrite,
                                  bool eepromVerify, bool picWrite, bool picVerify) {
    run_.report.sent = {images.program, images.eeprom, images.intEeprom};
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
    clock_.SleepMs(kModeSettleMs);
    Prog().SelectMode(1, card_.EepromKind());
    if (write) {
        clock_.SleepMs(kModeSettleMs);
    }
    if (const auto ended = WriteEepromChecked(write, verify, data)) {
        return *ended;
    }
    if (verify) {
        Prog().SelectMode(0, Kind().Code());
    }
    Gauge(0);
    status_.Restore();
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
        if (const auto ended = WriteProcessorChecked(verify, program, data)) {
            return *ended;
        }
    } else if (verify) {
        const auto difference = ProcessorAndConfigDifference(program, data, config);
        run_.report.failStep = difference ? TFailStep::fsProcessorVerify : TFailStep::fsNone;
        return VerifyResult(difference);
    }
    if (const auto ended = ConfigOrLockStep(config, verify, card_.Fuses().Shown().lock == 0)) {
        return *ended;
    }
    return Finish(entries::kAutoFinished);
}

} // namespace korvex
