#pragma once

#include <string>
#include <string_view>

namespace korvex {

// The SHA-256 digest of `bytes` as 64 lower-case hex digits, the form a
// production record keeps so an image file can be matched to the cards made
// from it with any common checksum tool.
std::string Sha256Hex(std::string_view bytes);

// The SHA-256 digest of the bytes a hex text stands for, two digits a byte as
// the image buffers hold images (either letter case), so the digest is that of
// the image the card received, whatever file format it came from. The empty
// text (no image) gives the empty string. An odd number of digits or any
// other character throws std::invalid_argument.
std::string Sha256OfHexText(std::string_view hexText);

} // namespace korvex
