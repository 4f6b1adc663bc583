#include "cli/simport.h"

#include "catalogue/cardini.h"
#include "link/clock.h"
#include "link/lentbackend.h"
#include "sim/simbackend.h"
#include "support/settingsstore.h"

namespace korvex::cli {
namespace {

// The card type the window would show: the remembered item of the sorted
// list, or the first one.
sim::TSimCardModel RememberedCard(const std::filesystem::path& programFolder,
                                  const std::string& cardName) {
    if (!cardName.empty()) {
        return sim::SimCardModelForCardType(programFolder, cardName);
    }
    TPCardIni cards;
    cards.SetBaseDir(programFolder);
    cards.ScanCardTypes();
    if (cards.GetCardCount() == 0) {
        return sim::SimCardModelForParts(programFolder, "PIC 16F84");
    }
    const TPSettingsStore store(TPSettingsStore::DefaultFolder());
    int index = store.ReadInteger(TPSettingsStore::kCard).value_or(0);
    if (index < 0 || index >= cards.GetCardCount()) {
        index = 0;
    }
    return sim::SimCardModelForCardType(programFolder, cards.GetCardInfo(index)->CardName);
}

} // namespace

std::function<std::unique_ptr<TSerialBackend>()>
InProcessSimulator(const std::filesystem::path& programFolder, const std::string& cardName) {
    // Made on first use, so a run on a real port never reads the card files
    // for it; shared by every backend of the run, so the card persists.
    auto device = std::make_shared<std::unique_ptr<sim::TSimDevice>>();
    return [device, programFolder, cardName]() -> std::unique_ptr<TSerialBackend> {
        if (!*device) {
            *device = std::make_unique<sim::TSimDevice>(
                sim::TSimCard(RememberedCard(programFolder, cardName)));
        }
        return std::make_unique<TLentBackend>(
            sim::MakeSimulatorBackend(**device, TSteadyClock::Instance()), device);
    };
}

} // namespace korvex::cli
