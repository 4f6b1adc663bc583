#pragma once

#include "catalogue/serialfield.h"
#include "serials/serialvalue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// The values a serial field of a card type hands out, in order: what a claim
// store asks for the value after the last one it handed out. Made once for a
// run, so a list file is read and checked before the first card.
class TPSerialSequence {
public:
    // Reads a list field's file: every line a value in the field's format,
    // none empty, none repeated. Throws ESerialValue naming the file and line,
    // EInOutError when the file cannot be read.
    TPSerialSequence(std::string cardType, TSerialField field);

    const std::string& CardType() const { return cardType_; }
    const TSerialField& Field() const { return field_; }

    // The value after the one at `last` (none handed out yet: the first).
    // A counter moves on from `last` even when First or Step changed since,
    // and starts at First when that lies above it. Throws ESerialsUsedUp for
    // a counter past its Last or a list with no line left.
    TSerialValue After(std::optional<std::uint64_t> last) const;

    // The bytes the field holds for the value. Throws ESerialValue.
    std::vector<std::uint8_t> Bytes(const TSerialValue& value) const;

private:
    std::string cardType_;
    TSerialField field_;
    std::vector<std::string> lines_;
};

} // namespace korvex
