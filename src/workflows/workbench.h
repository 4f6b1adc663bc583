#pragma once

#include "catalogue/cardbox.h"
#include "catalogue/cardini.h"
#include "link/clock.h"
#include "link/picprog.h"
#include "support/datafolders.h"
#include "support/lang.h"
#include "support/optionreader.h"
#include "support/settingsstore.h"
#include "workflows/difference.h"
#include "workflows/failstep.h"
#include "workflows/images.h"
#include "workflows/mainview.h"
#include "workflows/promptrelay.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace korvex {

// The faces' side of the workflows: where messages, the gauge and everything
// else the window shows go.
struct TPFaces {
    TMainView& view;
    TPrompts& prompts;
    TProgressSink* gauge = nullptr;
    TClock* clock = nullptr; // the steady clock when none is given
    TLinkPrompts* linkPrompts = nullptr;
};

// The images a card command sent to the card or compared it with, as hex
// text, for a production record: empty where the command had none.
struct TSentImages {
    std::string program;
    std::string eeprom;
    std::string intEeprom;
};

// The gauge as the workflows pass it on: it remembers its position for the
// snapshot and hands every value to the face's gauge.
class TGaugeRelay final : public TProgressSink {
public:
    explicit TGaugeRelay(TProgressSink* face) : face_(face) {}
    void SetProgress(int percent) override {
        percent_ = percent;
        if (face_ != nullptr) {
            face_->SetProgress(percent);
        }
    }
    int Percent() const { return percent_; }

private:
    TProgressSink* face_;
    int percent_ = 0;
};

// The window's long-lived objects and working state, shared by the pieces of
// the workflows. A plain aggregate: each piece documents what it changes.
struct TPWorkbench {
    TPWorkbench(TPDataFolders folders, TPSettingsStore& store, TPFaces faces)
        : dataFolders(std::move(folders)), settings(store), options(dataFolders), view(faces.view),
          prompts(faces.prompts, faces.linkPrompts), gauge(faces.gauge),
          clock(faces.clock ? *faces.clock : TSteadyClock::Instance()) {}
    TPWorkbench(const TPWorkbench&) = delete;
    TPWorkbench& operator=(const TPWorkbench&) = delete;

    TPDataFolders dataFolders;
    TPSettingsStore& settings;
    TPLang lang;
    TPImages images;
    TPOptionReader options;
    TPCardTypeBox cardBox;
    TPCardIni cardStore;
    std::unique_ptr<TPPicProg> prog; // from the first showing on
    TMainView& view;
    TPromptRelay prompts;
    TGaugeRelay gauge;
    TClock& clock;

    // --- window state
    TPCardState cardState = TPCardState::csNotConnected;
    bool closePending = false;
    std::string languageName;
    int pendingAction = 0; // 1 read, 2 write, 3 verify, 4 erase
    // The card type whose settings the window shows, by name, so a rescan
    // that moves the list can never send them to another card. Empty: none.
    std::string previousCardName;
    int picKind = -1;
    int eepromKind = -1;
    int avrEepromKind = -1;
    bool firmwareWarningShown = false;
    bool autoRunning = false;
    bool commandRunning = false;
    // A production run is on: between its cards too, the commands are off.
    bool productionRunning = false;
    // What the last card command found wrong: the step of Auto program it
    // failed at and where a verify first differed; and the images it used.
    TFailStep failStep = TFailStep::fsNone;
    std::optional<TPDifference> difference;
    TSentImages sent;
    // Whether leaving a card type stores its settings in its file. A face that
    // only runs one command and goes (the command-line tool) leaves the files
    // alone unless the command is about those settings.
    bool storeCardDefaults = true;
    std::array<std::string, kFileRowCount> fields;
    std::array<TRowStatus, kFileRowCount> rowStatus;
    TFuseChoices fuses;
    TCardLayout layout;
    std::string description;
    std::string windowCaption = "Korvex 2.1 Beta II";
    std::string statusCaption = "Not Connected";
    TStatusColour statusColour = TStatusColour::scRed;
    int comPort = 0;                          // the checked port item, 0 = Offline
    TBaudRate speedItem = TBaudRate::br19200; // the checked speed item
    bool speedChosen = false;                 // a speed item has run (stored on close)

    std::vector<std::string> languages; // the language files found at start

    // Kept language texts, refreshed by every language change.
    std::string noFileText;
    std::string notConnectedText = "Not Connected";
    std::string notReadyText;
    std::string readyText;

    // Each intent of a face is one user action; a file that fails to load is
    // reported once in it, however often the action evaluates its row.
    std::set<std::string> reportedFailures;

    std::string Text(int entry) const { return lang.GetText(entry); }
    std::string& Field(TFileRow row) { return fields[static_cast<std::size_t>(row)]; }
    bool AvrKind() const { return picKind >= 8; }

    void SetStatus(const std::string& caption) {
        statusCaption = caption;
        view.ShowStatus(statusCaption, statusColour);
    }
    // The colour of the status panel for a programmer state.
    static TStatusColour ColourOf(TPCardState state) {
        switch (state) {
        case TPCardState::csCardReady:
            return TStatusColour::scLime;
        case TPCardState::csCardNotReady:
            return TStatusColour::scYellow;
        case TPCardState::csNotConnected:
            break;
        }
        return TStatusColour::scRed;
    }
    std::string StateCaption() const {
        return cardState == TPCardState::csCardReady      ? readyText
               : cardState == TPCardState::csCardNotReady ? notReadyText
                                                          : notConnectedText;
    }
    // The status panel as the programmer state has it: its colour and caption.
    void ShowStateCaption() {
        statusColour = ColourOf(cardState);
        SetStatus(StateCaption());
    }
    // The same, told to the face only when the panel shows something else.
    void RestoreStateCaption() {
        if (statusCaption != StateCaption() || statusColour != ColourOf(cardState)) {
            ShowStateCaption();
        }
    }
    void SetRow(TFileRow row, const TRowStatus& status) {
        rowStatus[static_cast<std::size_t>(row)] = status;
        view.ShowFileRow(row, status);
    }
    void SetWindowCaption(const std::string& caption) {
        windowCaption = caption;
        view.ShowWindowCaption(caption);
    }
    void SetDescription(const std::string& text) {
        description = text;
        view.ShowDescription(text);
    }
    void SetFuses(const TFuseChoices& choices) {
        fuses = choices;
        view.ShowFuses(fuses);
    }
    // A new user action: failures are reported afresh.
    void BeginAction() { reportedFailures.clear(); }
};

} // namespace korvex
