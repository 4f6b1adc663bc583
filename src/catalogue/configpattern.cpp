#include "catalogue/configpattern.h"

namespace korvex {

TPConfigPattern::TPConfigPattern(std::string_view text) {
    constexpr std::size_t kWordBits = 16;
    const std::size_t used = text.size() < kWordBits ? text.size() : kWordBits;
    for (std::size_t bit = 0; bit < used; ++bit) {
        const char c = text[text.size() - 1 - bit];
        const auto mask = static_cast<std::uint16_t>(1u << bit);
        if (c == '1') {
            ones_ |= mask;
        } else if (c == '0') {
            zeros_ |= mask;
        }
    }
}

std::uint16_t TPConfigPattern::Apply(std::uint16_t word, bool on) const {
    if (on) {
        return static_cast<std::uint16_t>((word | ones_) & Allowed());
    }
    return static_cast<std::uint16_t>((word | zeros_) & ~ones_);
}

bool TPConfigPattern::Matches(std::uint16_t word) const {
    return (word & ones_) == ones_ && static_cast<std::uint16_t>(word | Allowed()) == Allowed();
}

} // namespace korvex
