#include "catalogue/configcalc.h"

#include "catalogue/carderrors.h"
#include "catalogue/configpattern.h"
#include "images/hexconv.h"
#include "support/textconv.h"

#include <algorithm>

namespace korvex {

namespace {

enum PatternField {
    kProtection = 2,
    kPowerUp = 3,
    kWatchDog = 4,
    kOscillatorRc = 5,
    kDefaultWord = 9,
};

constexpr int kOscillatorCount = 4;
constexpr int kOscillatorXt = 2;
constexpr std::size_t kConfigTextLength = 32;
constexpr std::size_t kWordDigits = 4;
constexpr std::string_view kBlankWords = "3FFF3FFF3FFF3FFF3FFF3FFF3FFF";

} // namespace

TPConfigCalculator::TPConfigCalculator(int setNumber, const TPDataFolders& folders)
    : catalogue_(folders, std::filesystem::path("cards") / "configwords.cfg"),
      setNumber_(setNumber) {}

TPConfigCalculator::TPConfigCalculator(int setNumber, TPCardReader catalogue)
    : catalogue_(std::move(catalogue)), setNumber_(setNumber) {}

// A set the processor's catalogue line names and this catalogue does not
// have is a fault of the files, said with both: a conversion error of an
// empty field past the last set told the user nothing.
TPConfigPattern TPConfigCalculator::Pattern(int field) const {
    const int count = catalogue_.GetCount();
    for (int entry = 1; entry <= count; ++entry) {
        if (StrToInt(catalogue_.GetField(entry, 1)) == setNumber_) {
            return TPConfigPattern(catalogue_.GetField(entry, field));
        }
    }
    throw EErrorsInCfg(catalogue_.GetPath() + ": there is no configuration word set " +
                       std::to_string(setNumber_) +
                       ", which cards/pics.cfg names for the processor; add the set, or name "
                       "one that is there");
}

void TPConfigCalculator::LoadConfigText(std::string_view text) {
    if (text.size() == kConfigTextLength) {
        configText_ = text;
    } else {
        configText_ = std::string(kBlankWords) + GetDefaultWord();
    }
}

std::string TPConfigCalculator::GetConfigText() const {
    return configText_;
}

std::string TPConfigCalculator::GetDefaultWord() const {
    return HexUpper(Pattern(kDefaultWord).Ones(), kWordDigits);
}

// Before LoadConfigText the text is empty and reads as word 0; the tail is
// clamped so a short text can never be indexed out of range.
std::uint16_t TPConfigCalculator::ReadWord() const {
    const std::size_t digits = std::min(kWordDigits, configText_.size());
    const std::string_view text(configText_);
    return static_cast<std::uint16_t>(TPHexConv::HexToInt(text.substr(text.size() - digits)));
}

void TPConfigCalculator::WriteWord(std::uint16_t word) {
    const std::size_t digits = std::min(kWordDigits, configText_.size());
    configText_.replace(configText_.size() - digits, digits, HexUpper(word, kWordDigits));
}

void TPConfigCalculator::Apply(int field, bool on) {
    const TPConfigPattern pattern = Pattern(field);
    WriteWord(pattern.Apply(ReadWord(), on));
}

bool TPConfigCalculator::Matches(int field) const {
    return Pattern(field).Matches(ReadWord());
}

void TPConfigCalculator::SetProtection(bool on) {
    Apply(kProtection, on);
}
void TPConfigCalculator::SetPowerUp(bool on) {
    Apply(kPowerUp, on);
}
void TPConfigCalculator::SetWatchDog(bool on) {
    Apply(kWatchDog, on);
}

void TPConfigCalculator::SetOscillator(int code) {
    if (code >= 0 && code < kOscillatorCount) {
        Apply(kOscillatorRc + code, true);
    }
}

bool TPConfigCalculator::IsProtectionOn() const {
    return Matches(kProtection);
}
bool TPConfigCalculator::IsPowerUpOn() const {
    return Matches(kPowerUp);
}
bool TPConfigCalculator::IsWatchDogOn() const {
    return Matches(kWatchDog);
}

int TPConfigCalculator::GetOscillator() const {
    int result = kOscillatorXt;
    for (int code = 0; code < kOscillatorCount; ++code) {
        if (Matches(kOscillatorRc + code)) {
            result = code;
        }
    }
    return result;
}

} // namespace korvex
