#pragma once

#include "workflows/presenter/snapshot.h"
#include "workflows/session/session.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// Everything the window hands its logic.
struct TPWorkflowSeams {
    // What the window is asked to do: show a read, a file, a document, close.
    TMainView& view;
    TPrompts& prompts;
    TLinkPrompts* linkPrompts = nullptr;
    TMessagePump* pump = nullptr;
    TPollScheduler* scheduler = nullptr;
    TProgressSink* gauge = nullptr;
    TClock* clock = nullptr;
    // Which device each port item stands for, when the face lets the user
    // choose devices by name; the backend factory must open through it.
    TPortMap* ports = nullptr;
};

// The main window's logic without the window, over its programmer session:
// it keeps what only the window has (the first showing and the close, the
// big buttons and their pop-ups, the caption, the log panel's buttons, the
// snapshot the window draws) and hands every other intent to the session.
// Whatever the snapshot shows changes, OnChange tells the window, which
// draws itself whole from Snapshot().
class TPMainWorkflows {
public:
    static constexpr const char* kTitle = "Korvex 2.1 Beta II";
    static constexpr int kPollMs = TPSession::kPollMs;
    static constexpr int kStartDelayMs = TPSession::kStartDelayMs;

    // Window creation: the session with "English". Catalogue errors reach
    // the caller: there is no window without its catalogues.
    TPMainWorkflows(TPDataFolders folders, TPSettingsStore& settings, TBackendFactory factory,
                    TPWorkflowSeams seams);
    TPMainWorkflows(const TPMainWorkflows&) = delete;
    TPMainWorkflows& operator=(const TPMainWorkflows&) = delete;

    TPSession& Session() { return session_; }
    const TPSession& Session() const { return session_; }

    // --- start and close

    // First showing: the session starts (see TPSession::Start).
    TIntentResult FormShow(const TStartChoices& choices = {});
    // Closing: false while a command runs (it is asked to stop and the close
    // timer finishes the close); true when the window may go, settings saved.
    bool FormClose();
    void CloseTimerTick();
    // Frees the driver, which releases the programmer, without saving anything.
    void Shutdown() { session_.Shutdown(); }

    // --- the card type

    TIntentResult ChooseCardType(const std::string& name) { return session_.ChooseCardType(name); }
    TPCardTypeEditor AddCardTypeEditor() const { return session_.AddCardTypeEditor(); }
    TPCardTypeEditor EditCardTypeEditor() const { return session_.EditCardTypeEditor(); }
    TIntentResult AddCardType(const TCardTypeFields& fields) {
        return session_.AddCardType(fields);
    }
    TIntentResult EditCardType(const TCardTypeFields& fields) {
        return session_.EditCardType(fields);
    }
    TIntentResult DeleteCardType() { return session_.DeleteCardType(); }
    TIntentResult RefreshCardTypes() { return session_.RefreshCardTypes(); }
    TIntentResult StoreCardSettings() { return session_.StoreCardSettings(); }
    std::vector<TSerialField> SerialFields() { return session_.SerialFields(); }
    TIntentResult EditSerialFields(const std::vector<std::string>& set,
                                   const std::vector<std::string>& remove) {
        return session_.EditSerialFields(set, remove);
    }
    std::optional<TSerialField> CheckSerialField(const std::string& line) {
        return session_.CheckSerialField(line);
    }

    // --- files and fuses

    TIntentResult SetFileField(TFileRow row, const std::string& text) {
        return session_.SetFileField(row, text);
    }
    // The loader's open button asks first; only a Yes opens its dialog.
    bool ConfirmLoaderChoice();
    // The view button of a row: the file view window, when there is a file.
    void ViewFile(TFileRow row);
    // The folder a row's open dialog starts in: the folder part of its field.
    std::string FileDialogFolder(TFileRow row) const;
    TIntentResult SetFuse(TFuse fuse, int item) { return session_.SetFuse(fuse, item); }

    // --- the line: the caption names the port chosen

    TIntentResult ChoosePort(int number) { return ShowingPort(session_.ChoosePort(number)); }
    TIntentResult ChooseOffline() { return ShowingPort(session_.ChooseOffline()); }
    TIntentResult ChooseSpeed(TBaudRate rate) { return session_.ChooseSpeed(rate); }
    TIntentResult ChooseDevice(const std::string& path) {
        return ShowingPort(session_.ChooseDevice(path));
    }
    TIntentResult ComPortAction(int number);
    TIntentResult PollNow() { return session_.PollNow(); }
    TIntentResult ReopenLine() { return ShowingPort(session_.ReopenLine()); }
    TIntentResult AbandonLine() { return session_.AbandonLine(); }

    // --- language and options

    TIntentResult ChooseLanguage(const std::string& name) { return session_.ChooseLanguage(name); }
    void SetStandIns(std::map<int, int> standIns) { session_.SetStandIns(std::move(standIns)); }
    std::optional<std::string> ReadOptions(TOptionBoxes& boxes) {
        return session_.ReadOptions(boxes);
    }
    TIntentResult AcceptOptions(const TOptionBoxes& boxes) { return session_.AcceptOptions(boxes); }

    // --- card commands

    TOutcome RunCommand(TCardCommand command) { return session_.RunCommand(command); }
    void RequestStop() { session_.RequestStop(); }
    // The big buttons set what the pop-up items then do.
    void PressButton(TBigButton button) { pressedButton_ = button; }
    std::optional<TOutcome> PicItemClick();
    std::optional<TOutcome> EepromItemClick();
    std::optional<TOutcome> WritePicItemClick();
    std::optional<TOutcome> WriteEepromItemClick();
    std::optional<TOutcome> AutoItemClick();

    // --- the production line

    TProductionSummary RunProduction(const TProductionPlan& plan, TProductionObserver& observer,
                                     bool inView = false) {
        return session_.RunProduction(plan, observer, inView);
    }
    void StopProduction() { session_.StopProduction(); }
    bool ProductionRunning() const { return session_.ProductionRunning(); }
    TPSettingsStore& Settings() { return session_.Settings(); }
    const TCommandReport& LastReport() const { return session_.LastReport(); }
    std::string DifferenceLine(const TPDifference& difference) const {
        return session_.DifferenceLine(difference);
    }
    bool AutoReachesEeprom() const { return session_.AutoReachesEeprom(); }
    bool CardHasEeprom() const { return session_.HasEeprom(); }
    void OnGoingAhead(std::function<void()> told) { session_.OnGoingAhead(std::move(told)); }

    // --- the log panel (usable while a command runs)

    // The log panel's model: the memo a face shows, and every line since
    // logging started (a face follows them through its OnLineAdded).
    TPLogPanel& LogPanel() { return session_.LogPanel(); }
    TLogMemo& LogMemo() { return session_.LogPanel().Memo(); }
    void ToggleLog() { session_.LogFrames(!session_.LoggingFrames()); }
    // The card-state polls: left out of the log from now on, or shown again.
    void HidePolls(bool hidden) { session_.LogPanel().SetPollsHidden(hidden); }
    void ClearLog() { session_.LogPanel().ClearLog(); }
    // irFailed, with "Cannot create file <name>: <reason>" shown.
    TIntentResult SaveLog(const std::filesystem::path& file);
    // irFailed, with the reason shown, for a text that is no number; the
    // pause stays.
    TIntentResult SetDelay(const std::string& text);
    void OpenHelp() { session_.LogPanel().OpenHelp(); }
    void OpenBugReport() { session_.LogPanel().OpenBugReport(); }

    // --- what the window shows

    TMainSnapshot Snapshot() const;
    // Told whenever anything the snapshot shows changed.
    std::function<void()> OnChange;
    // A card command or a production run runs: the window draws each change
    // at once, since the command goes on before the window's next turn.
    bool Running() const { return session_.CommandRunning() || session_.ProductionRunning(); }
    std::string ConfigText() const { return session_.ConfigText(); }
    std::string Text(int entry) const { return session_.Text(entry); }
    std::string Worded(const std::exception& error) const { return session_.Worded(error); }
    std::optional<int> FirmwareVersion() { return session_.FirmwareVersion(); }
    bool Busy() const { return session_.Busy(); }
    const std::string& StepCaption() const { return session_.Status().Caption(); }

private:
    std::optional<TOutcome> PopUpItemClick(bool eeprom);
    // The caption names the port the line was given, once it was given one.
    TIntentResult ShowingPort(TIntentResult result);
    void ShowCaption(const std::string& caption);
    void Changed();
    // "Korvex - COM2", or "Korvex - Simulator" for an item that stands for it.
    std::string PortCaption(int number) const;

    TPWorkflowSeams seams_;
    TPSession session_;
    std::string windowCaption_ = kTitle;
    // The big button pressed last, which says what the pop-up's items do;
    // none before the first press.
    std::optional<TBigButton> pressedButton_;
};

} // namespace korvex
