#pragma once

#include "catalogue/cfgreader.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace korvex {

class TPConfigPattern;

// Translates between the four choices of the Advanced tab (protection,
// power-up timer, watchdog, oscillator) and a PIC configuration word, using
// the bit patterns of one set of "cards/configwords.cfg". Works on the
// 32-digit text of the configuration area; only its last four digits, the
// configuration word, are ever read or changed.
class TPConfigCalculator {
public:
    // The catalogue is cards/configwords.cfg of the data folders, loaded at once.
    TPConfigCalculator(int setNumber, const TPDataFolders& folders);
    // The same with a catalogue already loaded.
    TPConfigCalculator(int setNumber, TPCardReader catalogue);

    // Exactly 32 characters are taken as they are; anything else becomes seven
    // blank words "3FFF" followed by the default word.
    void LoadConfigText(std::string_view text);
    std::string GetConfigText() const;

    // The set's default word as four upper-case hex digits.
    std::string GetDefaultWord() const;

    void SetProtection(bool on);
    void SetPowerUp(bool on);
    void SetWatchDog(bool on);
    // 0 RC, 1 HS, 2 XT, 3 LP; other codes change nothing.
    void SetOscillator(int code);

    bool IsProtectionOn() const;
    bool IsPowerUpOn() const;
    bool IsWatchDogOn() const;
    // The code of the last oscillator pattern the word matches; 2 (XT) when none does.
    int GetOscillator() const;

private:
    // The set is looked up on every use, so a set missing from the catalogue
    // fails the operation that needs it, not the construction.
    TPConfigPattern Pattern(int field) const;
    std::uint16_t ReadWord() const;
    void WriteWord(std::uint16_t word);
    void Apply(int field, bool on);
    bool Matches(int field) const;

    TPCardReader catalogue_;
    std::string configText_;
    int setNumber_;
};

} // namespace korvex
