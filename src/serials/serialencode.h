#pragma once

#include "catalogue/serialfield.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The bytes a field holds for a value, first byte at the field's address.

// A counter's number. Throws ESerialValue when the number does not fit.
std::vector<std::uint8_t> EncodeSerialNumber(const TSerialField& field, std::uint64_t number);

// A list line. For the binary formats a line is exactly two hexadecimal
// digits a byte, the number written most significant digit first (so a
// little-endian field holds its bytes the other way round); for bcd and
// ascii-dec it is decimal digits, for ascii-hex hexadecimal digits (kept in
// the case written), at most as many as the field holds, filled up with
// leading zeros. Throws ESerialValue for a line that is none of that.
std::vector<std::uint8_t> EncodeSerialText(const TSerialField& field, std::string_view line);

// Why a list line cannot be encoded, or empty.
std::string SerialTextProblem(const TSerialField& field, std::string_view line);

} // namespace korvex
