#pragma once

#include "link/baudrate.h"
#include "link/cardstate.h"
#include "workflows/cardtype/fusechoice.h"
#include "workflows/filerows/filerows.h"
#include "workflows/presenter/captions.h"
#include "workflows/presenter/mainview.h"
#include "workflows/session/commandresult.h"

#include <array>
#include <string>
#include <vector>

namespace korvex {

// Everything the main window shows, at one moment: a face can draw itself
// whole from it at any time, and needs nothing else from the workflows.
struct TMainSnapshot {
    std::string windowCaption;
    std::string statusCaption;
    TStatusColour statusColour = TStatusColour::scRed;
    // Every caption the status panel can show, for a face to size it once.
    std::vector<std::string> statusCaptions;
    TPCardState cardState = TPCardState::csNotConnected;
    int gauge = 0;

    // The card type selector: the list, the chosen item (-1: none) and its text.
    std::vector<std::string> cardTypes;
    int cardIndex = -1;
    std::string cardText;
    std::string description;
    // The chosen card type's parts as its file names them.
    std::string processorName;
    std::string eepromName;
    TCardLayout layout;
    TFuseChoices fuses;
    // What the card type keeps, and where the choices shown come from.
    TFuseChoices storedFuses;
    TFuseOrigin fuseOrigin = TFuseOrigin::foStored;
    std::array<TRowView, kFileRowCount> rows;

    int comPort = 0; // 0 = Offline, 1..8 = that port item
    // The device each port item 1..8 opens ("sim": the built-in simulator);
    // empty without a port map.
    std::array<std::string, 8> portDevices;
    TBaudRate speed = TBaudRate::br19200;
    bool connected = false;
    std::string connectError; // why the chosen port could not be opened
    // The same as every face words it, naming the port: empty while the port
    // is open or none is chosen.
    std::string portProblem;

    std::string language;
    std::vector<std::string> languages;
    // Every language caption of the main window for the chosen card type's
    // family, in the order they apply.
    std::vector<TCaptionText> captions;

    bool commandRunning = false;
    bool productionRunning = false;
    bool logging = false;
    std::string logButtonCaption;
    bool pollsHidden = false;

    // The remarks of the command in hand, and what the last command did.
    std::vector<std::string> notes;
    TCommandResult result;
    // On the built-in simulator: that it is one, and where the real
    // programmer is chosen; empty on any other port.
    std::string portHint;
};

} // namespace korvex
