#include "workflows/presenter/captions.h"

#include "support/lang.h"
#include "workflows/entries.h"

#include <array>

namespace korvex {

namespace {

constexpr std::array<TCaptionEntry, 45> kCommon{{
    {"grbCardType", entries::kCardTypeGroup},
    {"grpCardProp", entries::kCardPropertiesGroup},
    {"tbsSimple", entries::kSimpleTab},
    {"tbsAdvanced", entries::kAdvancedTab},
    {"tbsLock", entries::kLockTab},
    {"lblPicCaption", entries::kProgramRowLabel},
    {"lblEeprom", entries::kEepromRowLabel},
    {"lblIntEe", entries::kIntEepromRowLabel},
    {"btnRead", entries::kReadButton},
    {"btnWrite", entries::kWriteButton},
    {"btnVerify", entries::kVerifyButton},
    {"btnErase", entries::kEraseButton},
    {"btnLock", entries::kLockButton},
    {"File1", entries::kFileMenu},
    {"LoadPicFile1", entries::kLoadPicFileMenu},
    {"LoadIntEepromFile1", entries::kLoadIntEepromMenu},
    {"LoadEepromfile1", entries::kLoadEepromFileMenu},
    {"GetFirmwareVersion1", entries::kFirmwareMenu},
    {"Exit1", entries::kExitMenu},
    {"Edit1", entries::kEditMenu},
    {"Com1", entries::kSetupMenu},
    {"Language1", entries::kLanguageMenu},
    {"Help1", entries::kHelpMenu},
    {"Index1", entries::kIndexMenu},
    {"BugReport1", entries::kBugReportMenu},
    {"About1", entries::kAboutMenu},
    {"Port1", entries::kPortMenu},
    {"Offline2", entries::kOfflineMenu},
    {"Options1", entries::kOptionsMenu},
    {"AddCardType1", entries::kAddCardTypeMenu},
    {"EditCardType1", entries::kEditCardTypeMenu},
    {"DeleteCardType1", entries::kDeleteCardTypeMenu},
    {"AutoProgram1", entries::kAutoProgramMenu},
    {"EreaseEeprom1", entries::kEraseEepromMenu},
    {"VerifyEeprom1", entries::kVerifyEepromMenu},
    {"WriteEeprom1", entries::kWriteEepromMenu},
    {"ReadEeprom1", entries::kReadEepromMenu},
    // The first and the second item of each of the three on/off groups.
    {"rdgWatchDog:0", entries::kEnabled},
    {"rdgPowerUp:0", entries::kEnabled},
    {"rdgProtection:0", entries::kEnabled},
    {"rdgWatchDog:1", entries::kDisabled},
    {"rdgPowerUp:1", entries::kDisabled},
    {"rdgProtection:1", entries::kDisabled},
    {"Speed1", entries::kSpeedMenu},
    {"lblNoFuses", entries::kNoFuseChoices},
}};

constexpr std::array<TCaptionEntry, 8> kPic{{
    {"ReadPic1", entries::kPicReadMenu},
    {"WritePic1", entries::kPicWriteMenu},
    {"VerifyPic1", entries::kPicVerifyMenu},
    {"ErasePic1", entries::kPicEraseMenu},
    {"lblPicCaption", entries::kPicRowLabel},
    {"LoadPicFile1", entries::kPicLoadMenu},
    {"MenuItem1", entries::kPicItem},
    {"Pic1", entries::kPicItem},
}};

constexpr std::array<TCaptionEntry, 8> kAvr{{
    {"MenuItem1", entries::kAvrWriteItem},
    {"Pic1", entries::kAvrItem},
    {"ReadPic1", entries::kAvrReadMenu},
    {"WritePic1", entries::kAvrWriteMenu},
    {"VerifyPic1", entries::kAvrVerifyMenu},
    {"ErasePic1", entries::kAvrEraseMenu},
    {"lblPicCaption", entries::kAvrRowLabel},
    {"LoadPicFile1", entries::kAvrLoadMenu},
}};

constexpr std::array<TCaptionEntry, 2> kProduction{{
    {"Production1", entries::kProductionMenu},
    {"btnProduction", entries::kProduction},
}};

// The window's own texts beyond the Parts' captions; "<control>/tip" names a
// control's tip, "rows/hint" the hint every file field shows when empty.
constexpr std::array<TCaptionEntry, 17> kWindow{{
    {"rdgWatchDog", entries::kWatchDogGroup},
    {"rdgPowerUp", entries::kPowerUpGroup},
    {"rdgProtection", entries::kProtectionGroup},
    {"rdgOscil", entries::kOscillatorGroup},
    {"rdgLock", entries::kLockGroup},
    {"rdgLock:0", entries::kEnabled},
    {"rdgLock:1", entries::kDisabled},
    {"tbsFuses", entries::kFusesTab},
    {"lblLoader", entries::kLoaderRowLabel},
    {"grpLog", entries::kLogGroup},
    {"chkHidePolls", entries::kHidePolls},
    {"Image1/tip", entries::kLogPictureTip},
    {"btnProduction/tip", entries::kProductionTip},
    {"Edit3/tip", entries::kDelayTip},
    {"rows/hint", entries::kFileFieldHint},
    {"rows/open", entries::kOpenFileTip},
    {"rows/view", entries::kViewFileTip},
}};

constexpr std::array<TCaptionEntry, 2> kAbout{{
    {"lblFirmware", entries::kAboutFirmware},
    {"lblWindowssoft", entries::kAboutSoftware},
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

std::span<const TCaptionEntry> TMainCaptions::Window() {
    return kWindow;
}

std::span<const TCaptionEntry> TMainCaptions::About() {
    return kAbout;
}

std::vector<TCaptionText> TMainCaptions::Resolve(const TPLang& lang, bool avrKind) {
    std::vector<TCaptionText> texts;
    for (const auto& table : {Common(), ForKind(avrKind), Production(), Window()}) {
        for (const TCaptionEntry& caption : table) {
            texts.emplace_back(std::string(caption.control), lang.GetText(caption.entry));
        }
    }
    return texts;
}

} // namespace korvex
