#include "sim/keptsimulator.h"

#include "catalogue/cardbox.h"
#include "catalogue/cardini.h"
#include "link/clock.h"
#include "link/lentbackend.h"
#include "sim/simbackend.h"
#include "sim/simhexfiles.h"
#include "support/errors.h"
#include "support/settingsstore.h"

namespace korvex::sim {
namespace {

// The card type the window would show: the remembered item of the sorted
// list, or the first one.
std::string RememberedCardName(const TPDataFolders& folders) {
    TPCardIni cards;
    cards.SetBaseDir(folders);
    cards.ScanCardTypes();
    if (cards.GetCardCount() == 0) {
        return {};
    }
    std::vector<std::string> names;
    for (int i = 0; i < cards.GetCardCount(); ++i) {
        names.push_back(cards.GetCardInfo(i)->CardName);
    }
    int index = RememberedCardItem(TPSettingsStore(TPSettingsStore::DefaultFolder()), names);
    if (index >= cards.GetCardCount()) {
        index = 0;
    }
    return cards.GetCardInfo(index)->CardName;
}

// The simulated card of one card type keeps its memories between runs, in
// the user's settings folder, so one run can program it and the next read it.
// Fed, it is a row of fresh cards instead, and nothing is kept.
class TKeptCard {
public:
    TKeptCard(const TPDataFolders& folders, std::string cardName, std::ostream& warnings,
              std::string_view program, const std::optional<TSimFeedOptions>& feed)
        : warnings_(warnings), program_(program) {
        if (cardName.empty()) {
            cardName = RememberedCardName(folders);
        }
        if (cardName.empty()) {
            device_ =
                std::make_unique<TSimDevice>(TSimCard(SimCardModelForParts(folders, "PIC 16F84")));
        } else {
            device_ =
                std::make_unique<TSimDevice>(TSimCard(SimCardModelForCardType(folders, cardName)));
        }
        if (feed) {
            // Every fed card is a fresh one; keeping any would mix them up.
            device_->SetFeed(feed->plan, TSteadyClock::Instance(), feed->onEvent);
            return;
        }
        if (cardName.empty() || !TPCardIni::IsSafeCardName(cardName)) {
            return;
        }
        const TSimCardModel model = device_->Card().Model();
        folder_ = TPSettingsStore::DefaultFolder() / "simcard" / cardName;
        std::filesystem::path file;
        try {
            for (const auto memory :
                 {TSimMemory::Program, TSimMemory::Data, TSimMemory::Config, TSimMemory::Eeprom}) {
                file = folder_ / SimMemoryFileName(memory);
                std::error_code error;
                // A file of a memory the card does not have (any more) is
                // stale, and one without data is a blank memory.
                if (!std::filesystem::exists(file, error) || !SimCardHas(device_->Card(), memory) ||
                    IsHexFileWithoutData(file)) {
                    continue;
                }
                LoadSimMemory(device_->Card(), memory, file);
            }
        } catch (const std::exception& error) {
            // A simulator that cannot start helps nobody: the card is blank
            // instead, and saving it at the end replaces the bad file.
            device_ = std::make_unique<TSimDevice>(TSimCard(model));
            std::string reason = DescribeError(error);
            if (reason.find(file.string()) == std::string::npos) {
                reason = file.string() + ": " + reason;
            }
            warnings << program << ": warning: " << OneLine(reason)
                     << "; the simulated card starts blank\n";
        }
    }
    ~TKeptCard() {
        if (folder_.empty()) {
            return;
        }
        try {
            SaveSimCard(device_->Card(), folder_);
        } catch (const std::exception& error) {
            // Said, or the next run's blank card would pass for one the
            // write never reached.
            warnings_ << program_ << ": warning: the simulated card could not be kept ("
                      << OneLine(DescribeError(error)) << "); it starts blank next time\n"
                      << std::flush;
        }
    }
    TKeptCard(const TKeptCard&) = delete;
    TKeptCard& operator=(const TKeptCard&) = delete;

    TSimDevice& Device() { return *device_; }

private:
    std::ostream& warnings_;
    std::string program_;
    std::unique_ptr<TSimDevice> device_;
    std::filesystem::path folder_;
};

} // namespace

std::function<std::unique_ptr<TSerialBackend>()>
InProcessSimulator(const TPDataFolders& folders, const std::string& cardName,
                   std::ostream& warnings, std::string_view program, bool wireTime,
                   std::optional<TSimFeedOptions> feed) {
    // Made on first use, so a run on a real port never reads the card files
    // for it; shared by every backend of the run, and kept when the last goes.
    auto card = std::make_shared<std::unique_ptr<TKeptCard>>();
    return [card, folders, cardName, &warnings, program = std::string(program), wireTime,
            feed = std::move(feed)]() -> std::unique_ptr<TSerialBackend> {
        if (!*card) {
            *card = std::make_unique<TKeptCard>(folders, cardName, warnings, program, feed);
        }
        return std::make_unique<TLentBackend>(
            MakeSimulatorBackend((*card)->Device(), TSteadyClock::Instance(), wireTime), card);
    };
}

} // namespace korvex::sim
