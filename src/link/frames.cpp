#include "link/frames.h"

#include "support/textconv.h"

namespace korvex {
namespace {

// Uppercase hex of a sum with at least two digits; the checksum is its last two.
std::string SumDigits(unsigned sum) {
    std::string digits = HexUpper(sum, 2);
    return digits.substr(digits.size() - 2);
}

} // namespace

char DeviceDigit(int number) {
    return std::to_string(number).front();
}

void FrameChecksum(TFrame& frame) {
    unsigned sum = frame.start + frame.command + frame.device;
    for (const char c : frame.data) {
        sum += static_cast<unsigned char>(c);
    }
    const std::string digits = SumDigits(sum);
    frame.checksumHigh = digits[0];
    frame.checksumLow = digits[1];
}

TFrame MakeFrame(char command, char device, std::string_view data) {
    TFrame frame;
    frame.command = static_cast<std::uint8_t>(command);
    frame.device = static_cast<std::uint8_t>(device);
    frame.data = std::string(data);
    FrameChecksum(frame);
    return frame;
}

std::string FrameText(const TFrame& frame) {
    std::string text;
    text.reserve(frame.data.size() + 6);
    text += static_cast<char>(frame.start);
    text += static_cast<char>(frame.command);
    if (frame.device != 0) {
        text += static_cast<char>(frame.device);
    }
    text += frame.data;
    text += frame.checksumHigh;
    text += frame.checksumLow;
    text += static_cast<char>(frame.terminator);
    return text;
}

std::string CountText(int count) {
    return HexUpper(static_cast<unsigned>(count) & 0xFFFFu, 4);
}

bool ReplyChecksumOk(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    unsigned sum = 0;
    if (text.size() >= 3) {
        for (std::size_t i = 0; i + 2 < text.size(); ++i) {
            sum += static_cast<unsigned char>(text[i]);
        }
    }
    const std::string digits = SumDigits(sum);
    return text.size() >= 2 && text.substr(text.size() - 2) == digits;
}

} // namespace korvex
