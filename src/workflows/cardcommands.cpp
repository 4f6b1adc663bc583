#include "workflows/cardcommands.h"

#include "support/errors.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/readback.h"

namespace korvex {

// Marks a command as running for its whole length, so the faces disable
// their command entry points and a second command is refused. However the
// command ends, a step's caption does not outlive it.
class TPCardCommands::TRun {
public:
    explicit TRun(TPWorkbench& bench)
        : bench_(bench), started_(!bench.commandRunning && !(bench.prog && bench.prog->Busy())) {
        if (started_) {
            bench_.commandRunning = true;
            // A production run keeps them off between its cards as well.
            if (!bench_.productionRunning) {
                bench_.view.EnableCommands(false);
            }
            // A stop asked of the command before ends with it; one for a
            // closing window stays, so nothing runs under the close.
            if (bench_.prog && !bench_.closePending) {
                bench_.prog->ClearAbort();
            }
            if (bench_.prog) {
                bench_.prog->SetCommandRunning(true);
            }
        }
    }
    ~TRun() {
        if (started_) {
            if (bench_.prog) {
                bench_.prog->SetCommandRunning(false);
            }
            bench_.commandRunning = false;
            bench_.RestoreStateCaption();
            if (!bench_.productionRunning) {
                bench_.view.EnableCommands(true);
            }
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

TOutcome TPCardCommands::Run(TSteps steps) {
    TRun run(bench_);
    if (!run.Started()) {
        return TOutcome::ocRefused;
    }
    bench_.failStep = TFailStep::fsNone;
    bench_.difference.reset();
    bench_.sent = {};
    try {
        return (this->*steps)();
    } catch (const EKorvex& error) {
        // What throws is a file, the catalogue or the options, never the card.
        if (bench_.failStep == TFailStep::fsNone) {
            bench_.failStep = TFailStep::fsFiles;
        }
        ReportText(TMessageKind::mkError, -1, DescribeError(error));
        if (bench_.prog && bench_.prog->Connected()) {
            Prog().SelectMode(0, Kind());
        }
        Gauge(0);
        return TOutcome::ocFailed;
    }
}

bool TPCardCommands::CardReady() {
    if (bench_.cardState == TPCardState::csCardNotReady) {
        Report(TMessageKind::mkError, 81);
        return false;
    }
    if (!bench_.prog || !bench_.prog->IsCardReady()) {
        Report(TMessageKind::mkError, 82);
        return false;
    }
    return true;
}

bool TPCardCommands::HasEeprom() {
    if (bench_.cardBox.GetEepromKind() == -1) {
        Report(TMessageKind::mkError, 83);
        return false;
    }
    return true;
}

bool TPCardCommands::DeviceIdMatches() {
    if (Kind() < 8 ||
        Prog().CheckDeviceId(bench_.cardBox.GetPicIdA(), bench_.cardBox.GetPicIdB(), 8)) {
        return true;
    }
    Report(TMessageKind::mkError, 117);
    return false;
}

int TPCardCommands::EepromDevice() const {
    return Kind() < 8 ? bench_.eepromKind : bench_.avrEepromKind;
}

bool TPCardCommands::HasImage(const THexFileBuffer& image, int entry) {
    if (!image.GetHexText(0, -1).empty()) {
        return true;
    }
    Report(TMessageKind::mkError, entry);
    return false;
}

bool TPCardCommands::LoaderReady() {
    if (panel_.LoaderFile() && !bench_.images.loader.GetHexText(0, -1).empty()) {
        return true;
    }
    ReportText(TMessageKind::mkError, entries::kLoaderMissing,
               bench_.Text(entries::kLoaderMissing) + " " + panel_.WantedLoader().string());
    return false;
}

// Program sizes count words for both families: P words are 4P characters.
std::string TPCardCommands::ProgramText() const {
    const std::int64_t size = bench_.cardBox.GetPicSize();
    return bench_.images.program.GetHexText(0, 4 * size - 1);
}

std::string TPCardCommands::PaddedEepromText() const {
    const std::int64_t size = 2 * static_cast<std::int64_t>(bench_.cardBox.GetEepromSize());
    std::string text = bench_.images.extEeprom.GetHexText(0, size - 1);
    if (static_cast<std::int64_t>(text.size()) < size) {
        text.append(static_cast<std::size_t>(size) - text.size(), 'F');
    }
    return text;
}

void TPCardCommands::Status(int entry) {
    bench_.SetStatus(bench_.Text(entry));
}

void TPCardCommands::Gauge(int percent) {
    bench_.gauge.SetProgress(percent);
}

bool TPCardCommands::Stopping() const {
    return bench_.prog && bench_.prog->AbortRequested();
}

void TPCardCommands::Report(TMessageKind kind, int entry) {
    ReportText(kind, entry, bench_.Text(entry));
}

void TPCardCommands::ReportText(TMessageKind kind, int entry, const std::string& text) {
    if (!Stopping()) {
        bench_.prompts.ShowMessage(kind, entry, text);
    }
}

TOutcome TPCardCommands::Abort() {
    Prog().SelectMode(0, Kind());
    Gauge(0);
    return TOutcome::ocAborted;
}

TOutcome TPCardCommands::Fail(int entry) {
    if (Stopping()) {
        return Abort();
    }
    Prog().SelectMode(0, Kind());
    Report(TMessageKind::mkError, entry);
    return TOutcome::ocFailed;
}

TOutcome TPCardCommands::FailAt(TFailStep step, int entry) {
    bench_.failStep = step;
    return Fail(entry);
}

std::string TPCardCommands::DifferenceLine(const TPDifference& difference) const {
    const int entry = difference.space == TMemorySpace::msProgram ? entries::kDifferenceProgram
                      : difference.space == TMemorySpace::msDataEeprom
                          ? entries::kDifferenceDataEeprom
                          : entries::kDifferenceEeprom;
    const std::string found =
        difference.found.empty() ? bench_.Text(entries::kDifferenceNothing) : difference.found;
    return FillIn(bench_.Text(entry), {AddressText(difference.address), difference.expected, found,
                                       std::to_string(difference.differingBytes)});
}

void TPCardCommands::ReportDifference(TMessageKind kind, int entry,
                                      const std::optional<TPDifference>& difference) {
    bench_.difference = difference;
    std::string text = bench_.Text(entry);
    if (difference) {
        const std::string line = DifferenceLine(*difference);
        text += "\n" + line;
        if (bench_.prog && bench_.prog->LogMemo() != nullptr) {
            bench_.prog->LogMemo()->Add(line);
        }
    }
    ReportText(kind, entry, text);
}

TOutcome TPCardCommands::FailWithDifference(TFailStep step, int entry,
                                            const std::optional<TPDifference>& difference) {
    bench_.failStep = step;
    if (Stopping()) {
        return Abort();
    }
    Prog().SelectMode(0, Kind());
    ReportDifference(TMessageKind::mkError, entry, difference);
    return TOutcome::ocFailed;
}

std::optional<TPDifference> TPCardCommands::ProcessorDifference(const std::string& program,
                                                                const std::string& data,
                                                                const TPicReadResult& back) {
    return FirstOf(FindDifference(TMemorySpace::msProgram, program, back.program),
                   FindDifference(TMemorySpace::msDataEeprom, data, back.data));
}

TOutcome TPCardCommands::Finish(int entry, TOutcome outcome) {
    Prog().SelectMode(0, Kind());
    if (Stopping()) {
        return Abort();
    }
    Report(TMessageKind::mkInformation, entry);
    Gauge(0);
    return outcome;
}

bool TPCardCommands::WriteConfigWord(const std::string& config, int mode) {
    Prog().SelectMode(mode, Kind());
    return Prog().WriteConfigArea(config, Kind());
}

std::optional<TPDifference> TPCardCommands::EepromDifference(const std::string& data) {
    Status(92);
    Prog().SelectMode(0, Kind());
    Prog().SelectMode(2, bench_.eepromKind);
    const std::string back = Prog().ReadExtEeprom(EepromDevice(), bench_.cardBox.GetEepromSize(),
                                                  static_cast<int>(data.size()), &bench_.gauge);
    return FindDifference(TMemorySpace::msExtEeprom, data, back);
}

// --- reads

TOutcome TPCardCommands::ReadPicSteps() {
    if (!CardReady()) {
        return TOutcome::ocRefused;
    }
    if (!DeviceIdMatches()) {
        return TOutcome::ocFailed;
    }
    Status(Kind() < 8 ? 123 : 122);
    const int programCount = bench_.cardBox.GetPicSize() * (Kind() > 8 ? 2 : 1);
    const TPicReadResult read =
        Prog().ReadPic(Kind(), programCount, bench_.cardBox.GetPicIntEeSize(), &bench_.gauge);
    TOutcome outcome = read.ok ? TOutcome::ocSucceeded : TOutcome::ocFailed;
    if (Stopping()) {
        outcome = Abort();
    } else if (read.ok) {
        TPReadBack readBack(Kind() >= 8, false, read.config, read.data, read.program);
        bench_.view.ShowReadBack(readBack);
    }
    Gauge(0);
    return outcome;
}

TOutcome TPCardCommands::ReadEepromSteps() {
    if (!CardReady() || !HasEeprom()) {
        return TOutcome::ocRefused;
    }
    if (!LoaderReady()) {
        return TOutcome::ocNothing;
    }
    if (!bench_.prompts.Ask(84, bench_.Text(84))) {
        return TOutcome::ocRefused;
    }
    Status(86);
    bench_.prompts.ShowPlain("", bench_.Field(TFileRow::frLoader));
    WriteLoader();
    Status(87);
    Prog().SelectMode(0, Kind());
    Prog().SelectMode(2, bench_.eepromKind);
    const std::string text =
        Prog().ReadExtEeprom(EepromDevice(), 2 * bench_.cardBox.GetEepromSize(), 0, &bench_.gauge);
    // A read cut short is no EEPROM image: it is reported like no data at all.
    const bool complete = Prog().LastReadComplete();
    Prog().SelectMode(0, Kind());
    TOutcome outcome = TOutcome::ocSucceeded;
    if (Stopping()) {
        outcome = Abort();
    } else if (!text.empty() && complete) {
        TPReadBack readBack(false, true, "", "", text);
        bench_.view.ShowReadBack(readBack);
    } else {
        Report(TMessageKind::mkError, 88);
        outcome = TOutcome::ocFailed;
    }
    Prog().SelectMode(0, Kind());
    Gauge(0);
    return outcome;
}

bool TPCardCommands::WriteLoader() {
    const std::string loader = bench_.images.loader.GetHexText(0, -1);
    const std::string loaderConfig =
        Kind() < 8 ? bench_.images.loaderConfig.GetHexText(0, -1) : std::string();
    if (!Prog().WritePic(Kind(), bench_.cardBox.GetPicIntEeSize(), loader, "", &bench_.gauge)) {
        return false;
    }
    bool configured = true;
    if (Kind() < 8) {
        Prog().SelectMode(3, Kind());
        configured = Prog().WriteConfigArea(loaderConfig, Kind());
    }
    Prog().SelectMode(0, Kind());
    return configured;
}

TOutcome TPCardCommands::FirmwareSteps() {
    const int version = bench_.prog ? Prog().GetFirmwareVersion() : 0;
    if (version <= -1) {
        bench_.prompts.ShowPlain(bench_.Text(79), bench_.notConnectedText);
        return TOutcome::ocFailed;
    }
    bench_.prompts.ShowPlain(bench_.Text(79), bench_.Text(78) + " : " + std::to_string(version));
    // 0 is what a programmer that is not there, or is busy, gives.
    return version > 0 ? TOutcome::ocSucceeded : TOutcome::ocFailed;
}

// --- lock

TOutcome TPCardCommands::LockSteps() {
    if (bench_.cardState == TPCardState::csCardNotReady) {
        Report(TMessageKind::mkError, 120);
        return TOutcome::ocRefused;
    }
    if (bench_.cardState != TPCardState::csCardReady || !bench_.prog) {
        Report(TMessageKind::mkError, 119);
        return TOutcome::ocRefused;
    }
    Status(135);
    if (!Prog().LockCard(Kind(), bench_.cardBox.GetPicIdB())) {
        Report(TMessageKind::mkWarning, 136);
        return TOutcome::ocFailed;
    }
    return TOutcome::ocSucceeded;
}

} // namespace korvex
