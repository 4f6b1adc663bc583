#include "support/sha256.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace korvex {

namespace {

constexpr const char* kEmptyDigest =
    "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
constexpr const char* kAbcDigest =
    "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

} // namespace

TEST(Sha256, GivesTheKnownDigestsInLowerCase) {
    EXPECT_EQ(Sha256Hex(""), kEmptyDigest);
    EXPECT_EQ(Sha256Hex("abc"), kAbcDigest);
    // Two blocks' worth, so a digest of the first block alone shows.
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(Sha256, HashesTheBytesAHexTextStandsForNotItsDigits) {
    EXPECT_EQ(Sha256OfHexText("616263"), kAbcDigest);
    EXPECT_EQ(Sha256OfHexText("4A6b"), Sha256OfHexText("4a6B"));
    // Bytes that are not text: a zero byte must not end the data early, and
    // a byte with the high bit set must not change on its way in.
    EXPECT_EQ(Sha256OfHexText("00FF80"), Sha256Hex(std::string("\x00\xFF\x80", 3)));
    EXPECT_NE(Sha256OfHexText("00FF80"), Sha256OfHexText("00"));
}

TEST(Sha256, NoImageGivesNoDigestAndABrokenTextIsRefused) {
    EXPECT_EQ(Sha256OfHexText(""), "");
    EXPECT_THROW(Sha256OfHexText("616"), std::invalid_argument);
    EXPECT_THROW(Sha256OfHexText("6G"), std::invalid_argument);
    EXPECT_THROW(Sha256OfHexText("61 2"), std::invalid_argument);
    EXPECT_THROW(Sha256OfHexText("0x61"), std::invalid_argument);
}

} // namespace korvex
