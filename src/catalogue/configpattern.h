#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

// One bit pattern of a configuration-word set: its last character is bit 0,
// "1" and "0" name a bit's required value, any other character leaves the bit
// alone. A pattern longer than 16 characters keeps only its last 16: the
// characters before them would describe bits the 16-bit word does not have.
class TPConfigPattern {
public:
    explicit TPConfigPattern(std::string_view text);

    std::uint16_t Ones() const { return ones_; }
    std::uint16_t Zeros() const { return zeros_; }
    std::uint16_t Allowed() const { return static_cast<std::uint16_t>(~zeros_); }

    // On forces the named bits to the pattern, off to the opposite; bits the
    // pattern does not name are kept.
    std::uint16_t Apply(std::uint16_t word, bool on) const;

    // Every named bit has the pattern's value.
    bool Matches(std::uint16_t word) const;

private:
    std::uint16_t ones_ = 0;
    std::uint16_t zeros_ = 0;
};

} // namespace korvex
