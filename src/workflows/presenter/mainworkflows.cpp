// The window's own logic over its session: the first showing and the close,
// the caption, the big buttons' pop-ups, the log panel's buttons and the
// snapshot the window draws.
#include "workflows/presenter/mainworkflows.h"

#include "workflows/entries.h"
#include "workflows/fillin.h"

#include <algorithm>

namespace korvex {

namespace {

constexpr const char* kLoaderQuestion =
    "Leave this field empty to use default loader.\r\n"
    "You should only load a loader if you are sure what you are doing. !\r\nContinue ?";

// A menu's caption as a sentence names it: without its shortcut mark.
std::string MenuText(std::string caption) {
    std::erase(caption, '&');
    return caption;
}

} // namespace

TPMainWorkflows::TPMainWorkflows(TPDataFolders folders, TPSettingsStore& settings,
                                 TBackendFactory factory, TPWorkflowSeams seams)
    : seams_(seams),
      session_(std::move(folders), settings, std::move(factory),
               TSessionSeams{seams.prompts, seams.linkPrompts, seams.pump, seams.scheduler,
                             seams.clock, seams.ports, &seams.view}) {
    TSessionEvents events;
    events.step = [this](const std::string&) { Changed(); };
    events.note = [this](const std::string&) { Changed(); };
    events.state = [this] { Changed(); };
    if (seams.gauge != nullptr) {
        events.progress = [gauge = seams.gauge](int percent) { gauge->SetProgress(percent); };
    }
    session_.SetEvents(std::move(events));
}

TIntentResult TPMainWorkflows::FormShow(const TStartChoices& choices) {
    const TIntentResult result = session_.Start(choices);
    ShowingPort(TIntentResult::irDone);
    return result;
}

bool TPMainWorkflows::FormClose() {
    if (session_.Busy()) {
        session_.StopForClose();
        return false;
    }
    session_.Close();
    return true;
}

void TPMainWorkflows::CloseTimerTick() {
    if (!session_.ClosePending() || session_.ProductionRunning()) {
        return;
    }
    if (session_.Busy()) {
        session_.AbortForClose();
        return;
    }
    session_.ReleaseLine();
    seams_.view.RequestClose();
}

void TPMainWorkflows::ShowCaption(const std::string& caption) {
    windowCaption_ = caption;
    Changed();
}

void TPMainWorkflows::Changed() {
    if (OnChange) {
        OnChange();
    }
}

std::string TPMainWorkflows::PortCaption(int number) const {
    if (number == 0) {
        return "Korvex - OffLine";
    }
    if (seams_.ports != nullptr && seams_.ports->PathOf(number) == TPortMap::kSimulator) {
        return "Korvex - Simulator";
    }
    return "Korvex - COM" + std::to_string(number);
}

TIntentResult TPMainWorkflows::ShowingPort(TIntentResult result) {
    if (result == TIntentResult::irDone && session_.PortChosen()) {
        ShowCaption(PortCaption(session_.ComPort()));
    }
    return result;
}

// The spare actions connect without the line taking the port as its choice:
// the caption names the one connected.
TIntentResult TPMainWorkflows::ComPortAction(int number) {
    const TIntentResult result = session_.ComPortAction(number);
    if (result == TIntentResult::irDone) {
        ShowCaption(PortCaption(number));
    }
    return result;
}

bool TPMainWorkflows::ConfirmLoaderChoice() {
    return session_.BeginUserAction() && seams_.prompts.Ask(-1, kLoaderQuestion, TAnswer::anYes);
}

void TPMainWorkflows::ViewFile(TFileRow row) {
    session_.BeginUserAction();
    if (const auto file = session_.ViewableFile(row)) {
        const bool eepromKind = row == TFileRow::frEeprom || row == TFileRow::frIntEeprom;
        seams_.view.ShowFileView(*file, eepromKind, session_.Layout().avrKind);
    }
}

std::string TPMainWorkflows::FileDialogFolder(TFileRow row) const {
    const std::string text = session_.FileRow(row).field;
    const std::size_t slash = text.find_last_of('/');
    return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

std::optional<TOutcome> TPMainWorkflows::PicItemClick() {
    return PopUpItemClick(false);
}

std::optional<TOutcome> TPMainWorkflows::EepromItemClick() {
    return PopUpItemClick(true);
}

// Read, Verify and Erase share one pop-up: its item names the memory, the
// button pressed before it the command. Write's pop-up has items of its own.
std::optional<TOutcome> TPMainWorkflows::PopUpItemClick(bool eeprom) {
    if (!pressedButton_) {
        return std::nullopt;
    }
    switch (*pressedButton_) {
    case TBigButton::bbRead:
        return RunCommand(eeprom ? TCardCommand::ccReadEeprom : TCardCommand::ccReadPic);
    case TBigButton::bbVerify:
        return RunCommand(eeprom ? TCardCommand::ccVerifyEeprom : TCardCommand::ccVerifyPic);
    case TBigButton::bbErase:
        return RunCommand(eeprom ? TCardCommand::ccEraseEeprom : TCardCommand::ccErasePic);
    case TBigButton::bbWrite:
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<TOutcome> TPMainWorkflows::WritePicItemClick() {
    if (pressedButton_ != TBigButton::bbWrite) {
        return std::nullopt;
    }
    return RunCommand(TCardCommand::ccWritePic);
}

std::optional<TOutcome> TPMainWorkflows::WriteEepromItemClick() {
    if (pressedButton_ != TBigButton::bbWrite) {
        return std::nullopt;
    }
    return RunCommand(TCardCommand::ccWriteEeprom);
}

// The pop-up's Auto item and the Edit menu's Auto Program run the same
// sequence, whatever button was pressed last.
std::optional<TOutcome> TPMainWorkflows::AutoItemClick() {
    return RunCommand(TCardCommand::ccAutoProgram);
}

TIntentResult TPMainWorkflows::SaveLog(const std::filesystem::path& file) {
    try {
        session_.LogPanel().SaveLog(file);
    } catch (const std::exception& error) {
        return session_.Failed(error);
    }
    return TIntentResult::irDone;
}

TIntentResult TPMainWorkflows::SetDelay(const std::string& text) {
    try {
        session_.LogPanel().SetDelay(text);
    } catch (const std::exception& error) {
        return session_.Failed(error);
    }
    return TIntentResult::irDone;
}

TMainSnapshot TPMainWorkflows::Snapshot() const {
    const TPSession& session = session_;
    TMainSnapshot shot;
    shot.windowCaption = windowCaption_;
    shot.statusCaption = session.Status().Caption();
    shot.statusColour = session.Status().Colour();
    shot.statusCaptions = session.Status().EveryCaption();
    shot.cardState = session.CardState();
    shot.gauge = session.Progress();
    shot.cardTypes = session.CardTypeNames();
    shot.cardIndex = session.CardTypeIndex();
    shot.cardText = session.CardTypeName();
    shot.description = session.CardDescription();
    shot.processorName = session.ProcessorName();
    shot.eepromName = session.EepromName();
    shot.layout = session.Layout();
    shot.fuses = session.Fuses();
    shot.storedFuses = session.StoredFuses();
    shot.fuseOrigin = session.FuseOrigin();
    for (std::size_t i = 0; i < shot.rows.size(); ++i) {
        shot.rows[i] = session.FileRow(static_cast<TFileRow>(i));
    }
    shot.comPort = session.ComPort();
    if (seams_.ports != nullptr) {
        for (int n = 1; n <= TPortMap::kPortCount; ++n) {
            shot.portDevices[static_cast<std::size_t>(n - 1)] = seams_.ports->PathOf(n);
        }
    }
    shot.speed = session.Speed();
    shot.connected = session.Connected();
    shot.connectError = session.ConnectError();
    shot.portProblem = session.PortProblem();
    shot.language = session.Language();
    shot.languages = session.Languages();
    shot.captions = TMainCaptions::Resolve(session.Lang(), shot.layout.avrKind);
    shot.commandRunning = session.CommandRunning();
    shot.productionRunning = session.ProductionRunning();
    shot.logging = session.LogPanel().Logging();
    shot.logButtonCaption = session.LogPanel().LogButtonCaption();
    shot.pollsHidden = session.LogPanel().PollsHidden();
    shot.notes = session.Notes();
    shot.result = session.Result();
    if (shot.comPort != 0 && session.PortName().simulator) {
        shot.portHint = FillIn(session.Text(entries::kSimulatorHint),
                               {MenuText(session.Text(entries::kSetupMenu)),
                                MenuText(session.Text(entries::kPortMenu))});
    }
    // A command that succeeded leaves its gauge full until the next starts.
    if (!shot.commandRunning && !shot.result.empty() && shot.result.succeeded) {
        shot.gauge = 100;
    }
    return shot;
}

} // namespace korvex
