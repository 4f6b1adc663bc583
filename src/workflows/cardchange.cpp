#include "workflows/cardchange.h"

#include <algorithm>

namespace korvex {

namespace {

constexpr int kOscillatorItems = 4;
constexpr int kTwoItems = 2;

// A stored item index below -1 selects nothing; one beyond the group, its last item.
int ItemIndex(int stored, int items) {
    if (stored < -1) {
        return -1;
    }
    return std::min(stored, items - 1);
}

std::optional<int> IndexOfCard(const TPCardIni& store, const std::string& name) {
    for (int i = 0; i < store.GetCardCount(); ++i) {
        if (store.GetCardInfo(i)->CardName == name) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

void TPCardChange::CardChanged() {
    TPCardTypeBox& box = bench_.cardBox;
    if (box.Text() != bench_.previousCardName) {
        SaveCardDefaults();
    }
    if (const auto card = bench_.cardStore.GetCardInfo(box.ItemIndex())) {
        bench_.SetDescription(card->CardDescription);
        bench_.layout = TCardLayout{};
        bench_.layout.processorKind = box.GetPicKind();
        if (box.GetPicKind() >= 8) {
            ArrangeForAvr(box.GetPicKind());
        } else {
            ArrangeForPic();
        }
        ArrangeEepromRows(*card);
        bench_.view.ShowCardLayout(bench_.layout);
    }
    bench_.picKind = box.GetPicKind();
    if (bench_.picKind >= 8) {
        bench_.avrEepromKind = box.GetEepromAvrKind();
    }
    bench_.eepromKind = box.GetEepromKind();

    LoadCardDefaults();
    // The change emptied an AVR's internal EEPROM image; a file name that
    // did not change would not load it again by itself.
    if (bench_.picKind >= 8) {
        panel_.Evaluate(TFileRow::frIntEeprom);
    }
    panel_.Evaluate(TFileRow::frProgram);
    if (bench_.eepromKind != -1) {
        panel_.Evaluate(TFileRow::frEeprom);
        panel_.Evaluate(TFileRow::frLoader);
    }
    bench_.previousCardName = box.ItemIndex() >= 0 ? box.Text() : std::string();
}

void TPCardChange::ArrangeForAvr(int kind) {
    bench_.images.intEeprom.Clear();
    bench_.layout.avrKind = true;
    const int version = bench_.prog ? bench_.prog->GetFirmwareVersion() : 0;
    if (version >= 1 && version <= 99) {
        WarnAboutFirmware(137);
    }
    if (kind >= 9) {
        if (version >= 100 && version <= 103) {
            WarnAboutFirmware(140);
        }
        bench_.layout.showFuses = true;
    }
}

void TPCardChange::WarnAboutFirmware(int entry) {
    bench_.layout.cardCommandsEnabled = false;
    if (!bench_.firmwareWarningShown) {
        bench_.prompts.ShowMessage(TMessageKind::mkWarning, entry, bench_.Text(entry));
        bench_.firmwareWarningShown = true;
    }
}

void TPCardChange::ArrangeForPic() {
    bench_.layout.avrKind = false;
    bench_.firmwareWarningShown = false;
}

void TPCardChange::ArrangeEepromRows(const TPCardInfo& card) {
    // Exactly "None": that is how card type files say there is no EEPROM.
    if (card.EepromName != "None" && !card.EepromName.empty()) {
        bench_.layout.eepromRowEnabled = true;
        panel_.SetField(TFileRow::frLoader, bench_.Text(139));
        bench_.SetRow(TFileRow::frEeprom, {bench_.noFileText, TStatusColour::scRed, false});
        bench_.SetRow(TFileRow::frLoader, {bench_.Text(139), TStatusColour::scLime, true});
    } else {
        bench_.layout.eepromRowEnabled = false;
        panel_.SetField(TFileRow::frLoader, "");
        bench_.SetRow(TFileRow::frEeprom, {"", TStatusColour::scButtonFace, false});
        bench_.SetRow(TFileRow::frLoader, {"", TStatusColour::scButtonFace, false});
    }
}

void TPCardChange::SaveCardDefaults(bool always) {
    if (bench_.previousCardName.empty() || !(bench_.storeCardDefaults || always)) {
        return;
    }
    const auto index = IndexOfCard(bench_.cardStore, bench_.previousCardName);
    if (!index) {
        return;
    }
    TPCardDefaults defaults;
    defaults.PicFile = bench_.Field(TFileRow::frProgram);
    defaults.IntEeFile = bench_.Field(TFileRow::frIntEeprom);
    defaults.ExtEeFile = bench_.Field(TFileRow::frEeprom);
    defaults.Loader = bench_.Field(TFileRow::frLoader);
    defaults.PowerUp = bench_.fuses.powerUp;
    defaults.Protected = bench_.fuses.protection;
    defaults.Oscil = bench_.fuses.oscillator;
    defaults.WatchDog = bench_.fuses.watchDog;
    defaults.ATLock = bench_.fuses.lock;
    bench_.cardStore.WriteDefaults(*index, defaults);
}

void TPCardChange::LoadCardDefaults() {
    const int index = bench_.cardBox.ItemIndex();
    if (index < 0) {
        return;
    }
    TPCardDefaults defaults;
    bench_.cardStore.ReadDefaults(index, defaults);
    panel_.SetField(TFileRow::frProgram, defaults.PicFile);
    panel_.SetField(TFileRow::frIntEeprom, defaults.IntEeFile);
    if (bench_.picKind >= 0) {
        panel_.SetField(TFileRow::frEeprom, defaults.ExtEeFile);
        panel_.SetField(TFileRow::frLoader, defaults.Loader);
    }
    ShowStoredFuses(defaults);
}

void TPCardChange::RestoreStoredFuses() {
    const int index = bench_.cardBox.ItemIndex();
    if (index < 0) {
        return;
    }
    TPCardDefaults defaults;
    bench_.cardStore.ReadDefaults(index, defaults);
    ShowStoredFuses(defaults);
}

void TPCardChange::ShowStoredFuses(const TPCardDefaults& defaults) {
    TFuseChoices& fuses = bench_.fuses;
    fuses.powerUp = ItemIndex(defaults.PowerUp, kTwoItems);
    fuses.protection = ItemIndex(defaults.Protected, kTwoItems);
    fuses.oscillator = ItemIndex(defaults.Oscil, kOscillatorItems);
    fuses.watchDog = ItemIndex(defaults.WatchDog, kTwoItems);
    fuses.lock = ItemIndex(defaults.ATLock, kTwoItems);
    bench_.SetFuses(fuses);
}

// The settings shown go into their card type's file before the list moves,
// and the change runs once, with the new card type already looked up, so no
// file is judged against the sizes of the card type shown before.
void TPCardChange::RefreshCardList() {
    SaveCardDefaults();
    bench_.cardStore.ScanCardTypes();
    if (bench_.cardStore.GetCardCount() == 0) {
        return;
    }
    bench_.previousCardName.clear();
    bench_.cardBox.RefreshCardTypes();
    bench_.cardBox.CardChanged();
}

bool TPCardChange::DeleteCardType() {
    const std::string name = bench_.cardBox.Text();
    const std::string question = bench_.Text(76) + " " + name + "\r\n" + bench_.Text(77) + " ?";
    if (!bench_.prompts.Ask(76, question)) {
        return false;
    }
    // A card type that is not there (or cannot be deleted) throws, and then
    // the window still stands for the card type it shows.
    bench_.cardStore.DeleteCardType(name);
    bench_.previousCardName.clear();
    RefreshCardList();
    return true;
}

} // namespace korvex
