#pragma once

#include "link/baudrate.h"

#include <filesystem>
#include <string>

namespace korvex {

class TPReadBack;

enum class TStatusColour { scRed, scYellow, scLime, scButtonFace };

// The four image file rows of the window.
enum class TFileRow { frProgram = 0, frEeprom = 1, frIntEeprom = 2, frLoader = 3 };
constexpr int kFileRowCount = 4;

struct TRowStatus {
    std::string text;
    TStatusColour colour = TStatusColour::scButtonFace;
    bool viewEnabled = false;

    bool operator==(const TRowStatus&) const = default;
};

// How the window arranges itself for the selected card type.
struct TCardLayout {
    bool avrKind = false;
    bool showFuses = false;          // the Fuses tab (kind 9 and above)
    bool eepromRowEnabled = false;   // external EEPROM and loader rows, their buttons
    bool cardCommandsEnabled = true; // card properties group and the Edit menu
    int processorKind = -1;

    bool operator==(const TCardLayout&) const = default;
};

// The item indices of the fuse radio groups (-1: no item chosen).
struct TFuseChoices {
    int watchDog = 1;
    int powerUp = 1;
    int protection = 1;
    int oscillator = 1; // 0 LP, 1 XT, 2 HS, 3 RC
    int lock = 1;       // 0 Enabled, 1 Disabled

    bool operator==(const TFuseChoices&) const = default;
};

enum class TMessageKind { mkError, mkWarning, mkInformation };

// The answer a question offers first, the one Enter gives.
enum class TAnswer { anYes, anNo };

// The message boxes. `entry` is the language entry the text came from, -1
// for the few literal texts.
class TPrompts {
public:
    virtual ~TPrompts() = default;
    virtual void ShowMessage(TMessageKind kind, int entry, const std::string& text) = 0;
    // A warning with Yes and No, `preset` the button offered first; true only
    // for Yes.
    virtual bool Ask(int entry, const std::string& text, TAnswer preset) = 0;
    // The application's plain box with a title and an OK button.
    virtual void ShowPlain(const std::string& title, const std::string& text) = 0;
};

// What a face is asked to do for the session, beyond drawing what changed:
// each call is a request, not a notification.
class TMainView {
public:
    virtual ~TMainView() = default;
    // The read-back window, modal; returns when it closes.
    virtual void ShowReadBack(TPReadBack& /*readBack*/) {}
    // The file view window for an image file, modal.
    virtual void ShowFileView(const std::filesystem::path& /*file*/, bool /*eepromKind*/,
                              bool /*avrKind*/) {}
    // Hands a document or address to the desktop ("open").
    virtual void OpenDocument(const std::string& /*target*/) {}
    // Asks the window to close (runs the close rules again).
    virtual void RequestClose() {}
};

// Where the session's pieces tell what they changed; the session turns the
// changes into its face's events and hands the requests on.
class TSessionView : public TMainView {
public:
    virtual void ShowStatus(const std::string& /*caption*/, TStatusColour /*colour*/) {}
    virtual void ShowFileRow(TFileRow /*row*/, const TRowStatus& /*status*/) {}
    virtual void ShowFieldText(TFileRow /*row*/, const std::string& /*text*/) {}
    virtual void ShowCardLayout(const TCardLayout& /*layout*/) {}
    virtual void ShowDescription(const std::string& /*text*/) {}
    virtual void ShowFuses(const TFuseChoices& /*fuses*/) {}
    // 0 = Offline checked, 1..8 = that port item checked.
    virtual void ShowPortChoice(int /*comPort*/) {}
    virtual void ShowSpeedChoice(TBaudRate /*rate*/) {}
    // Every language caption changes with it.
    virtual void ShowLanguage() {}
    // False while a card command or a production run runs.
    virtual void EnableCommands(bool /*enabled*/) {}
    // A passing remark on a command in hand, such as a step tried again
    // after a fault on the line; no answer is awaited.
    virtual void ShowNote(const std::string& /*text*/) {}
    // A card command ended: its result is the session's.
    virtual void ShowResult() {}
};

} // namespace korvex
