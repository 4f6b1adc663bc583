// The intents of the faces: each opens a user action and, when it would
// change the card, the files or the line, is refused while a command runs.
#include "workflows/mainworkflows.h"

#include "support/errors.h"
#include "workflows/entries.h"
#include "workflows/fuses.h"

namespace korvex {

// --- the card type

TIntentResult TPMainWorkflows::ChooseCardType(const std::string& name) {
    if (Refuses()) {
        return TIntentResult::irRefused;
    }
    if (FindCardItem(bench_.cardBox.Items(), name) < 0) {
        return TIntentResult::irFailed;
    }
    SelectCard(name);
    bench_.cardBox.CardChanged();
    return TIntentResult::irDone;
}

TPCardTypeEditor TPMainWorkflows::AddCardTypeEditor() const {
    return TPCardTypeEditor::ForAdd(bench_.dataFolders);
}

TPCardTypeEditor TPMainWorkflows::EditCardTypeEditor() const {
    return TPCardTypeEditor::ForEdit(bench_.dataFolders, bench_.cardBox.ItemIndex());
}

TIntentResult TPMainWorkflows::AddCardType(const TCardTypeFields& fields) {
    if (Refuses()) {
        return TIntentResult::irRefused;
    }
    const bool written = AddCardTypeEditor().Accept(fields);
    // The list is read again whatever the dialog did, as after any dialog.
    cardChange_.RefreshCardList();
    return written ? TIntentResult::irDone : TIntentResult::irDeclined;
}

TIntentResult TPMainWorkflows::EditCardType(const TCardTypeFields& fields) {
    if (Refuses()) {
        return TIntentResult::irRefused;
    }
    const bool written = EditCardTypeEditor().Accept(fields);
    cardChange_.RefreshCardList();
    return written ? TIntentResult::irDone : TIntentResult::irDeclined;
}

TIntentResult TPMainWorkflows::DeleteCardType() {
    if (Refuses()) {
        return TIntentResult::irRefused;
    }
    try {
        return cardChange_.DeleteCardType() ? TIntentResult::irDone : TIntentResult::irDeclined;
    } catch (const EKorvex& error) {
        bench_.prompts.ShowMessage(TMessageKind::mkError, -1, DescribeError(error));
        return TIntentResult::irFailed;
    }
}

TIntentResult TPMainWorkflows::RefreshCardTypes() {
    return Take([&] { cardChange_.RefreshCardList(); });
}

TIntentResult TPMainWorkflows::StoreCardSettings() {
    if (Refuses()) {
        return TIntentResult::irRefused;
    }
    try {
        cardChange_.SaveCardDefaults(true);
    } catch (const EKorvex& error) {
        bench_.prompts.ShowMessage(TMessageKind::mkError, -1, DescribeError(error));
        return TIntentResult::irFailed;
    }
    return TIntentResult::irDone;
}

// --- files and fuses

TIntentResult TPMainWorkflows::SetFileField(TFileRow row, const std::string& text) {
    if (Refuses()) {
        return TIntentResult::irRefused;
    }
    return panel_.SetField(row, text, true) ? TIntentResult::irDone : TIntentResult::irFailed;
}

bool TPMainWorkflows::ConfirmLoaderChoice() {
    return !Refuses() && panel_.ConfirmLoaderChoice();
}

void TPMainWorkflows::ViewFile(TFileRow row) {
    bench_.BeginAction();
    panel_.View(row);
}

std::string TPMainWorkflows::FileDialogFolder(TFileRow row) const {
    const std::string& text = bench_.fields[static_cast<std::size_t>(row)];
    const std::size_t slash = text.find_last_of('/');
    return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

TIntentResult TPMainWorkflows::SetFuse(TFuse fuse, int item) {
    return Take([&] {
        TFuseChoices fuses = bench_.fuses;
        switch (fuse) {
        case TFuse::fuWatchDog:
            fuses.watchDog = item;
            break;
        case TFuse::fuPowerUp:
            fuses.powerUp = item;
            break;
        case TFuse::fuProtection:
            fuses.protection = item;
            break;
        case TFuse::fuOscillator:
            fuses.oscillator = item;
            break;
        case TFuse::fuLock:
            fuses.lock = item;
            break;
        }
        bench_.SetFuses(fuses);
    });
}

TIntentResult TPMainWorkflows::RestoreStoredFuses() {
    return Take([&] { cardChange_.RestoreStoredFuses(); });
}

// --- the line

TIntentResult TPMainWorkflows::ChoosePort(int number) {
    return Take([&] { DoChoosePort(number); });
}

TIntentResult TPMainWorkflows::ChooseDevice(const std::string& path) {
    if (seams_.ports == nullptr || path.empty()) {
        return TIntentResult::irFailed;
    }
    return Take([&] {
        TPortMap& ports = *seams_.ports;
        int number = 0;
        for (int n = 1; n <= TPortMap::kPortCount && number == 0; ++n) {
            if (ports.PathOf(n) == path) {
                number = n;
            }
        }
        if (number == 0) {
            // Saved first: a choice that cannot be remembered changes nothing.
            number = 1;
            TPortMap changed = ports;
            changed.SetPath(number, path);
            changed.Save(bench_.settings);
            ports = std::move(changed);
        }
        DoChoosePort(number);
    });
}

TIntentResult TPMainWorkflows::ChooseOffline() {
    return Take([&] { DoChooseOffline(); });
}

TIntentResult TPMainWorkflows::ChooseSpeed(TBaudRate rate) {
    return Take([&] { DoChooseSpeed(rate); });
}

TIntentResult TPMainWorkflows::ComPortAction(int number) {
    return Take([&] {
        bench_.SetWindowCaption(number == 0 ? std::string("Korvex - OffLine")
                                            : "Korvex - COM" + std::to_string(number));
        if (bench_.prog) {
            bench_.prog->SetComPort(number);
            if (number != 0) {
                bench_.prog->Connect();
            }
        }
    });
}

TIntentResult TPMainWorkflows::PollNow() {
    return Take([&] {
        if (bench_.prog) {
            bench_.prog->Poll();
        }
    });
}

TIntentResult TPMainWorkflows::AbandonLine() {
    return Take([&] {
        if (bench_.prog) {
            bench_.prog->Disconnect();
        }
    });
}

// --- language and options

TIntentResult TPMainWorkflows::ChooseLanguage(const std::string& name) {
    return Take([&] { ApplyLanguage(name); });
}

std::optional<std::string> TPMainWorkflows::ReadOptions(TOptionBoxes& boxes) {
    bench_.BeginAction();
    return TPOptionsDialog::Show(bench_.options, boxes);
}

TIntentResult TPMainWorkflows::AcceptOptions(const TOptionBoxes& boxes) {
    if (Refuses()) {
        return TIntentResult::irRefused;
    }
    if (const auto failure = TPOptionsDialog::Accept(bench_.options, boxes)) {
        bench_.prompts.ShowMessage(TMessageKind::mkError, entries::kOptionsNotSaved,
                                   bench_.Text(entries::kOptionsNotSaved) + " " + *failure);
        return TIntentResult::irFailed;
    }
    return TIntentResult::irDone;
}

// --- card commands

TOutcome TPMainWorkflows::RunCommand(TCardCommand command) {
    if (Refuses()) {
        return TOutcome::ocRefused;
    }
    return commands_.Run(command);
}

void TPMainWorkflows::RequestStop() {
    if (bench_.productionRunning) {
        production_.Stop();
    }
    if (bench_.commandRunning && bench_.prog) {
        bench_.prog->RequestAbort();
    }
}

void TPMainWorkflows::PressButton(TBigButton button) {
    bench_.pendingAction = static_cast<int>(button);
}

std::optional<TOutcome> TPMainWorkflows::PicItemClick() {
    switch (bench_.pendingAction) {
    case 1:
        return RunCommand(TCardCommand::ccReadPic);
    case 3:
        return RunCommand(TCardCommand::ccVerifyPic);
    case 4:
        return RunCommand(TCardCommand::ccErasePic);
    default:
        return std::nullopt;
    }
}

std::optional<TOutcome> TPMainWorkflows::EepromItemClick() {
    switch (bench_.pendingAction) {
    case 1:
        return RunCommand(TCardCommand::ccReadEeprom);
    case 3:
        return RunCommand(TCardCommand::ccVerifyEeprom);
    case 4:
        return RunCommand(TCardCommand::ccEraseEeprom);
    default:
        return std::nullopt;
    }
}

std::optional<TOutcome> TPMainWorkflows::WritePicItemClick() {
    if (bench_.pendingAction != 2) {
        return std::nullopt;
    }
    return RunCommand(TCardCommand::ccWritePic);
}

std::optional<TOutcome> TPMainWorkflows::WriteEepromItemClick() {
    if (bench_.pendingAction != 2) {
        return std::nullopt;
    }
    return RunCommand(TCardCommand::ccWriteEeprom);
}

// The pop-up's Auto item and the Edit menu's Auto Program run the same
// sequence, whatever button was pressed last.
std::optional<TOutcome> TPMainWorkflows::AutoItemClick() {
    return RunCommand(TCardCommand::ccAutoProgram);
}

// --- the log panel

void TPMainWorkflows::ToggleLog() {
    log_.ToggleLog();
}

void TPMainWorkflows::ClearLog() {
    log_.ClearLog();
}

void TPMainWorkflows::SaveLog(const std::filesystem::path& file) {
    log_.SaveLog(file);
}

void TPMainWorkflows::SetDelay(const std::string& text) {
    log_.SetDelay(text);
}

void TPMainWorkflows::OpenHelp() {
    log_.OpenHelp();
}

void TPMainWorkflows::OpenBugReport() {
    log_.OpenBugReport();
}

// --- what a face shows

std::string TPMainWorkflows::ConfigText() const {
    return BuildConfigText(bench_);
}

std::optional<int> TPMainWorkflows::FirmwareVersion() {
    if (!bench_.prog || Busy() || !bench_.prog->Connected()) {
        return std::nullopt;
    }
    const int version = bench_.prog->GetFirmwareVersion();
    if (version <= 0) {
        return std::nullopt;
    }
    return version;
}

TMainSnapshot TPMainWorkflows::Snapshot() const {
    TMainSnapshot shot;
    shot.windowCaption = bench_.windowCaption;
    shot.statusCaption = bench_.statusCaption;
    shot.statusColour = bench_.statusColour;
    shot.cardState = bench_.cardState;
    shot.gauge = bench_.gauge.Percent();
    shot.cardTypes = bench_.cardBox.Items();
    shot.cardIndex = bench_.cardBox.ItemIndex();
    shot.cardText = bench_.cardBox.Text();
    shot.description = bench_.description;
    shot.processorName = bench_.cardBox.SelectedCard().PicName;
    shot.eepromName = bench_.cardBox.SelectedCard().EepromName;
    shot.layout = bench_.layout;
    shot.fuses = bench_.fuses;
    for (std::size_t i = 0; i < shot.rows.size(); ++i) {
        shot.rows[i] = {bench_.fields[i], bench_.rowStatus[i]};
    }
    shot.comPort = bench_.comPort;
    if (seams_.ports != nullptr) {
        for (int n = 1; n <= TPortMap::kPortCount; ++n) {
            shot.portDevices[static_cast<std::size_t>(n - 1)] = seams_.ports->PathOf(n);
        }
    }
    shot.speed = bench_.speedItem;
    if (bench_.prog) {
        shot.connected = bench_.prog->Connected();
        shot.connectError = bench_.prog->LastConnectError();
    }
    shot.language = bench_.languageName;
    shot.languages = bench_.languages;
    shot.captions = TMainCaptions::Resolve(bench_.lang, bench_.layout.avrKind);
    shot.commandRunning = bench_.commandRunning;
    shot.productionRunning = bench_.productionRunning;
    shot.logging = log_.Logging();
    shot.logButtonCaption = log_.LogButtonCaption();
    return shot;
}

} // namespace korvex
