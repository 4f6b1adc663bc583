#pragma once

#include "link/serialbackend.h"
#include "workflows/cardchange.h"
#include "workflows/cardcommands.h"
#include "workflows/filepanel.h"
#include "workflows/logpanel.h"
#include "workflows/workbench.h"

#include <filesystem>
#include <optional>
#include <string>

namespace korvex {

// Everything a face hands the workflows.
struct TPWorkflowSeams {
    TMainView& view;
    TPrompts& prompts;
    TLinkPrompts* linkPrompts = nullptr;
    TMessagePump* pump = nullptr;
    TPollScheduler* scheduler = nullptr;
    TProgressSink* gauge = nullptr;
    TClock* clock = nullptr;
};

// Values a face chooses in place of the remembered ones (the command-line
// tool's --port, --speed and --card).
struct TStartChoices {
    std::optional<int> comPort; // 0 offline, 1..8
    std::optional<TBaudRate> speed;
    std::optional<std::string> cardName;
};

// The main window's logic without the window: start-up and settings, port
// and speed, the programmer state, closing, languages, the pending action of
// the big buttons, and the pieces that do the rest.
class TPMainWorkflows {
public:
    static constexpr const char* kTitle = "Korvex 2.1 Beta II";
    static constexpr int kPollMs = 400;
    static constexpr int kStartDelayMs = 3;

    // Window creation: the language table with "English", the selector over
    // the data folders. Catalogue errors reach the caller.
    TPMainWorkflows(TPDataFolders folders, TPSettingsStore& settings, TBackendFactory factory,
                    TPWorkflowSeams seams);
    ~TPMainWorkflows();
    TPMainWorkflows(const TPMainWorkflows&) = delete;
    TPMainWorkflows& operator=(const TPMainWorkflows&) = delete;

    // First showing: the driver, the card types, the poll, then the settings.
    void FormShow(const TStartChoices& choices = {});
    void LoadSettings(const TStartChoices& choices = {});
    void SaveSettings();

    // Setup menu.
    void ChoosePort(int number); // 1..8
    void ChooseOffline();
    void ChooseSpeed(TBaudRate rate);
    // The spare actions "O&ffline" and "Com &1".."Com &4" (0..4): they connect
    // without closing the line first.
    void ComPortAction(int number);

    // The driver's state handler.
    void StateChanged(TPCardState state);

    // Closing: false while a command runs (it is asked to stop and the close
    // timer finishes the close); true when the window may go, settings saved.
    bool FormClose();
    void CloseTimerTick();
    // Frees the driver, which releases the programmer, without saving anything.
    void Shutdown();

    void ApplyLanguage(const std::string& name);

    // The big buttons set the pending action; the pop-up items act on it.
    void SetPendingAction(int action) { bench_.pendingAction = action; }
    std::optional<TOutcome> PicItemClick();
    std::optional<TOutcome> EepromItemClick();
    std::optional<TOutcome> WritePicItemClick();
    std::optional<TOutcome> WriteEepromItemClick();

    // Whether a command or a transfer runs now.
    bool Busy() const;

    TPWorkbench& Bench() { return bench_; }
    TPFilePanel& Panel() { return panel_; }
    TPCardChange& CardTypes() { return cardChange_; }
    TPCardCommands& Commands() { return commands_; }
    TPLogPanel& Log() { return log_; }
    TPPicProg* Prog() { return bench_.prog.get(); }

private:
    void SelectRememberedCard(const std::string& name);

    TBackendFactory factory_;
    TPWorkflowSeams seams_;
    TPWorkbench bench_;
    TPFilePanel panel_;
    TPCardChange cardChange_;
    TPCardCommands commands_;
    TPLogPanel log_;
};

} // namespace korvex
