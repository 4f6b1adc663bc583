#include "workflows/cardtype/cardchange.h"

#include "workflows/cardtype/fuses.h"
#include "workflows/entries.h"

#include <algorithm>

namespace korvex {

namespace {

constexpr int kOscillatorItems = 4;
constexpr int kTwoItems = 2;
constexpr int kFirstOldFirmware = 1;
constexpr int kLastOldFirmware = 99;
constexpr int kFirstNoFusesFirmware = 100;
constexpr int kLastNoFusesFirmware = 103;

// A stored item index below -1 selects nothing; one beyond the group, its last item.
int ItemIndex(int stored, int items) {
    if (stored < -1) {
        return -1;
    }
    return std::min(stored, items - 1);
}

TFuseChoices StoredFuses(const TPCardDefaults& defaults) {
    TFuseChoices fuses;
    fuses.powerUp = ItemIndex(defaults.PowerUp, kTwoItems);
    fuses.protection = ItemIndex(defaults.Protected, kTwoItems);
    fuses.oscillator = ItemIndex(defaults.Oscil, kOscillatorItems);
    fuses.watchDog = ItemIndex(defaults.WatchDog, kTwoItems);
    fuses.lock = ItemIndex(defaults.ATLock, kTwoItems);
    return fuses;
}

} // namespace

TPCardChange::TPCardChange(TPCardChoice& card, TPFileRows& rows, TPLine& line,
                           TPromptRelay& prompts, TSessionView& view, const TPLang& lang,
                           const TPDataFolders& folders)
    : card_(card), rows_(rows), line_(line), prompts_(prompts), view_(view), lang_(lang),
      folders_(folders) {
    rows_.OnProgramFileNamed = [this] { TakeFileWord(); };
}

void TPCardChange::CardChanged() {
    TPCardChoice& card = card_;
    if (card.Name() != card.ShownName()) {
        SaveCardDefaults();
    }
    // The rows now show the card type's own files.
    kept_ = {};
    if (card.Index() >= 0 && card.Store().GetCardInfo(card.Index())) {
        const TPCardInfo info = *card.Store().GetCardInfo(card.Index());
        card.SetDescription(info.CardDescription);
        view_.ShowDescription(info.CardDescription);
        TCardLayout layout;
        layout.processorKind = card.Kind().Code();
        if (card.Kind().IsAvr()) {
            ArrangeForAvr(layout);
        } else {
            card.SetFirmwareWarningShown(false);
        }
        // Exactly "None": that is how card type files say there is no EEPROM.
        layout.eepromRowEnabled = info.EepromName != "None" && !info.EepromName.empty();
        card.SetLayout(layout);
        view_.ShowCardLayout(layout);
    }
    rows_.EmptyAll();
    LoadCardDefaults();
    card.SetShownName(card.Name());
}

void TPCardChange::ArrangeForAvr(TCardLayout& layout) {
    layout.avrKind = true;
    const int version = line_.Started() ? line_.Prog().GetFirmwareVersion() : 0;
    if (version >= kFirstOldFirmware && version <= kLastOldFirmware) {
        WarnAboutFirmware(layout, entries::kFirmwareTooOld);
    }
    if (card_.Kind().HasFuses()) {
        if (version >= kFirstNoFusesFirmware && version <= kLastNoFusesFirmware) {
            WarnAboutFirmware(layout, entries::kFirmwareUnsuitable);
        }
        layout.showFuses = true;
    }
}

void TPCardChange::WarnAboutFirmware(TCardLayout& layout, int entry) {
    layout.cardCommandsEnabled = false;
    if (!card_.FirmwareWarningShown()) {
        prompts_.ShowMessage(TMessageKind::mkWarning, entry, Text(entry));
        card_.SetFirmwareWarningShown(true);
    }
}

// Every row is evaluated, whether its text changed or not: the images went
// with the card type that was left.
void TPCardChange::LoadCardDefaults() {
    const TPCardDefaults defaults = card_.ReadDefaults();
    card_.Fuses().Restore(StoredFuses(defaults));
    view_.ShowFuses(card_.Fuses().Shown());
    TPFileRows& rows = rows_;
    rows.SetField(TFileRow::frProgram, defaults.PicFile, true);
    rows.SetField(TFileRow::frIntEeprom, defaults.IntEeFile, true);
    rows.SetField(TFileRow::frEeprom, defaults.ExtEeFile, true);
    rows.SetField(TFileRow::frLoader, defaults.Loader, true);
}

void TPCardChange::TakeFileWord() {
    if (!rows_.CarriesConfigWord()) {
        card_.Fuses().DropFileWord();
        view_.ShowFuses(card_.Fuses().Shown());
        return;
    }
    const TPCardChoice& card = card_;
    const auto word = FuseChoicesOfWord(
        card.ConfigSet(), folders_, rows_.Images().config.GetHexText(0, -1), card.Fuses().Shown());
    if (word) {
        card_.Fuses().TakeFileWord(*word);
        view_.ShowFuses(card_.Fuses().Shown());
    }
}

void TPCardChange::SaveCardDefaults(bool always) {
    TPCardChoice& card = card_;
    if (card.ShownName().empty() || !(storeOnLeave_ || always)) {
        return;
    }
    const TPFileRows& rows = rows_;
    const TFuseChoices fuses = card.Fuses().ToStore();
    const auto stored = [&](TFileRow row) {
        const auto& kept = kept_[static_cast<std::size_t>(row)];
        return kept ? *kept : rows.StoredField(row);
    };
    TPCardDefaults defaults;
    defaults.PicFile = stored(TFileRow::frProgram);
    defaults.IntEeFile = stored(TFileRow::frIntEeprom);
    defaults.ExtEeFile = stored(TFileRow::frEeprom);
    defaults.Loader = stored(TFileRow::frLoader);
    defaults.PowerUp = fuses.powerUp;
    defaults.Protected = fuses.protection;
    defaults.Oscil = fuses.oscillator;
    defaults.WatchDog = fuses.watchDog;
    defaults.ATLock = fuses.lock;
    card.WriteDefaults(card.ShownName(), defaults);
}

// The settings shown go into their card type's file before the list moves,
// and the change runs once, with the new card type already looked up, so no
// file is judged against the sizes of the card type shown before.
void TPCardChange::RefreshCardList() {
    SaveCardDefaults();
    if (!card_.Rescan()) {
        return;
    }
    card_.SetShownName({});
    card_.Lookup();
}

void TPCardChange::ShowForRun(TFileRow row, const std::string& file) {
    auto& kept = kept_[static_cast<std::size_t>(row)];
    if (!kept) {
        kept = rows_.Field(row);
    }
    rows_.SetField(row, file, true);
}

bool TPCardChange::DeleteCardType() {
    const std::string name = card_.Name();
    const std::string question =
        Text(entries::kDeleteCardType) + " " + name + "\r\n" + Text(entries::kAreYouSure) + " ?";
    // A card type deleted is gone with its settings: only a deliberate Yes.
    if (!prompts_.Ask(entries::kDeleteCardType, question, TAnswer::anNo)) {
        return false;
    }
    // A card type that is not there (or cannot be deleted) throws, and then
    // the window still stands for the card type it shows.
    card_.Delete(name);
    card_.SetShownName({});
    RefreshCardList();
    return true;
}

} // namespace korvex
