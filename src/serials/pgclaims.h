#pragma once

#include "serials/serialclaims.h"

#include <memory>
#include <string>

namespace korvex {

class TPSharedDatabase;

// The claims of a production line whose stations share a database: each
// claim is one transaction that locks the field's row of serial_fields, so
// two stations never hand out the same value, and is committed before Claim
// returns. Every value handed out is a row of serial_claims with the station
// that took it and, once spent, the card's outcome.
class TPPgSerialClaims : public TSerialClaims {
public:
    TPPgSerialClaims(std::shared_ptr<TPSharedDatabase> database, std::string station)
        : database_(std::move(database)), station_(std::move(station)) {}

    TSerialValue Claim(const TPSerialSequence& sequence) override;
    // Throws EDatabase also when this station holds no unspent claim of the value.
    void Spend(const TPSerialSequence& sequence, const TSerialValue& value,
               std::string_view outcome) override;

private:
    std::shared_ptr<TPSharedDatabase> database_;
    std::string station_;
};

} // namespace korvex
