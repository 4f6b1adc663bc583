#include "sim/simanswer.h"

#include "sim/simframes.h"

namespace korvex::sim {

namespace {

// Stray bytes none of which means anything to the host: not one of the
// control bytes 01 04 06 0D 10 16.
constexpr std::string_view kNoise = "\x55\xAA\x7F";
constexpr std::string_view kUnknownPair = "??";

std::string FramedBytes(std::string_view payload, bool goodChecksum) {
    std::string bytes(1, kStx);
    bytes += payload;
    std::string checksum = SimChecksum(bytes);
    if (!goodChecksum) {
        // Any other pair of digits would do; the next value is never the same one.
        const char low = checksum[1];
        checksum[1] = low == 'F' ? '0' : (low == '9' ? 'A' : static_cast<char>(low + 1));
    }
    return bytes + checksum + kCr;
}

} // namespace

TSimAnswer TSimAnswer::Framed(std::string payload) {
    TSimAnswer answer{TKind::Framed, FramedBytes(payload, true), {}};
    answer.payload = std::move(payload);
    return answer;
}

TSimAnswer AckEot() {
    return TSimAnswer::Short({kAck, kEot});
}

std::string SpoilAnswer(const TSimAnswer& answer, std::optional<TSimFaultKind> fault) {
    if (!fault) {
        return answer.bytes;
    }
    const bool framed = answer.kind == TSimAnswer::TKind::Framed;
    switch (*fault) {
    case TSimFaultKind::BadSum:
        return framed ? FramedBytes(answer.payload, false) : std::string(kUnknownPair);
    case TSimFaultKind::Noise:
        return std::string(kNoise) + answer.bytes;
    case TSimFaultKind::Short:
        if (framed) {
            return kStx + answer.payload.substr(0, answer.payload.size() / 2) + kCr;
        }
        return answer.bytes.substr(0, answer.bytes.size() / 2);
    default:
        return answer.bytes;
    }
}

} // namespace korvex::sim
