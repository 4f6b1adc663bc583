#pragma once

#include "serials/claims/claimfile.h"
#include "serials/claims/serialclaims.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace korvex {

struct TPDataFolders;

// A serial field's last claimed value, as a summary shows it.
struct TSerialLast {
    std::string cardType;
    TSerialValue value;

    bool operator==(const TSerialLast&) const = default;
};

// The claims of one station, nothing to set up: each field of each card type
// has its own claim file, <folder>/<card type>/<field>.claims (see
// TPClaimFile), so two programs on the station take turns on it. Values
// start again only when that file is deleted. A claims file with a line that
// cannot be read, other than what a crash leaves at its end, gives no value
// until it is mended: the line may have held the highest value handed out.
class TPLocalSerialClaims : public TSerialClaims {
public:
    explicit TPLocalSerialClaims(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // serials/ of the user's data folder, or of the program folder when
    // there is no user folder (a portable copy keeps its claims with it).
    static std::filesystem::path FolderOf(const TPDataFolders& folders);

    const std::filesystem::path& Folder() const { return folder_; }
    // Throws ECardName for a card type name that would leave the folder,
    // ESerialField for a field name that is no serial section's.
    std::filesystem::path ClaimFile(const std::string& cardType, const std::string& field) const;

    TSerialValue Claim(const TPSerialSequence& sequence) override;
    std::optional<TSerialValue> Next(const TPSerialSequence& sequence) const override;
    // Keeps a value handed out elsewhere (a block of the shared database) as
    // claimed here, before its card is touched.
    void Keep(const TPSerialSequence& sequence, const TSerialValue& value);
    void Spend(const TPSerialSequence& sequence, const TSerialValue& value,
               std::string_view outcome) override;
    // The same for a value of the card type's field known by its name alone.
    void Spend(const std::string& cardType, const TSerialValue& value, std::string_view outcome);

    // The highest value of every field that has claims, by card type and
    // field. A claims file with a line that cannot be read adds why no value
    // of its field is handed out to `damaged`, when given.
    std::vector<TSerialLast> LastValues(std::vector<std::string>* damaged = nullptr) const;

private:
    std::filesystem::path folder_;
    // What each claims file held when last read: a long run reads only the
    // lines added since.
    std::map<std::filesystem::path, TClaimsRead> reads_;
};

} // namespace korvex
