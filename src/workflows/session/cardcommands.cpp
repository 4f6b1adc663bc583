#include "workflows/session/cardcommands.h"
#include "workflows/messagewords.h"

#include "support/errors.h"
#include "workflows/cardtype/fuses.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/session/readback.h"

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
    explicit TRun(TPWorkbench& bench) : bench_(bench), started_(bench.run.BeginCommand()) {
        if (!started_) {
            return;
        }
        bench_.notes.clear();
        bench_.result = {};
        // A production run keeps them off between its cards as well.
        if (!bench_.run.ProductionRunning()) {
            bench_.view.EnableCommands(false);
        }
        if (bench_.line.Started()) {
            // A stop asked of the command before ends with it; one for a
            // closing window stays, so nothing runs under the close.
            if (!bench_.run.ClosePending()) {
                bench_.line.Prog().ClearAbort();
            }
            bench_.line.Prog().SetCommandRunning(true);
        }
    }
    ~TRun() {
        if (!started_) {
            return;
        }
        if (bench_.line.Started()) {
            bench_.line.Prog().SetCommandRunning(false);
        }
        bench_.run.EndCommand();
        bench_.status.Restore();
        if (!bench_.run.ProductionRunning()) {
            bench_.view.EnableCommands(true);
        }
    }
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;
    bool Started() const { return started_; }

private:
    TPWorkbench& bench_;
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
    TRun run(bench_);
    if (!run.Started()) {
        return TOutcome::ocRefused;
    }
    run_ = {};
    try {
        run_.retries = bench_.options.GetStepRetries();
        return (this->*steps)();
    } catch (const EKorvex& error) {
        // What throws is a file, the catalogue or the options, never the card.
        if (run_.report.failStep == TFailStep::fsNone) {
            run_.report.failStep = TFailStep::fsFiles;
        }
        TellText(TMessageKind::mkError, -1, WordedError(bench_.lang, error));
        if (bench_.line.Connected()) {
            Prog().SelectMode(0, Kind().Code());
        }
        Gauge(0);
        return TOutcome::ocFailed;
    }
}

// --- checks before anything is sent

bool TPCardCommands::CardReady() {
    if (bench_.line.State() == TPCardState::csCardNotReady) {
        Tell(TMessageKind::mkError, entries::kCardNotInserted);
        return false;
    }
    if (!bench_.line.Started() || !Prog().IsCardReady()) {
        Tell(TMessageKind::mkError, entries::kProgrammerNotConnected);
        return false;
    }
    return true;
}

bool TPCardCommands::HasEeprom() {
    if (!bench_.card.HasEeprom()) {
        Tell(TMessageKind::mkError, entries::kNoExternalEeprom);
        return false;
    }
    return true;
}

bool TPCardCommands::DeviceIdMatches() {
    if (Kind().IsPic() || Retrying(entries::kStepIdentification, [&] {
            return Prog().CheckDeviceId(bench_.card.IdA(), bench_.card.IdB(), 8);
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
    const auto unusable = bench_.rows.ReloadForCommand(rows);
    if (!unusable) {
        return true;
    }
    run_.report.failStep = TFailStep::fsFiles;
    const int caption = RowCaption(*unusable, Kind().IsAvr());
    const std::string rowName = caption < 0 ? "Loader" : WithoutColon(bench_.Text(caption));
    const std::string file = *unusable == TFileRow::frLoader ? bench_.rows.WantedLoader().string()
                                                             : bench_.rows.Field(*unusable);
    TellText(
        TMessageKind::mkError, entries::kRowUnusable,
        FillIn(bench_.Text(entries::kRowUnusable),
               {rowName, file, bench_.rows.Problem(*unusable), bench_.Text(RowRole(*unusable))}));
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
    if (bench_.rows.LoaderFile() && !bench_.rows.Images().loader.GetHexText(0, -1).empty()) {
        return true;
    }
    run_.report.failStep = TFailStep::fsFiles;
    TellText(TMessageKind::mkError, entries::kLoaderMissing,
             bench_.Text(entries::kLoaderMissing) + " " + bench_.rows.WantedLoader().string());
    return false;
}

TOutcome TPCardCommands::Nothing(int entry) {
    Tell(TMessageKind::mkError, entry);
    return TOutcome::ocNothing;
}

// --- the data a command sends

// Program sizes count words for both families: P words are 4P characters.
std::string TPCardCommands::ProgramText() const {
    const std::int64_t words = bench_.card.ProgramWords();
    return bench_.rows.Images().program.GetHexText(0, 4 * words - 1);
}

std::string TPCardCommands::DataText() const {
    const TPImages& images = bench_.rows.Images();
    if (Kind().IsAvr()) {
        return images.intEeprom.GetHexText(0, -1);
    }
    return images.intEeprom.GetLowByteText(0,
                                           4 * static_cast<std::int64_t>(bench_.card.DataBytes()));
}

std::string TPCardCommands::ConfigText() const {
    if (Kind().IsAvr()) {
        return {};
    }
    return BuildConfigText(bench_.card.ConfigSet(), bench_.dataFolders,
                           bench_.rows.Images().config.GetHexText(0, -1),
                           bench_.card.Fuses().Shown());
}

std::string TPCardCommands::PaddedEepromText() const {
    const std::int64_t size = 2 * static_cast<std::int64_t>(bench_.card.EepromBytes());
    std::string text = bench_.rows.Images().extEeprom.GetHexText(0, size - 1);
    if (static_cast<std::int64_t>(text.size()) < size) {
        text.append(static_cast<std::size_t>(size) - text.size(), 'F');
    }
    return text;
}

bool TPCardCommands::AutoReachesEeprom() const {
    TPOptionReader& options = bench_.options;
    return bench_.card.HasEeprom() && (options.GetAutoWriteEe() || options.GetAutoVerifyEe());
}

std::optional<int> TPCardCommands::AutoOptionsProblem(bool everyFile) const {
    TPOptionReader& options = bench_.options;
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
    if (Kind().IsAvr() && bench_.card.Fuses().Shown().lock == 0 && !processorWrite) {
        return entries::kAutoLockWithoutWrite;
    }
    if (everyFile && !eepromSteps && bench_.card.HasEeprom() &&
        !bench_.rows.Field(TFileRow::frEeprom).empty()) {
        return entries::kEepromFileLeftOut;
    }
    return std::nullopt;
}

// --- steps

bool TPCardCommands::WriteLoader() {
    const TPImages& images = bench_.rows.Images();
    const std::string loader = images.loader.GetHexText(0, -1);
    const std::string loaderConfig =
        Kind().IsPic() ? images.loaderConfig.GetHexText(0, -1) : std::string();
    if (!Identified()) {
        return false;
    }
    return Retrying(entries::kStepLoader, [&] {
        if (!Prog().WritePic(Kind().Code(), bench_.card.DataBytes(), loader, "", &bench_.gauge)) {
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
    if (!bench_.prompts.Ask(question, bench_.Text(question), TAnswer::anYes)) {
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
        Prog().VerifyPic(program, data, Kind().Code(), &bench_.gauge, &back);
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
        Prog().SelectMode(2, bench_.card.EepromKind());
        const std::string back =
            Prog().ReadExtEeprom(bench_.card.EepromDevice(), bench_.card.EepromBytes(),
                                 static_cast<int>(data.size()), &bench_.gauge);
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
            Prog().SelectMode(1, bench_.card.EepromKind());
        }
        return Prog().WriteExtEeprom(text, bench_.card.EepromDevice(), &bench_.gauge);
    });
    return run_.report.done.eepromWritten;
}

// A program memory write runs again from its erase: flash bits only clear.
bool TPCardCommands::WriteProcessor(const std::string& program, const std::string& data) {
    if (!Identified()) {
        return false;
    }
    run_.report.done.processorWritten = Retrying(entries::kStepProcessorWrite, [&] {
        return Prog().WritePic(Kind().Code(), bench_.card.DataBytes(), program, data,
                               &bench_.gauge);
    });
    return run_.report.done.processorWritten;
}

bool TPCardCommands::Lock() {
    if (!Identified()) {
        return false;
    }
    Status(entries::kLockingCard);
    run_.report.done.locked = Retrying(
        entries::kStepLock, [&] { return Prog().LockCard(Kind().Code(), bench_.card.IdB()); });
    return run_.report.done.locked;
}

void TPCardCommands::Note(const std::string& text) {
    if (bench_.line.Started() && Prog().LogMemo() != nullptr) {
        Prog().LogMemo()->Add(text);
    }
    bench_.AddNote(text);
    bench_.view.ShowNote(text);
}

void TPCardCommands::NoteLineFault(int name, const TTransportFault& fault) {
    run_.report.lineFault = fault;
    run_.report.lineProblem.clear();
    if (Stopping()) {
        return;
    }
    if (Prog().LineGone()) {
        run_.report.lineProblem = FillIn(bench_.Text(entries::kPortGone),
                                         {bench_.PortName().text, FaultWords(bench_.lang, fault)});
    } else if (fault.kind == TTransportFaultKind::tfNoAnswer &&
               Prog().LastAnswer() == TTransportFaultKind::tfNoAnswer) {
        // Still silent after the failure, not an answer lost on the way.
        run_.report.lineProblem =
            FillIn(bench_.Text(entries::kProgrammerSilent),
                   {bench_.TimeOfDay(Prog().LastHeardMs()), FaultWords(bench_.lang, fault)});
    } else if (fault.MayRetry() || fault.kind == TTransportFaultKind::tfNoCard) {
        // The last try's fault, or the card taken out: the tries before it
        // were told as they failed.
        run_.report.lineProblem = FillIn(bench_.Text(entries::kStepFailedOnLine),
                                         {bench_.Text(name), FaultWords(bench_.lang, fault)});
    }
}

void TPCardCommands::Release() {
    if (!Prog().LineGone() && !Prog().Released()) {
        Prog().SelectMode(0, Kind().Code());
    }
}

// --- how a command ends

void TPCardCommands::Status(int entry) {
    bench_.status.ShowStep(entry);
}

void TPCardCommands::Gauge(int percent) {
    bench_.gauge.SetProgress(percent);
}

bool TPCardCommands::Stopping() const {
    return bench_.line.Started() && bench_.line.Prog().AbortRequested();
}

void TPCardCommands::Tell(TMessageKind kind, int entry) {
    TellText(kind, entry, bench_.Text(entry));
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
    bench_.status.Restore();
    std::string shown = text;
    if (kind == TMessageKind::mkError && !run_.report.lineProblem.empty() &&
        !run_.lineProblemTold) {
        run_.lineProblemTold = true;
        shown += "\r\n" + run_.report.lineProblem;
    }
    if (run_.report.message.empty()) {
        run_.report.message = shown;
    }
    bench_.prompts.ShowMessage(kind, entry, shown);
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
        difference.found.empty() ? bench_.Text(entries::kDifferenceNothing) : difference.found;
    return FillIn(bench_.Text(entry), {AddressText(difference.address), difference.expected, found,
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
    std::string text = bench_.Text(entry);
    if (finding.difference) {
        const std::string line = DifferenceLine(*finding.difference);
        text += "\n" + line;
        if (bench_.line.Started() && Prog().LogMemo() != nullptr) {
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
    const int programCount = Kind().ProgramReadCount(bench_.card.ProgramWords());
    TPicReadResult read;
    Retrying(entries::kStepRead, [&] {
        read = Prog().ReadPic(Kind().Code(), programCount, bench_.card.DataBytes(), &bench_.gauge);
        return read.ok;
    });
    TOutcome outcome = read.ok ? TOutcome::ocSucceeded : TOutcome::ocFailed;
    if (Stopping()) {
        outcome = Abort();
    } else if (read.ok) {
        Gauge(0);
        bench_.status.Restore();
        TPReadBack readBack(avr, false, read.config, read.data, read.program);
        bench_.view.ShowReadBack(readBack);
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
        Prog().SelectMode(2, bench_.card.EepromKind());
        text = Prog().ReadExtEeprom(bench_.card.EepromDevice(), 2 * bench_.card.EepromBytes(), 0,
                                    &bench_.gauge);
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
    bench_.status.Restore();
    TPReadBack readBack(false, true, "", "", text);
    bench_.view.ShowReadBack(readBack);
    return TOutcome::ocSucceeded;
}

TOutcome TPCardCommands::FirmwareSteps() {
    const int version = bench_.line.Started() ? Prog().GetFirmwareVersion() : 0;
    if (version <= -1) {
        bench_.prompts.ShowPlain(bench_.Text(entries::kFirmwareTitle),
                                 bench_.Text(entries::kNotConnected));
        return TOutcome::ocFailed;
    }
    bench_.prompts.ShowPlain(bench_.Text(entries::kFirmwareTitle),
                             bench_.Text(entries::kFirmwareVersion) + " : " +
                                 std::to_string(version));
    // 0 is what a programmer that is not there, or is busy, gives.
    return version > 0 ? TOutcome::ocSucceeded : TOutcome::ocFailed;
}

TOutcome TPCardCommands::LockSteps() {
    if (bench_.line.State() == TPCardState::csCardNotReady) {
        Tell(TMessageKind::mkError, entries::kLockCardNotReady);
        return TOutcome::ocRefused;
    }
    if (bench_.line.State() != TPCardState::csCardReady || !bench_.line.Started()) {
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
