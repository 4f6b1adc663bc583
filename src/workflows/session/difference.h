#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The memories a verify compares, each with its own addresses: program words,
// data EEPROM bytes, external EEPROM bytes, and a PIC's configuration word.
enum class TMemorySpace { msProgram, msDataEeprom, msExtEeprom, msConfig };

// Where a card first differs from its image, and how much differs in all.
struct TPDifference {
    TMemorySpace space = TMemorySpace::msProgram;
    std::int64_t address = 0;
    // The hex digits of the first differing unit (a word, or a byte) as the
    // image has them and as the card gave them back; `found` is empty when
    // the read-back ended before it.
    std::string expected;
    std::string found;
    // Bytes that differ or were not read back, over every memory compared.
    std::int64_t differingBytes = 0;
};

// Compares an image's hex text with what the card gave back, from the start,
// over the length of the image. nullopt when they agree there.
std::optional<TPDifference> FindDifference(TMemorySpace space, std::string_view expected,
                                           std::string_view back);

// The first difference of two compared memories, the first one's first, with
// the bytes of both counted.
std::optional<TPDifference> FirstOf(const std::optional<TPDifference>& first,
                                    const std::optional<TPDifference>& second);

// The unit of a memory space in words that stay the same whatever the
// language, for a production record and the command line: "eeprom byte".
std::string_view MemorySpaceName(TMemorySpace space);

// The address as the card's address space writes it: 0x and four or more
// upper-case hex digits.
std::string AddressText(std::int64_t address);

} // namespace korvex
