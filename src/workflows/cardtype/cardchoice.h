#pragma once

#include "catalogue/cardbox.h"
#include "catalogue/cardini.h"
#include "catalogue/processorkind.h"
#include "workflows/cardtype/fusechoice.h"
#include "workflows/presenter/mainview.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

class TPSettingsStore;

// The card type chosen: which one, its processor and EEPROM as the
// catalogues describe them, how the window arranges itself for it, and the
// fuse choices. The selector and the window's card type store are its own.
class TPCardChoice {
public:
    explicit TPCardChoice(const TPSettingsStore& settings);

    // Opens the catalogues of the folders; their errors reach the caller.
    void SetFolders(const TPDataFolders& folders);

    // --- the list and the item chosen
    const std::vector<std::string>& Items() const { return box_.Items(); }
    int Index() const { return box_.ItemIndex(); }
    // The chosen card type's name; empty when none is chosen.
    std::string Name() const { return box_.ItemIndex() >= 0 ? box_.Text() : std::string(); }
    const TPCardInfo& Record() const { return box_.SelectedCard(); }
    // Chooses the card type `name` names (as FindCardItem finds it), without
    // looking it up; false when no card type has that name.
    bool Select(const std::string& name);
    void SelectIndex(int index) { box_.SetItemIndex(index); }
    // Scans the card type files again; the selector then chooses the
    // remembered card type. False when there is none at all (the list stays).
    bool Rescan();
    // Looks the chosen card type up in the catalogues and runs the change.
    void Lookup() { box_.CardChanged(); }
    // Run after every lookup.
    void SetChangeHandler(std::function<void()> handler);

    // --- the chosen card type, as last looked up
    TProcessorKind Kind() const { return TProcessorKind(box_.GetPicKind()); }
    // The external EEPROM's kind code, -1 for none.
    int EepromKind() const { return box_.GetEepromKind(); }
    bool HasEeprom() const { return EepromKind() != -1; }
    // The code the EEPROM transfers give the programmer: the kind behind a
    // PIC, or the one behind an AVR.
    int EepromDevice() const;
    // Sizes as the catalogues give them: program words, data and external
    // EEPROM bytes.
    int ProgramWords() const { return box_.GetPicSize(); }
    int DataBytes() const { return box_.GetPicIntEeSize(); }
    int EepromBytes() const { return box_.GetEepromSize(); }
    std::string IdA() const { return box_.GetPicIdA(); }
    std::string IdB() const { return box_.GetPicIdB(); }
    // The processor's configuration word set; 0 or less: it has none.
    int ConfigSet() const { return box_.GetConfigIndex(); }
    std::filesystem::path DefaultLoaderFile() const { return box_.GetDefaultLoaderFile(); }
    const TPDataFolders& Folders() const { return box_.Folders(); }

    // --- how the window arranges itself for it
    const TCardLayout& Layout() const { return layout_; }
    void SetLayout(const TCardLayout& layout) { layout_ = layout; }
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& text) { description_ = text; }
    // The firmware warning is shown once until a PIC card type is chosen.
    bool FirmwareWarningShown() const { return firmwareWarningShown_; }
    void SetFirmwareWarningShown(bool shown) { firmwareWarningShown_ = shown; }

    TPFuseChoice& Fuses() { return fuses_; }
    const TPFuseChoice& Fuses() const { return fuses_; }

    // --- the card type files
    // The window's own store, scanned with the list.
    const TPCardIni& Store() const { return store_; }
    // The card type whose settings the window shows, by name, so a rescan
    // that moves the list never sends them to another card. Empty: none.
    const std::string& ShownName() const { return shownName_; }
    void SetShownName(const std::string& name) { shownName_ = name; }
    // The chosen card type's stored settings; the defaults when it has none.
    TPCardDefaults ReadDefaults() const;
    // Into the file of the card type `name`, when there still is one.
    void WriteDefaults(const std::string& name, const TPCardDefaults& defaults);
    // Throws ECardType when it cannot be deleted.
    void Delete(const std::string& name);

private:
    TPCardTypeBox box_;
    TPCardIni store_;
    TPFuseChoice fuses_;
    TCardLayout layout_;
    std::string description_;
    std::string shownName_;
    bool firmwareWarningShown_ = false;
};

} // namespace korvex
