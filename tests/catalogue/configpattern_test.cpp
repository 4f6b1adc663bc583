#include "catalogue/configpattern.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

TEST(ConfigPattern, LastCharacterIsBitZero) {
    const TPConfigPattern pattern("10x1-0");
    EXPECT_EQ(pattern.Ones(), 0b100100);
    EXPECT_EQ(pattern.Zeros(), 0b010001);
    EXPECT_EQ(pattern.Allowed(), 0xFFFF & ~0b010001);
}

TEST(ConfigPattern, OnlyTheLastSixteenCharactersCount) {
    EXPECT_EQ(TPConfigPattern("1" + std::string(16, 'x')).Ones(), 0);
    EXPECT_EQ(TPConfigPattern(std::string(20, '0')).Zeros(), 0xFFFF);
    EXPECT_EQ(TPConfigPattern("0111111111111111"
                              "1")
                  .Ones(),
              0xFFFF);
    EXPECT_EQ(TPConfigPattern("0111111111111111"
                              "1")
                  .Zeros(),
              0);
}

TEST(ConfigPattern, OnAndOffForceOnlyTheNamedBits) {
    const TPConfigPattern pattern("xx10x01");
    for (unsigned word : {0x0000u, 0xFFFFu, 0x3FFFu, 0x1234u, 0x0055u}) {
        const auto start = static_cast<std::uint16_t>(word);
        const std::uint16_t on = pattern.Apply(start, true);
        EXPECT_TRUE(pattern.Matches(on)) << std::hex << word;
        EXPECT_EQ(on & ~0b11011, start & ~0b11011) << std::hex << word;
        EXPECT_EQ(on & 0b11011, 0b10001) << std::hex << word;

        const std::uint16_t off = pattern.Apply(on, false);
        EXPECT_EQ(off & 0b11011, 0b01010) << std::hex << word;
        EXPECT_EQ(off & ~0b11011, start & ~0b11011) << std::hex << word;
        EXPECT_FALSE(pattern.Matches(off)) << std::hex << word;
    }
}

TEST(ConfigPattern, PatternWithoutBitsChangesNothingAndAlwaysMatches) {
    for (const char* text : {"", "xxxx", "--ab  ", "22229999"}) {
        const TPConfigPattern pattern(text);
        for (unsigned word : {0x0000u, 0xFFFFu, 0x3FF1u}) {
            const auto w = static_cast<std::uint16_t>(word);
            EXPECT_EQ(pattern.Apply(w, true), w) << text;
            EXPECT_EQ(pattern.Apply(w, false), w) << text;
            EXPECT_TRUE(pattern.Matches(w)) << text;
        }
    }
}

} // namespace
} // namespace korvex
