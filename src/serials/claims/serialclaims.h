#pragma once

#include "serials/serialsequence.h"
#include "serials/serialvalue.h"

#include <optional>
#include <string_view>

namespace korvex {

// Where the values of serial fields are handed out: a file of the station's
// own or a database several stations share. A production run claims a value
// for each field before the card's first write and spends it after the
// card, whatever became of the card.
class TSerialClaims {
public:
    virtual ~TSerialClaims() = default;

    // The field's next value, never handed out before by this store nor to
    // any other program using it at the same time. It is kept on disk before
    // it returns, so a program killed right after never gets it again.
    // Throws ESerialsUsedUp when the field has no value left, EInOutError or
    // EDatabase when the claim cannot be kept (no card may be written then).
    virtual TSerialValue Claim(const TPSerialSequence& sequence) = 0;

    // Records how the card that got the value ended: "good", "failed" or
    // "interrupted". The value stays handed out whatever the outcome.
    virtual void Spend(const TPSerialSequence& sequence, const TSerialValue& value,
                       std::string_view outcome) = 0;

    // The value the next claim would give, as far as the store can tell
    // without claiming it (another program may claim it first): what a
    // card's images are checked with before anything is claimed.
    virtual std::optional<TSerialValue> Next(const TPSerialSequence& /*sequence*/) const {
        return std::nullopt;
    }
};

} // namespace korvex
