#include "support/errors.h"
#include "support/textconv.h"

#include <gtest/gtest.h>

namespace korvex {

TEST(StrToInt, AcceptsSignedDecimalOnly) {
    EXPECT_EQ(StrToInt("1024"), 1024);
    EXPECT_EQ(StrToInt("-1"), -1);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_FALSE(TryStrToInt(""));
    EXPECT_FALSE(TryStrToInt(" 1"));
    EXPECT_FALSE(TryStrToInt("1 "));
    EXPECT_FALSE(TryStrToInt("+-1"));
    EXPECT_FALSE(TryStrToInt("99999999999"));
}

TEST(StrToInt, NamesTheTextInItsMessage) {
    try {
        StrToInt("abc");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    EXPECT_THROW(StrToInt(""), EConvertError);
}

TEST(AsciiText, CaseRulesTouchOnlyAsciiLetters) {
    EXPECT_EQ(AsciiUpper("pic 16f84\xe4"), "PIC 16F84\xe4");
    EXPECT_EQ(AsciiLower("Loader84.HEX"), "loader84.hex");
    EXPECT_TRUE(SameTextAscii("PIC 16F84", "pic 16f84"));
    EXPECT_FALSE(SameTextAscii("PIC 16F84", "PIC 16F84 "));
    EXPECT_TRUE(EndsWithNoCase("card.HEX", ".hex"));
    EXPECT_FALSE(EndsWithNoCase("hex", ".hex"));
    EXPECT_EQ(HexUpper(0x3ff1, 4), "3FF1");
    EXPECT_EQ(HexUpper(0x10000, 4), "10000");
    EXPECT_EQ(HexUpper(0, 2), "00");
}

} // namespace korvex

namespace korvex {
namespace {

// A message of several lines is one line on a terminal: a break is one blank,
// after a full stop where the line had no mark to end it.
TEST(OneLine, EachBreakIsOneBlank) {
    EXPECT_EQ(OneLine("\r\nFailed.\r\n(full)\nkept\n\nDone: yes\r\n"),
              "Failed. (full). kept. Done: yes");
}

} // namespace
} // namespace korvex
