#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// Decimal integer with an optional sign, the whole text and nothing else, in
// the 32-bit range. Throws EConvertError "'<text>' is not a valid integer value".
int StrToInt(std::string_view text);

// The same rule, without the exception.
std::optional<int> TryStrToInt(std::string_view text);

// Letters a-z / A-Z only; other bytes pass unchanged, whatever the locale.
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
bool SameTextAscii(std::string_view a, std::string_view b);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// Upper-case hexadecimal, zero-padded to at least `digits` digits.
std::string HexUpper(std::uint64_t value, int digits);

} // namespace korvex
