#include "sim/simframes.h"

namespace korvex::sim {

namespace {

// Far longer than any frame the host sends: a start byte that is never closed
// is noise, and must not make the device swallow everything after it.
constexpr std::size_t kLongestBody = 128;

} // namespace

std::string SimChecksum(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    unsigned sum = 0;
    for (char c : bytes) {
        sum += static_cast<unsigned char>(c);
    }
    return {kDigits[(sum >> 4) & 0x0F], kDigits[sum & 0x0F]};
}

TSimFrame TSimFrameCutter::Parse(std::string_view body) {
    TSimFrame frame;
    frame.wireBytes = body.size() + 2;
    if (body.empty()) {
        return frame;
    }
    frame.command = body[0];
    if (body.size() < 3) {
        return frame; // no room for a checksum: judged bad
    }
    const std::string_view checked = body.substr(0, body.size() - 2);
    std::string_view rest = checked.substr(1);
    if (frame.command != 'V' && !rest.empty()) {
        frame.device = rest[0];
        rest.remove_prefix(1);
    }
    frame.data = std::string(rest);
    frame.checksumOk =
        SimChecksum(std::string(1, kSoh) + std::string(checked)) == body.substr(body.size() - 2);
    return frame;
}

std::vector<TSimFrame> TSimFrameCutter::Feed(std::string_view bytes) {
    std::vector<TSimFrame> frames;
    for (char c : bytes) {
        if (c == kSoh) {
            // A new start byte abandons a frame that never ended.
            body_.clear();
            inFrame_ = true;
        } else if (!inFrame_) {
            continue;
        } else if (c == kCr) {
            frames.push_back(Parse(body_));
            Reset();
        } else if (body_.size() >= kLongestBody) {
            Reset();
        } else {
            body_ += c;
        }
    }
    return frames;
}

void TSimFrameCutter::Reset() {
    body_.clear();
    inFrame_ = false;
}

} // namespace korvex::sim
