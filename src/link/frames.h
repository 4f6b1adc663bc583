#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvex {

// Control bytes with fixed roles in the programmer's answers.
inline constexpr char kSoh = 0x01;
// The leading byte of a framed reply.
inline constexpr char kStx = 0x02;
inline constexpr char kEot = 0x04;
inline constexpr char kAck = 0x06;
inline constexpr char kCr = 0x0D;
inline constexpr char kDle = 0x10;
inline constexpr char kNak = 0x16;

// Outcome of one exchange with the programmer.
enum class TReplyResult : int {
    rrSuccess = 0,
    rrDle = 1,     // DLE answer; for a read: the reply ended too soon
    rrTimeout = 2, // deadline passed
    rrUnknown = 3, // unknown answer; for a read: bad checksum
    rrNegative = 4 // 0x16
};

// One outgoing frame: 0x01, command, device byte (0 = none), data, two
// checksum characters, 0x0D.
struct TFrame {
    std::uint8_t start = kSoh;
    std::uint8_t command = 0;
    std::uint8_t device = 0;
    std::string data; // at most 32 bytes
    char checksumHigh = '0';
    char checksumLow = '0';
    std::uint8_t terminator = kCr;
};

// The device byte: the first character of the number's decimal form, so
// 0..9 give "0".."9", 10..19 give "1" and a negative number gives "-".
char DeviceDigit(int number);

// Sets the two checksum characters: the sum of start, command, device byte
// and data, as uppercase hex, last two digits.
void FrameChecksum(TFrame& frame);

// A frame record ready to send, checksum computed. `device` is a character
// (use DeviceDigit) or 0 for a frame without one.
TFrame MakeFrame(char command, char device, std::string_view data);

// The bytes on the wire.
std::string FrameText(const TFrame& frame);

// A read count as four uppercase hex digits (16 -> "0010").
std::string CountText(int count);

// Whether the last two characters of a framed reply equal the last two hex
// digits of the sum of all characters before them.
bool ReplyChecksumOk(std::string_view text);

} // namespace korvex
