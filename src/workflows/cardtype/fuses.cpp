#include "workflows/cardtype/fuses.h"

#include "catalogue/configcalc.h"

namespace korvex {

namespace {

// Item order of the oscillator group: LP, XT, HS, RC; the calculator codes
// them the other way round.
constexpr int kOscillatorItems = 4;

// The processor catalogue gives set 0 to parts without a configuration word
// (every AVR): loading their program files must not fail on a missing set.
constexpr int kNoConfigSet = 0;

int ItemOf(bool on) {
    return on ? 0 : 1;
}

} // namespace

std::string BuildConfigText(int configSet, const TPDataFolders& folders,
                            const std::string& configText, const TFuseChoices& fuses) {
    if (configSet <= kNoConfigSet) {
        return {};
    }
    TPConfigCalculator calculator(configSet, folders);
    calculator.LoadConfigText(configText);
    if (fuses.oscillator >= 0 && fuses.oscillator < kOscillatorItems) {
        calculator.SetOscillator(kOscillatorItems - 1 - fuses.oscillator);
    }
    calculator.SetWatchDog(fuses.watchDog == 0);
    calculator.SetPowerUp(fuses.powerUp == 0);
    calculator.SetProtection(fuses.protection == 0);
    return calculator.GetConfigText();
}

std::optional<TFuseChoices> FuseChoicesOfWord(int configSet, const TPDataFolders& folders,
                                              const std::string& configText,
                                              const TFuseChoices& base) {
    if (configSet <= kNoConfigSet) {
        return std::nullopt;
    }
    TPConfigCalculator calculator(configSet, folders);
    calculator.LoadConfigText(configText);
    TFuseChoices fuses = base;
    const int oscillator = calculator.GetOscillator();
    if (oscillator >= 0 && oscillator < kOscillatorItems) {
        fuses.oscillator = kOscillatorItems - 1 - oscillator;
    }
    fuses.watchDog = ItemOf(calculator.IsWatchDogOn());
    fuses.protection = ItemOf(calculator.IsProtectionOn());
    fuses.powerUp = ItemOf(calculator.IsPowerUpOn());
    return fuses;
}

} // namespace korvex
