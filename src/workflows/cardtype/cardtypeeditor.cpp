#include "workflows/cardtype/cardtypeeditor.h"

#include "catalogue/cardini.h"
#include "catalogue/cfgreader.h"
#include "support/textconv.h"
#include "workflows/entries.h"

#include <algorithm>
#include <array>

namespace korvex {

namespace {

constexpr std::string_view kNoEeprom = "None";

constexpr std::array<TCaptionEntry, 8> kAddCaptions{{
    {"Caption", entries::kAddCaption},
    {"lblCardName", entries::kAddCardName},
    {"lblDescip", entries::kAddDescription},
    {"lblProc", entries::kAddProcessor},
    {"lblEeprom", entries::kAddEeprom},
    {"lblObs", entries::kAddNote},
    {"btnCreate", entries::kAddCreate},
    {"btnCancel", entries::kAddCancel},
}};

constexpr std::array<TCaptionEntry, 8> kEditCaptions{{
    {"Caption", entries::kEditCaption},
    {"lblCardName", entries::kEditCardName},
    {"lblDescrip", entries::kEditDescription},
    {"lblProc", entries::kEditProcessor},
    {"lblEe", entries::kEditEeprom},
    {"lblObs", entries::kEditNote},
    {"btnCreate", entries::kEditOk},
    {"btnCancel", entries::kEditCancel},
}};

std::vector<std::string> SortedNames(const TPDataFolders& folders, std::string_view catalogue) {
    const TPCardReader reader(folders, std::filesystem::path("cards") / catalogue);
    std::vector<std::string> names;
    for (int entry = 1; entry <= reader.GetCount(); ++entry) {
        names.push_back(reader.GetField(entry, 1));
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return AsciiLower(a) < AsciiLower(b);
    });
    return names;
}

// The list item the text selects; a list shows no text when none matches.
std::string Pick(const std::vector<std::string>& items, std::string_view text) {
    auto found = std::find_if(items.begin(), items.end(),
                              [&](const std::string& item) { return SameTextAscii(item, text); });
    return found == items.end() ? std::string() : *found;
}

} // namespace

TPCardTypeEditor::TPCardTypeEditor(TPDataFolders folders, bool edit)
    : folders_(std::move(folders)), edit_(edit), processors_(SortedNames(folders_, "pics.cfg")),
      eeproms_(SortedNames(folders_, "eeproms.cfg")) {}

TPCardTypeEditor TPCardTypeEditor::ForAdd(TPDataFolders folders) {
    return TPCardTypeEditor(std::move(folders), false);
}

TPCardTypeEditor TPCardTypeEditor::ForEdit(TPDataFolders folders, int cardIndex) {
    TPCardTypeEditor editor(std::move(folders), true);
    TPCardIni store;
    store.SetBaseDir(editor.folders_);
    store.ScanCardTypes();
    if (auto info = store.GetCardInfo(cardIndex)) {
        editor.record_ = *info;
    }
    return editor;
}

TCardTypeFields TPCardTypeEditor::InitialFields() const {
    if (!edit_) {
        return {"", "", "", std::string(kNoEeprom)};
    }
    return {record_.CardName, record_.CardDescription, Pick(processors_, record_.PicName),
            Pick(eeproms_, record_.EepromName)};
}

bool TPCardTypeEditor::Accept(const TCardTypeFields& fields) const {
    // The edit dialog's name field is read-only: it always holds the edited
    // record's name, so that is the one that counts.
    const std::string& name = edit_ ? record_.CardName : fields.name;
    if (name.empty() || fields.description.empty() || fields.processor.empty() ||
        fields.eeprom.empty()) {
        return false;
    }
    TPCardIni store;
    store.SetBaseDir(folders_);
    if (!edit_) {
        // A card type that exists already is kept as it is, without a word.
        const TPCardInfo record{fields.name, fields.description, fields.processor, fields.eeprom};
        store.CreateCardType(&record);
        return true;
    }
    const TPCardInfo record{record_.CardName, fields.description, fields.processor, fields.eeprom};
    store.UpdateCardInfo(record_.CardName, record);
    return true;
}

std::span<const TCaptionEntry> TPCardTypeEditor::AddCaptions() {
    return kAddCaptions;
}

std::span<const TCaptionEntry> TPCardTypeEditor::EditCaptions() {
    return kEditCaptions;
}

} // namespace korvex
