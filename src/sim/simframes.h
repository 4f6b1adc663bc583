#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::sim {

// Control bytes of the programmer's line, kept apart from the host driver's
// own so the simulator stays an independent judge of it.
inline constexpr char kSoh = 0x01;
inline constexpr char kStx = 0x02;
inline constexpr char kEot = 0x04;
inline constexpr char kAck = 0x06;
inline constexpr char kCr = 0x0D;
inline constexpr char kDle = 0x10;
inline constexpr char kNak = 0x16;

// The low byte of the sum of `bytes` as two uppercase hexadecimal digits.
std::string SimChecksum(std::string_view bytes);

// One complete frame as the device received it.
struct TSimFrame {
    char command = '\0';
    char device = '\0'; // '\0': the frame carried none ('V')
    std::string data;
    bool checksumOk = false;
    std::size_t wireBytes = 0; // from the 0x01 to the 0x0D
    std::string answer;        // what the device sent back for it
};

// Cuts the host's byte stream into frames: 0x01, command, device digit
// (except for 'V'), data, two checksum characters, 0x0D. The stream may
// arrive in any pieces; bytes outside a frame are line noise and dropped.
class TSimFrameCutter {
public:
    std::vector<TSimFrame> Feed(std::string_view bytes);
    void Reset();

private:
    static TSimFrame Parse(std::string_view body);

    std::string body_; // after the 0x01 of the frame being received
    bool inFrame_ = false;
};

} // namespace korvex::sim
