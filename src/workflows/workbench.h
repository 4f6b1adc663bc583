#pragma once

#include "catalogue/cardbox.h"
#include "catalogue/cardini.h"
#include "link/clock.h"
#include "link/picprog.h"
#include "support/datafolders.h"
#include "support/lang.h"
#include "support/optionreader.h"
#include "support/settingsstore.h"
#include "workflows/images.h"
#include "workflows/mainview.h"

#include <array>
#include <filesystem>
#include <memory>
#include <string>

namespace korvex {

// The faces' side of the workflows: where messages, the gauge and everything
// else the window shows go.
struct TPFaces {
    TMainView& view;
    TPrompts& prompts;
    TProgressSink* gauge = nullptr;
    TClock* clock = nullptr; // the steady clock when none is given
};

// The window's long-lived objects and working state, shared by the pieces of
// the workflows. A plain aggregate: each piece documents what it changes.
struct TPWorkbench {
    TPWorkbench(TPDataFolders folders, TPSettingsStore& store, TPFaces faces)
        : dataFolders(std::move(folders)), programFolder(dataFolders.program), settings(store),
          options(dataFolders), view(faces.view), prompts(faces.prompts), gauge(faces.gauge),
          clock(faces.clock ? *faces.clock : TSteadyClock::Instance()) {}
    TPWorkbench(const TPWorkbench&) = delete;
    TPWorkbench& operator=(const TPWorkbench&) = delete;

    TPDataFolders dataFolders;
    std::filesystem::path programFolder;
    TPSettingsStore& settings;
    TPLang lang;
    TPImages images;
    TPOptionReader options;
    TPCardTypeBox cardBox;
    TPCardIni cardStore;
    std::unique_ptr<TPPicProg> prog; // from the first showing on
    TMainView& view;
    TPrompts& prompts;
    TProgressSink* gauge;
    TClock& clock;

    // --- window state
    TPCardState cardState = TPCardState::csNotConnected;
    bool closePending = false;
    std::string languageName;
    int pendingAction = 0; // 1 read, 2 write, 3 verify, 4 erase
    // The card type whose settings the window shows: its index and, so a
    // rescan can never send them to another card, its name.
    int previousCardIndex = -1;
    std::string previousCardName;
    int picKind = -1;
    int eepromKind = -1;
    int avrEepromKind = -1;
    bool firmwareWarningShown = false;
    bool autoRunning = false;
    bool commandRunning = false;
    // Whether leaving a card type stores its settings in its file. A face that
    // only runs one command and goes (the command-line tool) leaves the files
    // alone unless the command is about those settings.
    bool storeCardDefaults = true;
    std::array<std::string, kFileRowCount> fields;
    TFuseChoices fuses;
    TCardLayout layout;
    std::string statusCaption = "Not Connected";
    TStatusColour statusColour = TStatusColour::scRed;
    int comPort = 0;                          // the checked port item, 0 = Offline
    TBaudRate speedItem = TBaudRate::br19200; // the checked speed item
    bool speedChosen = false;                 // a speed item has run (stored on close)

    // Kept language texts, refreshed by every language change.
    std::string noFileText;
    std::string notConnectedText = "Not Connected";
    std::string notReadyText;
    std::string readyText;

    std::string Text(int entry) const { return lang.GetText(entry); }
    std::string& Field(TFileRow row) { return fields[static_cast<std::size_t>(row)]; }
    bool AvrKind() const { return picKind >= 8; }

    void SetStatus(const std::string& caption) {
        statusCaption = caption;
        view.ShowStatus(statusCaption, statusColour);
    }
};

} // namespace korvex
