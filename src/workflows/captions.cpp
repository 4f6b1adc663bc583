#include "workflows/captions.h"

#include "support/lang.h"
#include "workflows/entries.h"

#include <array>

namespace korvex {

namespace {

constexpr std::array<TCaptionEntry, 43> kCommon{{
    {"grbCardType", 0},
    {"grpCardProp", 1},
    {"tbsSimple", 2},
    {"tbsAdvanced", 3},
    {"tbsLock", 4},
    {"lblPicCaption", 5},
    {"lblEeprom", 6},
    {"lblIntEe", 7},
    {"btnRead", 9},
    {"btnWrite", 10},
    {"btnVerify", 11},
    {"btnErase", 12},
    {"btnLock", 16},
    {"File1", 17},
    {"LoadPicFile1", 18},
    {"LoadIntEepromFile1", 19},
    {"LoadEepromfile1", 20},
    {"GetFirmwareVersion1", 21},
    {"Exit1", 22},
    {"Edit1", 23},
    {"Com1", 24},
    {"Language1", 25},
    {"Help1", 26},
    {"Index1", 27},
    {"BugReport1", 28},
    {"About1", 29},
    {"Port1", 30},
    {"Offline2", 31},
    {"Options1", 32},
    {"AddCardType1", 33},
    {"EditCardType1", 34},
    {"DeleteCardType1", 35},
    {"AutoProgram1", 36},
    {"EreaseEeprom1", 37},
    {"VerifyEeprom1", 38},
    {"WriteEeprom1", 39},
    {"ReadEeprom1", 40},
    // The first and the second item of each of the three on/off groups.
    {"rdgWatchDog:0", 41},
    {"rdgPowerUp:0", 41},
    {"rdgProtection:0", 41},
    {"rdgWatchDog:1", 42},
    {"rdgPowerUp:1", 42},
    {"rdgProtection:1", 42},
}};

constexpr std::array<TCaptionEntry, 8> kPic{{
    {"ReadPic1", 101},
    {"WritePic1", 102},
    {"VerifyPic1", 103},
    {"ErasePic1", 104},
    {"lblPicCaption", 105},
    {"LoadPicFile1", 106},
    {"MenuItem1", 107},
    {"Pic1", 107},
}};

constexpr std::array<TCaptionEntry, 8> kAvr{{
    {"MenuItem1", 109},
    {"Pic1", 110},
    {"ReadPic1", 111},
    {"WritePic1", 112},
    {"VerifyPic1", 113},
    {"ErasePic1", 114},
    {"lblPicCaption", 115},
    {"LoadPicFile1", 116},
}};

constexpr std::array<TCaptionEntry, 2> kProduction{{
    {"Production1", entries::kProductionMenu},
    {"btnProduction", entries::kProduction},
}};

constexpr std::array<TCaptionEntry, 2> kAbout{{
    {"lblFirmware", 43},
    {"lblWindowssoft", 44},
}};

} // namespace

std::span<const TCaptionEntry> TMainCaptions::Common() {
    return kCommon;
}

std::span<const TCaptionEntry> TMainCaptions::ForKind(bool avrKind) {
    if (avrKind) {
        return kAvr;
    }
    return kPic;
}

std::span<const TCaptionEntry> TMainCaptions::Production() {
    return kProduction;
}

std::span<const TCaptionEntry> TMainCaptions::About() {
    return kAbout;
}

std::vector<TCaptionText> TMainCaptions::Resolve(const TPLang& lang, bool avrKind) {
    std::vector<TCaptionText> texts;
    for (const auto& table : {Common(), ForKind(avrKind), Production()}) {
        for (const TCaptionEntry& caption : table) {
            texts.emplace_back(std::string(caption.control), lang.GetText(caption.entry));
        }
    }
    return texts;
}

} // namespace korvex
