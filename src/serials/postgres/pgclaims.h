#pragma once

#include "serials/claims/serialclaims.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

class TPSharedDatabase;

// Values a station took from the shared counter in one go.
struct TPgReservation {
    std::vector<TSerialValue> values;
    // Set when this reservation started the database's counter for the
    // field after the station's own highest claim.
    std::optional<std::uint64_t> startedAfter;
};

// The claims of a production line whose stations share a database: each
// claim or reservation is one transaction that locks the field's row of
// serial_fields, so two stations never take the same value, and is
// committed before it returns. Every value taken is a row of serial_claims
// with the station that took it and, once spent, the card's outcome.
class TPPgSerialClaims : public TSerialClaims {
public:
    TPPgSerialClaims(std::shared_ptr<TPSharedDatabase> database, std::string station)
        : database_(std::move(database)), station_(std::move(station)) {}

    // One value, handed out at once.
    TSerialValue Claim(const TPSerialSequence& sequence) override;
    // Throws EDatabase also when this station holds no unspent claim of the value.
    void Spend(const TPSerialSequence& sequence, const TSerialValue& value,
               std::string_view outcome) override;

    // Up to `count` values held by the station in reserve, none of them on a
    // card yet; fewer when the field has no more. `stationLast` is the
    // highest value of the field the station's own claims hold: a counter
    // the database does not have yet starts after it, and one whose next
    // value is not above it is refused (EDatabase naming both), for values
    // up to it may be on cards already. Throws ESerialsUsedUp when the field
    // has no value left.
    TPgReservation Reserve(const TPSerialSequence& sequence, int count,
                           std::optional<std::uint64_t> stationLast);
    // Values held in reserve that no card got: spent as "unused", never
    // handed out again.
    void ReleaseUnused(const std::string& cardType, const std::vector<TSerialValue>& values);

private:
    std::shared_ptr<TPSharedDatabase> database_;
    std::string station_;
};

} // namespace korvex
