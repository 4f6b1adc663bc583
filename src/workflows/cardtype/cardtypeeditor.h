#pragma once

#include "catalogue/cardrecords.h"
#include "support/datafolders.h"
#include "workflows/presenter/captions.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The four texts of the add and edit card type dialogs, as typed or picked.
struct TCardTypeFields {
    std::string name;
    std::string description;
    std::string processor;
    std::string eeprom;

    bool operator==(const TCardTypeFields&) const = default;
};

// The add and edit card type dialogs without their widgets: the processor
// and EEPROM lists from the catalogues, the initial field values and what
// accepting the dialog writes. An edit never renames a card type: whatever
// the name field says, the file written is the edited card type's own.
class TPCardTypeEditor {
public:
    // Open cards/pics.cfg and cards/eeproms.cfg of the data folders; a
    // missing or malformed catalogue throws the reader's error.
    static TPCardTypeEditor ForAdd(TPDataFolders folders);
    // `cardIndex` counts the card types as a fresh scan lists them; one that
    // names none (-1: nothing selected) edits an empty record.
    static TPCardTypeEditor ForEdit(TPDataFolders folders, int cardIndex);

    bool IsEdit() const { return edit_; }
    const TPCardInfo& EditedRecord() const { return record_; }

    // Field 1 of every catalogue entry, sorted without regard to case.
    const std::vector<std::string>& ProcessorNames() const { return processors_; }
    const std::vector<std::string>& EepromNames() const { return eeproms_; }

    // What the dialog shows when it opens. In the edit dialog a processor or
    // EEPROM the lists do not hold shows as an empty text.
    TCardTypeFields InitialFields() const;

    // False, with nothing written, when any of the four texts is empty (in
    // the edit dialog the name is the edited record's, whatever `fields`
    // says). Otherwise writes the card type and returns true: a new one
    // unless it exists already, or the edited one's file unless it has
    // vanished. Throws ECardName (an EIniFileException) for a name no card
    // type can have (see TPCardIni::CheckCardName).
    bool Accept(const TCardTypeFields& fields) const;

    // Language entries the main window sets the dialog's texts from.
    static std::span<const TCaptionEntry> AddCaptions();
    static std::span<const TCaptionEntry> EditCaptions();

private:
    TPCardTypeEditor(TPDataFolders folders, bool edit);

    TPDataFolders folders_;
    bool edit_;
    TPCardInfo record_{"", "", "", ""};
    std::vector<std::string> processors_;
    std::vector<std::string> eeproms_;
};

} // namespace korvex
