#include "catalogue/cardbox.h"

#include "support/settingsstore.h"
#include "support/textconv.h"

#include <algorithm>

namespace korvex {

int FindCardItem(const std::vector<std::string>& items, std::string_view name) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == name) {
            return static_cast<int>(i);
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (SameTextAscii(items[i], name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int RememberedCardItem(const TPSettingsStore& settings, const std::vector<std::string>& items) {
    // A card type added or deleted moves the indices; the name stays.
    if (const auto name = settings.ReadString(TPSettingsStore::kCardName)) {
        if (const int item = FindCardItem(items, *name); item >= 0) {
            return item;
        }
    }
    return std::max(settings.ReadInteger(TPSettingsStore::kCard).value_or(0), 0);
}

TPCardTypeBox::TPCardTypeBox(const TPSettingsStore* settings) : settings_(settings) {}

TPCardTypeBox::~TPCardTypeBox() = default;

void TPCardTypeBox::SetBaseDir(const TPDataFolders& folders) {
    folders_ = folders;
    cardStore_.SetBaseDir(folders);
    // Build both before replacing either, so a failure leaves no half-set pair.
    const std::filesystem::path cards = "cards";
    auto pics = std::make_unique<TPCardReader>(folders, cards / "pics.cfg");
    auto eeproms = std::make_unique<TPCardReader>(folders, cards / "eeproms.cfg");
    pics_ = std::move(pics);
    eeproms_ = std::move(eeproms);
}

void TPCardTypeBox::RefreshCardTypes() {
    if (!HasBaseDir()) {
        return;
    }
    cardStore_.ScanCardTypes();
    items_.clear();
    for (int i = 0; i < cardStore_.GetCardCount(); ++i) {
        items_.push_back(cardStore_.GetCardInfo(i)->CardName);
    }
    listLoaded_ = true;

    SetItemIndex(settings_ != nullptr ? RememberedCardItem(*settings_, items_) : 0);
    if (OnItemsChanged) {
        OnItemsChanged();
    }
}

void TPCardTypeBox::SetItemIndex(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) {
        itemIndex_ = -1;
        selected_ = TPCardInfo{"", "", "", ""};
        return;
    }
    itemIndex_ = index;
    selected_ = *cardStore_.GetCardInfo(index);
}

std::string TPCardTypeBox::Text() const {
    if (!listLoaded_) {
        return "None";
    }
    return itemIndex_ >= 0 ? items_[static_cast<std::size_t>(itemIndex_)] : std::string();
}

void TPCardTypeBox::CardChanged() {
    if (itemIndex_ < 0) {
        return;
    }
    selected_ = *cardStore_.GetCardInfo(itemIndex_);
    int picEntry = 0;
    int eepromEntry = 0;
    // Without catalogues (their failure was reported by SetBaseDir) nothing is found.
    const int picKind = pics_ ? pics_->FindName(selected_.PicName, 0, picEntry) : 0;
    const int eepromKind =
        eeproms_ ? eeproms_->FindName(selected_.EepromName, -1, eepromEntry) : -1;
    picKind_ = picKind;
    picEntry_ = picEntry;
    eepromKind_ = eepromKind;
    eepromEntry_ = eepromEntry;
    if (OnCardChange) {
        OnCardChange(*this);
    }
}

std::string TPCardTypeBox::PicField(int field) const {
    return pics_->GetField(picEntry_, field);
}

std::string TPCardTypeBox::EepromField(int field) const {
    return eeproms_->GetField(eepromEntry_, field);
}

int TPCardTypeBox::GetPicKind() const {
    return picEntry_ == 0 ? -1 : picKind_;
}
int TPCardTypeBox::GetPicSize() const {
    return picEntry_ == 0 ? -1 : StrToInt(PicField(3));
}
int TPCardTypeBox::GetPicIntEeSize() const {
    return picEntry_ == 0 ? -1 : StrToInt(PicField(4));
}
std::string TPCardTypeBox::GetPicIdA() const {
    return picEntry_ == 0 ? "-1" : PicField(5);
}
std::string TPCardTypeBox::GetDefaultLoaderName() const {
    return picEntry_ == 0 ? "-1" : PicField(6);
}
std::filesystem::path TPCardTypeBox::GetDefaultLoaderFile() const {
    if (picEntry_ == 0) {
        return {};
    }
    // Linux file names are exact: a loader is looked for under the name the
    // catalogue gives ("MyLoader" added by a user), then in lower case, as
    // the delivered files are named ("Loader84" is loader84.hex).
    const std::filesystem::path defaults = "defaults";
    const std::string name = PicField(6);
    const std::filesystem::path exact = folders_.FindFile(defaults / (name + ".hex"));
    std::error_code error;
    if (std::filesystem::is_regular_file(exact, error)) {
        return exact;
    }
    return folders_.FindFile(defaults / (AsciiLower(name) + ".hex"));
}

int TPCardTypeBox::GetConfigIndex() const {
    return picEntry_ == 0 ? 0 : StrToInt(PicField(7));
}
std::string TPCardTypeBox::GetPicIdB() const {
    return picEntry_ == 0 ? "-1" : PicField(8);
}

int TPCardTypeBox::GetEepromSize() const {
    return (picEntry_ == 0 || eepromEntry_ == 0) ? -1 : StrToInt(EepromField(3));
}

int TPCardTypeBox::GetEepromAvrKind() const {
    return (picEntry_ == 0 || eepromEntry_ == 0) ? -1 : StrToInt(EepromField(4));
}

} // namespace korvex
