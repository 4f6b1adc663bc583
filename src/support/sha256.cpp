#include "support/sha256.h"

#include <array>
#include <openssl/evp.h>
#include <stdexcept>

namespace korvex {

namespace {

constexpr char kLowerDigits[] = "0123456789abcdef";

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::string Sha256Hex(std::string_view bytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) !=
            1 ||
        length != 32) {
        throw std::runtime_error("The SHA-256 digest could not be computed; check the OpenSSL "
                                 "library installed with the program");
    }
    std::string text;
    text.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        text += kLowerDigits[digest[i] >> 4];
        text += kLowerDigits[digest[i] & 0x0F];
    }
    return text;
}

std::string Sha256OfHexText(std::string_view hexText) {
    if (hexText.empty()) {
        return {};
    }
    if (hexText.size() % 2 != 0) {
        throw std::invalid_argument("The image text has an odd number of hex digits (" +
                                    std::to_string(hexText.size()) + "); it cannot be hashed");
    }
    std::string bytes(hexText.size() / 2, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = DigitValue(hexText[2 * i]);
        const int low = DigitValue(hexText[2 * i + 1]);
        if (high < 0 || low < 0) {
            throw std::invalid_argument("The image text holds a character that is not a hex "
                                        "digit near position " +
                                        std::to_string(2 * i) + "; it cannot be hashed");
        }
        bytes[i] = static_cast<char>(high << 4 | low);
    }
    return Sha256Hex(bytes);
}

} // namespace korvex
