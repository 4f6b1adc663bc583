#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::sim {

enum class TSimFaultKind {
    Nack,   // the frame is refused: 0x16, nothing done
    Silent, // the frame is lost: no answer, nothing done
    BadSum, // done, but the reply's checksum is wrong (short answers: two unknown bytes)
    Noise,  // done, with stray bytes on the line before the answer
    Short,  // done, but the reply breaks off after half its payload
    Pull,   // the card leaves the slot from this frame on
    Hangup, // the line goes away: nothing is answered any more
};

// A fault on the Nth frame overall, or on the Nth frame of one command; or
// on every one from the Nth on (a programmer that turned bad).
struct TSimFault {
    TSimFaultKind kind = TSimFaultKind::Nack;
    char command = '\0'; // '\0': every frame counts
    int nth = 1;
    bool onward = false;
};

// "nack@5" (fifth frame), "silent@B3" (third 'B' frame), "nack@B40+" (every
// 'B' frame from the fortieth on). Throws ESimSetup.
TSimFault ParseSimFault(std::string_view text);
// The same without throwing: no fault, and `why` says what is wrong.
std::optional<TSimFault> TryParseSimFault(std::string_view text, std::string& why);
std::string SimFaultName(TSimFaultKind kind);

// Decides, frame by frame, which fault strikes. Random faults repeat exactly
// for the same seed and the same frames.
class TSimFaultPlan {
public:
    void Add(const TSimFault& fault) { faults_.push_back(fault); }
    // Each frame then suffers one of the passing faults (nack, silent,
    // badsum, noise, short) with this probability; 0 turns them off.
    void SetRandom(double probability, std::uint32_t seed);

    // Counts one received frame; the fault it triggers, if any. Listed
    // faults come before random ones.
    std::optional<TSimFaultKind> Next(char command);

private:
    std::vector<TSimFault> faults_;
    int frames_ = 0;
    std::array<int, 256> perCommand_{};
    double probability_ = 0;
    std::mt19937 random_;
};

} // namespace korvex::sim
