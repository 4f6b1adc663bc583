#include "workflows/session/difference.h"

#include <algorithm>
#include <cstdio>

namespace korvex {

namespace {

constexpr std::size_t kByteChars = 2;

std::size_t UnitChars(TMemorySpace space) {
    // A program word is four hex digits, for both families.
    return space == TMemorySpace::msProgram || space == TMemorySpace::msConfig ? 4 : kByteChars;
}

bool ByteDiffers(std::string_view expected, std::string_view back, std::size_t at) {
    const std::string_view want = expected.substr(at, kByteChars);
    return at + want.size() > back.size() || back.substr(at, want.size()) != want;
}

} // namespace

std::optional<TPDifference> FindDifference(TMemorySpace space, std::string_view expected,
                                           std::string_view back) {
    std::optional<std::size_t> first;
    std::int64_t bytes = 0;
    for (std::size_t at = 0; at < expected.size(); at += kByteChars) {
        if (ByteDiffers(expected, back, at)) {
            ++bytes;
            if (!first) {
                first = at;
            }
        }
    }
    if (!first) {
        return std::nullopt;
    }
    const std::size_t unit = UnitChars(space);
    const std::size_t start = *first / unit * unit;
    TPDifference difference;
    difference.space = space;
    difference.address = static_cast<std::int64_t>(start / unit);
    difference.expected = std::string(expected.substr(start, unit));
    if (start < back.size()) {
        difference.found = std::string(back.substr(start, std::min(unit, back.size() - start)));
    }
    difference.differingBytes = bytes;
    return difference;
}

std::optional<TPDifference> FirstOf(const std::optional<TPDifference>& first,
                                    const std::optional<TPDifference>& second) {
    if (!first) {
        return second;
    }
    TPDifference result = *first;
    if (second) {
        result.differingBytes += second->differingBytes;
    }
    return result;
}

std::string_view MemorySpaceName(TMemorySpace space) {
    switch (space) {
    case TMemorySpace::msProgram:
        return "program word";
    case TMemorySpace::msDataEeprom:
        return "data eeprom byte";
    case TMemorySpace::msConfig:
        return "configuration word";
    case TMemorySpace::msExtEeprom:
        break;
    }
    return "eeprom byte";
}

std::string AddressText(std::int64_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%04llX", static_cast<unsigned long long>(address));
    return text;
}

} // namespace korvex
