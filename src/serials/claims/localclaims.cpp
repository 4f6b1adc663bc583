#include "serials/claims/localclaims.h"

#include "catalogue/carderrors.h"
#include "catalogue/cardini.h"
#include "catalogue/serialfieldini.h"
#include "serials/claims/claimhistory.h"
#include "support/datafolders.h"

#include <algorithm>

namespace korvex {

namespace {

constexpr std::string_view kExtension = ".claims";

} // namespace

std::filesystem::path TPLocalSerialClaims::FolderOf(const TPDataFolders& folders) {
    return (folders.HasUserFolder() ? folders.user : folders.program) / "serials";
}

std::filesystem::path TPLocalSerialClaims::ClaimFile(const std::string& cardType,
                                                     const std::string& field) const {
    TPCardIni::CheckCardName(cardType);
    if (!IsSerialSection(field)) {
        throw ESerialField("\"" + field + "\" is no serial field's name (Serial and a number)");
    }
    return folder_ / cardType / (field + std::string(kExtension));
}

TSerialValue TPLocalSerialClaims::Claim(const TPSerialSequence& sequence) {
    const std::filesystem::path path = ClaimFile(sequence.CardType(), sequence.Field().name);
    TPClaimFile file(path);
    const std::optional<TSerialValue> last = file.HighestClaim(reads_[path]);
    TSerialValue next = sequence.After(last ? std::optional(last->position) : std::nullopt);
    file.Append(TPClaimFile::ClaimLine(next));
    return next;
}

std::optional<TSerialValue> TPLocalSerialClaims::Next(const TPSerialSequence& sequence) const {
    return sequence.After(
        ReadClaimHistory(ClaimFile(sequence.CardType(), sequence.Field().name)).highest);
}

void TPLocalSerialClaims::Keep(const TPSerialSequence& sequence, const TSerialValue& value) {
    TPClaimFile file(ClaimFile(sequence.CardType(), sequence.Field().name));
    file.Append(TPClaimFile::ClaimLine(value));
}

void TPLocalSerialClaims::Spend(const TPSerialSequence& sequence, const TSerialValue& value,
                                std::string_view outcome) {
    Spend(sequence.CardType(), value, outcome);
}

void TPLocalSerialClaims::Spend(const std::string& cardType, const TSerialValue& value,
                                std::string_view outcome) {
    TPClaimFile file(ClaimFile(cardType, value.field));
    file.Append(TPClaimFile::SpendLine(value, outcome));
}

std::vector<TSerialLast> TPLocalSerialClaims::LastValues(std::vector<std::string>* damaged) const {
    std::vector<TSerialLast> values;
    std::error_code error;
    for (const auto& cardFolder : std::filesystem::directory_iterator(folder_, error)) {
        std::error_code inner;
        for (const auto& entry : std::filesystem::directory_iterator(cardFolder.path(), inner)) {
            const std::filesystem::path& file = entry.path();
            if (file.extension() != kExtension) {
                continue;
            }
            const std::string field = file.stem().string();
            TClaimsState state = ReadClaimFile(file, field);
            if (state.highest) {
                values.push_back(
                    {cardFolder.path().filename().string(), std::move(*state.highest)});
            }
            if (damaged != nullptr && !state.damage.empty()) {
                damaged->push_back(std::move(state.damage));
            }
        }
    }
    if (damaged != nullptr) {
        std::sort(damaged->begin(), damaged->end());
    }
    std::sort(values.begin(), values.end(), [](const TSerialLast& a, const TSerialLast& b) {
        return std::tie(a.cardType, a.value.field) < std::tie(b.cardType, b.value.field);
    });
    return values;
}

} // namespace korvex
