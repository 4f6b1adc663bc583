#pragma once

#include "catalogue/cardrecords.h"
#include "catalogue/serialfield.h"
#include "support/datafolders.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// A file of the cards folder that the last scan left out of the card type
// list, and why, for a face to show as a warning.
struct TPSkippedCardFile {
    std::filesystem::path file;
    std::string reason; // "is a folder", "Permission denied", ...

    bool operator==(const TPSkippedCardFile&) const = default;
};

// The card types: one INI file per card type in cards/ of the data folders,
// named after the card; the list merges the program folder's with the user's,
// the user's file winning for the same name (TPDataFolders says where a file
// is read from and where a change goes). The list is a snapshot of the
// folders at the last ScanCardTypes; every file operation rebuilds the path
// from the card's name, never from the name the scan found, so a card is
// always found under its own name.
class TPCardIni {
public:
    enum CreateResult { crCreated = 0, crNoRecord = 1, crExists = 2 };

    // A plain program folder converts: no user folder.
    void SetBaseDir(const TPDataFolders& folders);
    const TPDataFolders& Folders() const { return folders_; }
    const std::filesystem::path& BaseDir() const { return folders_.program; }

    // A *.ini entry that is no readable card type file (a folder, a file that
    // cannot be read, one without a [CardType] section) is left out and
    // noted in SkippedFiles(); the others are listed all the same.
    void ScanCardTypes();
    const std::vector<TPSkippedCardFile>& SkippedFiles() const { return skipped_; }
    int GetCardCount() const { return static_cast<int>(cards_.size()); }
    std::optional<TPCardInfo> GetCardInfo(int index) const;

    void ReadDefaults(int index, TPCardDefaults& defaults) const;
    void WriteDefaults(int index, const TPCardDefaults& defaults) const;

    // The serial fields of the card type `name` (see serialfieldini.h): none
    // when it has no file. Throws ESerialField for a field that cannot be used.
    std::vector<TSerialField> ReadSerialFields(std::string_view name) const;
    // Replaces the card type's serial fields, keeping everything else of its
    // file, which must exist. Throws ESerialField, writing nothing, for a
    // field ReadSerialFields would refuse; ECardType without the file.
    void WriteSerialFields(std::string_view name, const std::vector<TSerialField>& fields) const;

    // Refuses a name CheckCardName refuses before anything is made.
    int CreateCardType(const TPCardInfo* record) const;
    // Writes the identity into the file of the card type `name`, unless it
    // has none. An empty name or record name does nothing.
    void UpdateCardInfo(std::string_view name, const TPCardInfo& record) const;
    // Deletes every file of the card type, the user's and the program
    // folder's. Throws ECardType, deleting nothing, when there is no such
    // card type or when it comes with a program folder this user cannot
    // change. An empty name (a card whose file names none) does nothing.
    void DeleteCardType(std::string_view name);

    // The file the card type `name` is read from: cards/<name>.ini of the
    // user's folder when there is one, else of the program folder. Throws as
    // CheckCardName does.
    std::filesystem::path CardFilePath(std::string_view name) const;
    // Throws ECardName, saying what is wrong, for a name whose file could not
    // be found again under it: empty; a blank at either end or a control
    // character, which the INI file would not keep as written; "/", "\\" or
    // "..", which would lead out of the cards folder; more than 251 bytes,
    // which with ".ini" no file name can hold.
    static void CheckCardName(std::string_view name);
    static bool IsSafeCardName(std::string_view name);

private:
    std::optional<std::filesystem::path> ExistingCardFile(int index) const;
    std::optional<TPCardInfo> ReadCardInfo(const std::filesystem::path& file);

    TPDataFolders folders_;
    std::vector<TPCardInfo> cards_;
    std::vector<TPSkippedCardFile> skipped_;
};

} // namespace korvex
