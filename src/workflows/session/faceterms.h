#pragma once

// The terms a face and the session share: how an intent was taken, the card
// commands, the fuse groups and the big buttons.

#include <array>
#include <string_view>

namespace korvex {

// How the workflows took an intent of a face.
enum class TIntentResult {
    irDone,     // done as asked
    irRefused,  // not taken: a card command is running, and nothing may change under it
    irDeclined, // not taken: the user answered No, or left a dialog's field empty
    irFailed,   // taken, but it failed; the reason has been shown
};

// The card commands a face can run.
enum class TCardCommand {
    ccReadPic,
    ccReadEeprom,
    ccWritePic,
    ccVerifyPic,
    ccErasePic,
    ccWriteEeprom,
    ccVerifyEeprom,
    ccEraseEeprom,
    ccAutoProgram,
    ccLockCard,
    ccFirmwareVersion,
};

// The fuse radio groups: the three on/off groups (item 0 Enabled, 1
// Disabled), the oscillator (0 LP, 1 XT, 2 HS, 3 RC) and the AVR lock.
enum class TFuse { fuWatchDog, fuPowerUp, fuProtection, fuOscillator, fuLock };

// The oscillator group's items by their names, in item order.
inline constexpr std::array<std::string_view, 4> kOscillatorNames = {"LP", "XT", "HS", "RC"};

// The big buttons of the window; each sets what the pop-up items then do.
enum class TBigButton { bbRead = 1, bbWrite = 2, bbVerify = 3, bbErase = 4 };

} // namespace korvex
