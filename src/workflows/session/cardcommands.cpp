#include "workflows/session/cardcommands.h"
#include "workflows/messagewords.h"

#include "support/errors.h"
#include "workflows/cardtype/fuses.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/session/readback.h"
#include "workflows/session/timeofday.h"

#include <utility>

namespace korvex {

namespace {

// The configuration word is the last of the eight words of a PIC's
// configuration area; 0x2007 in the processor's word addresses.
constexpr std::size_t kWordChars = 4;
constexpr std::int64_t kConfigWordAddress = 0x2007;

// A row's caption as the window words it, without its colon.
int RowCaption(TFileRow row, bool avr) {
    switch (row) {
    case TFileRow::frProgram:
        return avr ? entries::kAvrRowLabel : entries::kPicRowLabel;
    case TFileRow::frEeprom:
        return entries::kEepromRowLabel;
    case TFileRow::frIntEeprom:
        return entries::kIntEepromRowLabel;
    case TFileRow::frLoader:
        break;
    }
    return -1;
}

// What a row's file is for, as a face that has no rows names it.
int RowRole(TFileRow row) {
    switch (row) {
    case TFileRow::frProgram:
        break;
    case TFileRow::frEeprom:
        return entries::kRoleEeprom;
    case TFileRow::frIntEeprom:
        return entries::kRoleIntEeprom;
    case TFileRow::frLoader:
        return entries::kRoleLoader;
    }
    return entries::kRoleProgram;
}

std::string WithoutColon(std::string caption) {
    while (!caption.empty() && (caption.back() == ':' || caption.back() == ' ')) {
        caption.pop_back();
    }
    return caption;
}

} // namespace

// Marks a command as running for its whole length, so the faces disable
// their command entry points and a second command is refused. However the
// command ends, a step's caption does not outlive it.
class TPCardCommands::TRun {
public:
    explicit TRun(TPCardCommands& commands)
        : owner_(commands), started_(commands.runState_.BeginCommand()) {
        if (!started_) {
            return;
        }
        owner_.notes_.ClearNotes();
        owner_.notes_.SetResult({});
        // A production run keeps them off between its cards as well.
        if (!owner_.runState_.ProductionRunning()) {
            owner_.view_.EnableCommands(false);
        }
        if (owner_.line_.Started()) {
            // A stop asked of the command before ends with it; one for a
            // closing window stays, so nothing runs under the close.
            if (!owner_.runState_.ClosePending()) {
                owner_.line_.Prog().ClearAbort();
            }
            owner_.line_.Prog().SetCommandRunning(true);
        }
    }
    ~TRun() {
        if (!started_) {
            return;
        }
        if (owner_.line_.Started()) {
            owner_.line_.Prog().SetCommandRunning(false);
        }
        owner_.runState_.EndCommand();
        owner_.status_.Restore();
        if (!owner_.runState_.ProductionRunning()) {
            owner_.view_.EnableCommands(true);
        }
    }
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;
    bool Started() const { return started_; }

private:
    TPCardCommands& owner_;
    bool started_;
};

TOutcome TPCardCommands::Run(TCardCommand command) {
    switch (command) {
    case TCardCommand::ccReadPic:
        return Run(&TPCardCommands::ReadPicSteps);
    case TCardCommand::ccReadEeprom:
        return Run(&TPCardCommands::ReadEepromSteps);
    case TCardCommand::ccWritePic:
        return Run(&TPCardCommands::WritePicSteps);
    case TCardCommand::ccVerifyPic:
        return Run(&TPCardCommands::VerifyPicSteps);
    case TCardCommand::ccErasePic:
        return Run(&TPCardCommands::ErasePicSteps);
    case TCardCommand::ccWriteEeprom:
        return Run(&TPCardCommands::WriteEepromSteps);
    case TCardCommand::ccVerifyEeprom:
        return Run(&TPCardCommands::VerifyEepromSteps);
    case TCardCommand::ccEraseEeprom:
        return Run(&TPCardCommands::EraseEepromSteps);
    case TCardCommand::ccAutoProgram:
        return Run(&TPCardCommands::AutoSteps);
    case TCardCommand::ccLockCard:
        return Run(&TPCardCommands::LockSteps);
    case TCardCommand::ccFirmwareVersion:
        return Run(&TPCardCommands::FirmwareSteps);
    }
    return TOutcome::ocRefused;
}

TOutcome TPCardCommands::CheckAuto() {
    return Run(&TPCardCommands::CheckAutoSteps);
}

TOutcome TPCardCommands::Run(TSteps steps) {
    TRun run(*this);
    if (!run.Started()) {
        return TOutcome::ocRefused;
    }
    run_ = {};
    try {
        run_.retries = options_.GetStepRetries();
        return (this->*steps)();
    } catch (const EKorvex& error) {
        // What throws is a file, the catalogue or the options, never the card.
        if (run_.report.failStep == TFailStep::fsNone) {
            run_.report.failStep = TFailStep::fsFiles;
        }
        TellText(TMessageKind::mkError, -1, WordedError(lang_, error));
        if (line_.Connected()) {
            Prog().SelectMode(0, Kind().Code());
        }
        Gauge(0);
        return TOutcome::ocFailed;
    }
}

// --- checks before anything is sent

bool TPCardCommands::CardReady() {
    if (line_.State() == TPCardState::csCardNotReady) {
        Tell(TMessageKind::mkError, entries::kCardNotInserted);
        return false;
    }
    if (!line_.Started() || !Prog().IsCardReady()) {
        Tell(TMessageKind::mkError, entries::kProgrammerNotConnected);
        return false;
    }
    return true;
}

bool TPCardCommands::HasEeprom() {
    if (!card_.HasEeprom()) {
        Tell(TMessageKind::mkError, entries::kNoExternalEeprom);
        return false;
    }
    return true;
}

bool TPCardCommands::DeviceIdMatches() {
    if (Kind().IsPic() || Retrying(entries::kStepIdentification, [&] {
            return Prog().CheckDeviceId(card_.IdA(), card_.IdB(), 8);
        })) {
        return true;
    }
    run_.report.failStep = TFailStep::fsIdentification;
    // What the line did not bring is no identification: the card may well
    // be the right one.
    if (run_.report.lineFault.IsFault() && !run_.report.lineProblem.empty()) {
        run_.lineProblemTold = true;
        TellText(TMessageKind::mkError, entries::kStepFailedOnLine, run_.report.lineProblem);
        return false;
    }
    Tell(TMessageKind::mkError, entries::kWrongDevice);
    return false;
}

bool TPCardCommands::Identified() {
    if (!run_.identified) {
        run_.identified = DeviceIdMatches();
    }
    return *run_.identified;
}

bool TPCardCommands::LoadFiles(std::initializer_list<TFileRow> rows) {
    const auto unusable = rows_.ReloadForCommand(rows);
    if (!unusable) {
        return true;
    }
    run_.report.failStep = TFailStep::fsFiles;
    const int caption = RowCaption(*unusable, Kind().IsAvr());
    const std::string rowName = caption < 0 ? "Loader" : WithoutColon(Text(caption));
    const std::string file =
        *unusable == TFileRow::frLoader ? rows_.WantedLoader().string() : rows_.Field(*unusable);
    TellText(TMessageKind::mkError, entries::kRowUnusable,
             FillIn(Text(entries::kRowUnusable),
                    {rowName, file, rows_.Problem(*unusable), Text(RowRole(*unusable))}));
    return false;
}

bool TPCardCommands::HasImage(const THexFileBuffer& image, int entry) {
    if (!image.GetHexText(0, -1).empty()) {
        return true;
    }
    run_.report.failStep = TFailStep::fsFiles;
    Tell(TMessageKind::mkError, entry);
    return false;
}

bool TPCardCommands::LoaderReady() {
    if (rows_.LoaderFile() && !rows_.Images().loader.GetHexText(0, -1).empty()) {
        return true;
    }
    run_.report.failStep = TFailStep::fsFiles;
    TellText(TMessageKind::mkError, entries::kLoaderMissing,
             Text(entries::kLoaderMissing) + " " + rows_.WantedLoader().string());
    return false;
}

TOutcome TPCardCommands::Nothing(int entry) {
    Tell(TMessageKind::mkError, entry);
    return TOutcome::ocNothing;
}

// --- the data a command sends

// Program sizes count words for both families: P words are 4P characters.
std::string TPCardCommands::ProgramText() const {
    const std::int64_t words = card_.ProgramWords();
    return rows_.Images().program.GetHexText(0, 4 * words - 1);
}

std::string TPCardCommands::DataText() const {
    const TPImages& images = rows_.Images();
    if (Kind().IsAvr()) {
        return images.intEeprom.GetHexText(0, -1);
    }
    return images.intEeprom.GetLowByteText(0, 4 * static_cast<std::int64_t>(card_.DataBytes()));
}

std::string TPCardCommands::ConfigText() const {
    if (Kind().IsAvr()) {
        return {};
    }
    return BuildConfigText(card_.ConfigSet(), folders_, rows_.Images().config.GetHexText(0, -1),
                           card_.Fuses().Shown());
}

std::string TPCardCommands::PaddedEepromText() const {
    const std::int64_t size = 2 * static_cast<std::int64_t>(card_.EepromBytes());
    std::string text = rows_.Images().extEeprom.GetHexText(0, size - 1);
    if (static_cast<std::int64_t>(text.size()) < size) {
        text.append(static_cast<std::size_t>(size) - text.size(), 'F');
    }
    return text;
}

bool TPCardCommands::AutoReachesEeprom() const {
    TPOptionReader& options = options_;
    return card_.HasEeprom() && (options.GetAutoWriteEe() || options.GetAutoVerifyEe());
}

std::optional<int> TPCardCommands::AutoOptionsProblem(bool everyFile) const {
    TPOptionReader& options = options_;
    const bool eepromSteps = AutoReachesEeprom();
    const bool processorWrite = options.GetAutoWritePic();
    if (!eepromSteps && !processorWrite && !options.GetAutoVerifyPic()) {
        return entries::kAutoNothingToDo;
    }
    // The EEPROM steps leave the loader in the processor; only its write
    // puts the program back.
    if (eepromSteps && !processorWrite) {
        return entries::kLoaderWouldStay;
    }
    // A lock is for a card this run wrote: one merely verified stays unlocked,
    // which a run that reported success would hide.
    if (Kind().IsAvr() && card_.Fuses().Shown().lock == 0 && !processorWrite) {
        return entries::kAutoLockWithoutWrite;
    }
    if (everyFile && !eepromSteps && card_.HasEeprom() &&
        !rows_.Field(TFileRow::frEeprom).empty()) {
        return entries::kEepromFileLeftOut;
    }
    return std::nullopt;
}

// --- steps

bool TPCardCommands::WriteLoader() {
    const TPImages& images = rows_.Images();
    const std::string loader = images.loader.GetHexText(0, -1);
    const std::string loaderConfig =
        Kind().IsPic() ? images.loaderConfig.GetHexText(0, -1) : std::string();
    if (!Identified()) {
        return false;
    }
    return Retrying(entries::kStepLoader, [&] {
        if (!Prog().WritePic(Kind().Code(), card_.DataBytes(), loader, "", &gauge_)) {
            return false;
        }
        bool configured = true;
        if (Kind().IsPic()) {
            Prog().SelectMode(Kind().ProcessorMode(), Kind().Code());
            configured = Prog().WriteConfigArea(loaderConfig, Kind().Code());
        }
        Prog().SelectMode(0, Kind().Code());
        return configured;
    });
}

// Without the loader the programmer cannot reach the EEPROM: a command that
// went on would only fail later, or work through whatever the processor held.
std::optional<TOutcome> TPCardCommands::ReachEeprom(int question) {
    // Nobody is asked about a card that would be refused.
    if (!Identified()) {
        return TOutcome::ocFailed;
    }
    if (!prompts_.Ask(question, Text(question), TAnswer::anYes)) {
        return TOutcome::ocRefused;
    }
    Status(entries::kWritingLoader);
    const bool taken = WriteLoader();
    if (Stopping()) {
        return Abort();
    }
    if (!taken) {
        return FailAt(TFailStep::fsLoader, entries::kLoaderNotWritten);
    }
    return std::nullopt;
}

// A verify's read that went wrong on the line is read again; what a read
// that went through finds is the card's.
TVerifyFinding TPCardCommands::ProcessorDifference(const std::string& program,
                                                   const std::string& data) {
    TVerifyFinding finding;
    finding.unread = !Retrying(entries::kStepProcessorVerify, [&] {
        TPicReadResult back;
        Prog().VerifyPic(program, data, Kind().Code(), &gauge_, &back);
        finding.difference = FirstOf(FindDifference(TMemorySpace::msProgram, program, back.program),
                                     FindDifference(TMemorySpace::msDataEeprom, data, back.data));
        return !Prog().LastFault().IsFault();
    });
    run_.report.done.processorVerified = !finding;
    return finding;
}

// An answer to the word's frame that cannot be judged says nothing of the
// card: before the word is sent again, the card is asked whether it holds it.
bool TPCardCommands::WriteConfigWord(const std::string& config) {
    bool again = false;
    const bool taken = Retrying(entries::kStepConfigWord, [&] {
        if (std::exchange(again, true) && !ReadConfigDifference(config) &&
            !Prog().LastFault().IsFault()) {
            return true;
        }
        Prog().SelectMode(Kind().ProcessorMode(), Kind().Code());
        return Prog().WriteConfigArea(config, Kind().Code());
    });
    if (taken && config.size() >= kWordChars) {
        run_.report.done.configWord = config.substr(config.size() - kWordChars);
    }
    return taken;
}

std::optional<TPDifference> TPCardCommands::ReadConfigDifference(const std::string& config) {
    if (config.size() < kWordChars) {
        return std::nullopt;
    }
    Prog().SelectMode(Kind().ProcessorMode(), Kind().Code());
    const std::string back = Prog().ReadConfigArea(Kind().Code());
    Prog().SelectMode(0, Kind().Code());
    const std::string word = config.substr(config.size() - kWordChars);
    const std::string backWord =
        back.size() >= config.size() ? back.substr(config.size() - kWordChars, kWordChars) : "";
    auto difference = FindDifference(TMemorySpace::msConfig, word, backWord);
    if (difference) {
        difference->address = kConfigWordAddress;
    }
    return difference;
}

TVerifyFinding TPCardCommands::ConfigDifference(const std::string& config) {
    TVerifyFinding finding;
    finding.unread = !Retrying(entries::kStepConfigWordVerify, [&] {
        finding.difference = ReadConfigDifference(config);
        return !Prog().LastFault().IsFault();
    });
    return finding;
}

TVerifyFinding TPCardCommands::EepromDifference(const std::string& data) {
    Status(entries::kVerifyingEeprom);
    TVerifyFinding finding;
    finding.unread = !Retrying(entries::kStepEepromVerify, [&] {
        Prog().SelectMode(0, Kind().Code());
        Prog().SelectMode(2, card_.EepromKind());
        const std::string back = Prog().ReadExtEeprom(card_.EepromDevice(), card_.EepromBytes(),
                                                      static_cast<int>(data.size()), &gauge_);
        finding.difference = FindDifference(TMemorySpace::msExtEeprom, data, back);
        return !Prog().LastFault().IsFault();
    });
    run_.report.done.eepromVerified = !finding;
    return finding;
}

// The selection of the EEPROM's mode starts its running address again: a
// write tried again starts there, never where a packet of unknown fate left it.
bool TPCardCommands::WriteEeprom(const std::string& text) {
    bool again = false;
    run_.report.done.eepromWritten = Retrying(entries::kStepEepromWrite, [&] {
        if (std::exchange(again, true)) {
            Prog().SelectMode(1, card_.EepromKind());
        }
        return Prog().WriteExtEeprom(text, card_.EepromDevice(), &gauge_);
    });
    return run_.report.done.eepromWritten;
}

// A program memory write runs again from its erase: flash bits only clear.
bool TPCardCommands::WriteProcessor(const std::string& program, const std::string& data) {
    if (!Identified()) {
        return false;
    }
    run_.report.done.processorWritten = Retrying(entries::kStepProcessorWrite, [&] {
        return Prog().WritePic(Kind().Code(), card_.DataBytes(), program, data, &gauge_);
    });
    return run_.report.done.processorWritten;
}

bool TPCardCommands::Lock() {
    if (!Identified()) {
        return false;
    }
    Status(entries::kLockingCard);
    run_.report.done.locked =
        Retrying(entries::kStepLock, [&] { return Prog().LockCard(Kind().Code(), card_.IdB()); });
    return run_.report.done.locked;
}

void TPCardCommands::Note(const std::string& text) {
    if (line_.Started() && Prog().LogMemo() != nullptr) {
        Prog().LogMemo()->Add(text);
    }
    notes_.AddNote(text);
    view_.ShowNote(text);
}

void TPCardCommands::NoteLineFault(int name, const TTransportFault& fault) {
    run_.report.lineFault = fault;
    run_.report.lineProblem.clear();
    if (Stopping()) {
        return;
    }
    if (Prog().LineGone()) {
        run_.report.lineProblem =
            FillIn(Text(entries::kPortGone), {line_.PortName().text, FaultWords(lang_, fault)});
    } else if (fault.kind == TTransportFaultKind::tfNoAnswer &&
               Prog().LastAnswer() == TTransportFaultKind::tfNoAnswer) {
        // Still silent after the failure, not an answer lost on the way.
        run_.report.lineProblem =
            FillIn(Text(entries::kProgrammerSilent),
                   {TimeOfDay(clock_, Prog().LastHeardMs()), FaultWords(lang_, fault)});
    } else if (fault.MayRetry() || fault.kind == TTransportFaultKind::tfNoCard) {
        // The last try's fault, or the card taken out: the tries before it
        // were told as they failed.
        run_.report.lineProblem =
            FillIn(Text(entries::kStepFailedOnLine), {Text(name), FaultWords(lang_, fault)});
    }
}

void TPCardCommands::Release() {
    if (!Prog().LineGone() && !Prog().Released()) {
        Prog().SelectMode(0, Kind().Code());
    }
}

// --- how a command ends

void TPCardCommands::Status(int entry) {
    status_.ShowStep(entry);
}

void TPCardCommands::Gauge(int percent) {
    gauge_.SetProgress(percent);
}

bool TPCardCommands::Stopping() const {
    return line_.Started() && line_.Prog().AbortRequested();
}

void TPCardCommands::Tell(TMessageKind kind, int entry) {
    TellText(kind, entry, Text(entry));
}

// Every message ends its command: the box comes once the gauge and the
// status panel show the card again, not over a step's caption at 100 %.
void TPCardCommands::TellText(TMessageKind kind, int entry, const std::string& text) {
    if (Stopping()) {
        return;
    }
    // A success leaves the gauge full behind its message: the transfer did
    // run to its end.
    Gauge(kind == TMessageKind::mkInformation ? 100 : 0);
    status_.Restore();
    std::string shown = text;
    if (kind == TMessageKind::mkError && !run_.report.lineProblem.empty() &&
        !run_.lineProblemTold) {
        run_.lineProblemTold = true;
        shown += "\r\n" + run_.report.lineProblem;
    }
    if (run_.report.message.empty()) {
        run_.report.message = shown;
    }
    prompts_.ShowMessage(kind, entry, shown);
}

TOutcome TPCardCommands::Abort() {
    Release();
    Gauge(0);
    return TOutcome::ocAborted;
}

TOutcome TPCardCommands::Fail(int entry) {
    if (Stopping()) {
        return Abort();
    }
    Release();
    Tell(TMessageKind::mkError, entry);
    Gauge(0);
    return TOutcome::ocFailed;
}

TOutcome TPCardCommands::FailAt(TFailStep step, int entry) {
    run_.report.failStep = step;
    return Fail(entry);
}

std::string TPCardCommands::DifferenceLine(const TPDifference& difference) const {
    int entry = entries::kDifferenceEeprom;
    switch (difference.space) {
    case TMemorySpace::msProgram:
        entry = entries::kDifferenceProgram;
        break;
    case TMemorySpace::msDataEeprom:
        entry = entries::kDifferenceDataEeprom;
        break;
    case TMemorySpace::msConfig:
        entry = entries::kDifferenceConfig;
        break;
    case TMemorySpace::msExtEeprom:
        break;
    }
    const std::string found =
        difference.found.empty() ? Text(entries::kDifferenceNothing) : difference.found;
    return FillIn(Text(entry), {AddressText(difference.address), difference.expected, found,
                                std::to_string(difference.differingBytes)});
}

// Only part of the card came back: what that part shows is no difference of
// the card's, and a card the user would scrap for it may be good. The
// message is the line's failure alone, whatever the step's own would say.
void TPCardCommands::TellFinding(TMessageKind kind, int entry, const TVerifyFinding& finding) {
    if (finding.unread) {
        run_.report.difference.reset();
        Tell(TMessageKind::mkError, entries::kVerifyNotReadWhole);
        return;
    }
    run_.report.difference = finding.difference;
    std::string text = Text(entry);
    if (finding.difference) {
        const std::string line = DifferenceLine(*finding.difference);
        text += "\n" + line;
        if (line_.Started() && Prog().LogMemo() != nullptr) {
            Prog().LogMemo()->Add(line);
        }
    }
    TellText(kind, entry, text);
}

TOutcome TPCardCommands::FailWithDifference(TFailStep step, int entry,
                                            const TVerifyFinding& finding) {
    run_.report.failStep = step;
    if (Stopping()) {
        return Abort();
    }
    Release();
    TellFinding(TMessageKind::mkError, entry, finding);
    Gauge(0);
    return TOutcome::ocFailed;
}

// 99 says the card matches and 98 that it differs, for every memory. A
// difference is a warning: the command ran, the card is not as the files.
TOutcome TPCardCommands::VerifyResult(const TVerifyFinding& finding) {
    Release();
    if (Stopping()) {
        return Abort();
    }
    Gauge(0);
    if (!finding) {
        Tell(TMessageKind::mkInformation, entries::kVerifyOk);
        return TOutcome::ocSucceeded;
    }
    TellFinding(TMessageKind::mkWarning, entries::kVerifyFailed, finding);
    return TOutcome::ocFailed;
}

TOutcome TPCardCommands::Finish(int entry) {
    Prog().SelectMode(0, Kind().Code());
    if (Stopping()) {
        return Abort();
    }
    Tell(TMessageKind::mkInformation, entry);
    return TOutcome::ocSucceeded;
}

// --- reads, the firmware query and the lock

TOutcome TPCardCommands::ReadPicSteps() {
    if (!CardReady()) {
        return TOutcome::ocRefused;
    }
    if (!Identified()) {
        return TOutcome::ocFailed;
    }
    const bool avr = Kind().IsAvr();
    Status(avr ? entries::kReadingFlash : entries::kReadingPic);
    const int programCount = Kind().ProgramReadCount(card_.ProgramWords());
    TPicReadResult read;
    Retrying(entries::kStepRead, [&] {
        read = Prog().ReadPic(Kind().Code(), programCount, card_.DataBytes(), &gauge_);
        return read.ok;
    });
    TOutcome outcome = read.ok ? TOutcome::ocSucceeded : TOutcome::ocFailed;
    if (Stopping()) {
        outcome = Abort();
    } else if (read.ok) {
        Gauge(0);
        status_.Restore();
        TPReadBack readBack(avr, false, read.config, read.data, read.program);
        view_.ShowReadBack(readBack);
    }
    Gauge(0);
    return outcome;
}

TOutcome TPCardCommands::ReadEepromSteps() {
    if (!CardReady() || !HasEeprom()) {
        return TOutcome::ocRefused;
    }
    if (!LoadFiles({TFileRow::frLoader}) || !LoaderReady()) {
        return TOutcome::ocNothing;
    }
    if (const auto ended = ReachEeprom(entries::kAskReadEeprom)) {
        return *ended;
    }
    Status(entries::kReadingEeprom);
    std::string text;
    // A read cut short is no EEPROM image: it is reported like no data at all.
    const bool complete = Retrying(entries::kStepRead, [&] {
        Prog().SelectMode(0, Kind().Code());
        Prog().SelectMode(2, card_.EepromKind());
        text = Prog().ReadExtEeprom(card_.EepromDevice(), 2 * card_.EepromBytes(), 0, &gauge_);
        return Prog().LastReadComplete();
    });
    Prog().SelectMode(0, Kind().Code());
    if (Stopping()) {
        return Abort();
    }
    Gauge(0);
    if (text.empty() || !complete) {
        Tell(TMessageKind::mkError, entries::kEepromNotRead);
        return TOutcome::ocFailed;
    }
    status_.Restore();
    TPReadBack readBack(false, true, "", "", text);
    view_.ShowReadBack(readBack);
    return TOutcome::ocSucceeded;
}

TOutcome TPCardCommands::FirmwareSteps() {
    const int version = line_.Started() ? Prog().GetFirmwareVersion() : 0;
    if (version <= -1) {
        prompts_.ShowPlain(Text(entries::kFirmwareTitle), Text(entries::kNotConnected));
        return TOutcome::ocFailed;
    }
    prompts_.ShowPlain(Text(entries::kFirmwareTitle),
                       Text(entries::kFirmwareVersion) + " : " + std::to_string(version));
    // 0 is what a programmer that is not there, or is busy, gives.
    return version > 0 ? TOutcome::ocSucceeded : TOutcome::ocFailed;
}

TOutcome TPCardCommands::LockSteps() {
    if (line_.State() == TPCardState::csCardNotReady) {
        Tell(TMessageKind::mkError, entries::kLockCardNotReady);
        return TOutcome::ocRefused;
    }
    if (line_.State() != TPCardState::csCardReady || !line_.Started()) {
        Tell(TMessageKind::mkError, entries::kNotConnectedOrNoCard);
        return TOutcome::ocRefused;
    }
    if (!Identified()) {
        return TOutcome::ocFailed;
    }
    if (!Lock()) {
        return FailAt(TFailStep::fsConfigOrLock, entries::kLockNotConfirmed);
    }
    Gauge(0);
    return TOutcome::ocSucceeded;
}

} // namespace korvex
