#pragma once

#include "catalogue/cardini.h"
#include "catalogue/cardrecords.h"
#include "catalogue/cfgreader.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

class TPSettingsStore;

// The item of `items` that `name` names: the exact name first, then the same
// name without regard to letter case; -1 when none does.
int FindCardItem(const std::vector<std::string>& items, std::string_view name);

// The item the settings remember: the one CardName names while `items` has
// it, else the index Card (a negative one is the first item), 0 when neither
// is stored. The index may lie beyond the list: then none is chosen.
int RememberedCardItem(const TPSettingsStore& settings, const std::vector<std::string>& items);

// The card type selector: the list of card types, the one chosen, and every
// property of its processor and EEPROM as the catalogues give them. It holds
// no widget; a drop-down binds to Items(), ItemIndex() and Text(), listens to
// OnItemsChanged, and on a user's choice calls SetItemIndex then CardChanged.
class TPCardTypeBox {
public:
    using CardChangeHandler = std::function<void(TPCardTypeBox& sender)>;

    explicit TPCardTypeBox(const TPSettingsStore* settings = nullptr);
    ~TPCardTypeBox();
    TPCardTypeBox(const TPCardTypeBox&) = delete;
    TPCardTypeBox& operator=(const TPCardTypeBox&) = delete;

    // Opens cards/pics.cfg and eeproms.cfg of the data folders (the user's
    // own when there are, else the shipped ones); their errors reach the
    // caller. A plain program folder converts: no user folder.
    void SetBaseDir(const TPDataFolders& folders);
    bool HasBaseDir() const { return !folders_.program.empty(); }
    const std::filesystem::path& BaseDir() const { return folders_.program; }
    const TPDataFolders& Folders() const { return folders_; }

    // Rescans the card type files and selects the remembered one; neither
    // looks anything up nor fires OnCardChange.
    void RefreshCardTypes();

    // Looks up the selected card's processor and EEPROM, then fires OnCardChange.
    void CardChanged();

    const std::vector<std::string>& Items() const { return items_; }
    int ItemIndex() const { return itemIndex_; }
    // Selects an item (-1 or out of range: none) without a change run.
    void SetItemIndex(int index);
    std::string Text() const;
    const TPCardInfo& SelectedCard() const { return selected_; }
    TPCardIni& CardStore() { return cardStore_; }
    const TPCardIni& CardStore() const { return cardStore_; }

    int GetPicKind() const;
    int GetPicSize() const;
    int GetPicIntEeSize() const;
    std::string GetPicIdA() const;
    std::string GetDefaultLoaderName() const;
    int GetConfigIndex() const;
    std::string GetPicIdB() const;
    // defaults/<loader name>.hex of the data folders when that file exists,
    // else the same with the name in lower case (the program folder's when
    // neither folder has it); empty without a processor.
    std::filesystem::path GetDefaultLoaderFile() const;
    int GetEepromKind() const { return eepromKind_; }
    int GetEepromSize() const;
    int GetEepromAvrKind() const;

    CardChangeHandler OnCardChange;
    std::function<void()> OnItemsChanged;

private:
    std::string PicField(int field) const;
    std::string EepromField(int field) const;

    const TPSettingsStore* settings_;
    TPDataFolders folders_;
    TPCardIni cardStore_;
    std::unique_ptr<TPCardReader> pics_;
    std::unique_ptr<TPCardReader> eeproms_;
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    bool listLoaded_ = false;
    TPCardInfo selected_{"", "", "", ""};
    int picKind_ = 0;
    int eepromKind_ = -1;
    int picEntry_ = 0;
    int eepromEntry_ = 0;
};

} // namespace korvex
