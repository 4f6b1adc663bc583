#pragma once

#include "sim/simdevice.h"
#include "sim/simfeedplan.h"
#include "support/datafolders.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvex::sim {

// What korvex-sim is asked to simulate.
struct TSimProgramOptions {
    std::string card;      // a card type, or
    std::string processor; // a processor with
    std::string eeprom = "None";
    int firmware = TSimDevice::kDefaultVersion;
    bool absent = false;
    int baud = TSimDevice::kDefaultBaud;
    std::vector<std::string> faults;
    double randomFaults = 0;
    std::uint32_t seed = 1;
    std::string loadProgram;
    std::string loadData;
    std::string loadConfig;
    std::string loadEeprom;
    int feed = 0;                        // cards fed one after the other; 0: one card that stays
    std::vector<std::string> feedFaults; // "K:FAULT"
    int feedGapMs = TSimFeedPlan::kDefaultGapMs;
};

// The device with its card as the options describe it, card types and
// catalogues from the data folders. Throws on an unknown card, a bad fault or
// a bad file.
TSimDevice MakeSimDevice(const TSimProgramOptions& options, const TPDataFolders& folders);

// The feed the options ask for, with cards of `model`; none without --feed.
// Throws ESimSetup for a bad fault text or a plan the cards cannot follow.
std::optional<TSimFeedPlan> MakeSimFeedPlan(const TSimProgramOptions& options,
                                            const TSimCardModel& model);

} // namespace korvex::sim
