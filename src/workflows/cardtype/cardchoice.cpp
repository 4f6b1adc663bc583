#include "workflows/cardtype/cardchoice.h"

namespace korvex {

TPCardChoice::TPCardChoice(const TPSettingsStore& settings) : box_(&settings) {
    box_.SetItemIndex(-1);
}

void TPCardChoice::SetFolders(const TPDataFolders& folders) {
    box_.SetBaseDir(folders);
    store_.SetBaseDir(folders);
}

bool TPCardChoice::Select(const std::string& name) {
    const int item = FindCardItem(box_.Items(), name);
    if (item < 0) {
        return false;
    }
    box_.SetItemIndex(item);
    return true;
}

bool TPCardChoice::Rescan() {
    store_.ScanCardTypes();
    if (store_.GetCardCount() == 0) {
        return false;
    }
    box_.RefreshCardTypes();
    return true;
}

void TPCardChoice::SetChangeHandler(std::function<void()> handler) {
    box_.OnCardChange = [handler = std::move(handler)](TPCardTypeBox&) { handler(); };
}

int TPCardChoice::EepromDevice() const {
    return Kind().IsAvr() ? box_.GetEepromAvrKind() : box_.GetEepromKind();
}

TPCardDefaults TPCardChoice::ReadDefaults() const {
    TPCardDefaults defaults;
    if (box_.ItemIndex() >= 0) {
        store_.ReadDefaults(box_.ItemIndex(), defaults);
    }
    return defaults;
}

void TPCardChoice::WriteDefaults(const std::string& name, const TPCardDefaults& defaults) {
    for (int i = 0; i < store_.GetCardCount(); ++i) {
        if (store_.GetCardInfo(i)->CardName == name) {
            store_.WriteDefaults(i, defaults);
            return;
        }
    }
}

void TPCardChoice::Delete(const std::string& name) {
    store_.DeleteCardType(name);
}

} // namespace korvex
