#pragma once

#include <cstdint>

namespace korvex {

// The kind code of a processor as cards/pics.cfg gives it, and what the code
// says about the family. The programmer protocol carries the code itself as
// its device number; every question about the family is asked here.
class TProcessorKind {
public:
    // -1: no processor (no card type, or one the catalogue does not list).
    constexpr explicit TProcessorKind(int code = -1) : code_(code) {}

    constexpr int Code() const { return code_; }
    constexpr bool Known() const { return code_ >= 0; }
    // 8 and above: the AVR family. Everything below, -1 included, is taken
    // for a PIC.
    constexpr bool IsAvr() const { return code_ >= kFirstAvr; }
    constexpr bool IsPic() const { return !IsAvr(); }
    // AVR kinds from 9 on have fuses of their own (a tab without choices
    // here) and read their program memory a word per unit.
    constexpr bool HasFuses() const { return code_ >= kFirstAvrWithFuses; }
    // The programmer mode that reaches the processor's memories.
    constexpr int ProcessorMode() const { return IsAvr() ? 4 : 3; }
    // The count a program memory read of `words` words asks for: one unit
    // is two words up to kind 8, one word from kind 9 on.
    constexpr int ProgramReadCount(int words) const { return HasFuses() ? 2 * words : words; }
    // The highest value a program word may hold: a PIC's words are 14 bits
    // wide, an AVR's 16.
    constexpr std::uint16_t ProgramWordMask() const {
        return IsAvr() ? std::uint16_t{0xFFFF} : std::uint16_t{0x3FFF};
    }

    constexpr bool operator==(const TProcessorKind&) const = default;

private:
    static constexpr int kFirstAvr = 8;
    static constexpr int kFirstAvrWithFuses = 9;

    int code_;
};

} // namespace korvex
