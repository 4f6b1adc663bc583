#include "sim/simprogram.h"

#include "sim/simhexfiles.h"

namespace korvex::sim {

TSimDevice MakeSimDevice(const TSimProgramOptions& options, const TPDataFolders& folders) {
    const TSimCardModel model =
        options.card.empty() ? SimCardModelForParts(folders, options.processor, options.eeprom)
                             : SimCardModelForCardType(folders, options.card);
    TSimCard card(model);
    const std::pair<TSimMemory, const std::string*> loads[] = {
        {TSimMemory::Program, &options.loadProgram},
        {TSimMemory::Data, &options.loadData},
        {TSimMemory::Config, &options.loadConfig},
        {TSimMemory::Eeprom, &options.loadEeprom},
    };
    for (const auto& [memory, file] : loads) {
        if (!file->empty()) {
            LoadSimMemory(card, memory, *file);
        }
    }
    card.SetPresent(!options.absent);

    TSimDevice device(std::move(card));
    device.SetFirmwareVersion(options.firmware);
    device.SetListeningBaud(options.baud);
    for (const std::string& fault : options.faults) {
        device.AddFault(ParseSimFault(fault));
    }
    if (options.randomFaults > 0) {
        device.SetRandomFaults(options.randomFaults, options.seed);
    }
    return device;
}

std::optional<TSimFeedPlan> MakeSimFeedPlan(const TSimProgramOptions& options,
                                            const TSimCardModel& model) {
    if (options.feed == 0) {
        return std::nullopt;
    }
    TSimFeedPlan plan;
    plan.cards = options.feed;
    plan.gapMs = options.feedGapMs;
    for (const std::string& text : options.feedFaults) {
        auto [card, fault] = ParseSimFeedFault(text);
        plan.faults[card].push_back(std::move(fault));
    }
    ValidateSimFeedPlan(plan, model);
    return plan;
}

} // namespace korvex::sim
