// Several programmers of one station, each a session of its own on a thread of
// its own against its own simulated programmer: they share the run, its
// count, the serial claims and the record, and nothing else.
#include "workflowrig.h"

#include "support/csvread.h"
#include "workflows/entries.h"
#include "workflows/production/cardnumbers.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <thread>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

constexpr int kCount = 8;

struct TCardsSeen final : TProductionObserver {
    void CardDone(const TCardResult& result, const TProductionCounters&) override {
        if (onCard) {
            onCard(result);
        }
    }
    std::function<void(const TCardResult&)> onCard;
};

// A programmer of the station: its own port (COM1, COM2, ...), the station's
// card type with a serial field and its files.
struct TSlotRig : TWorkflowRig {
    TCardsSeen seen;

    TSlotRig(int port, const TSlotRig* station)
        : TWorkflowRig(kPicCard, std::nullopt, true, station) {
        TStartChoices choices;
        choices.comPort = port;
        Start(choices);
        if (station == nullptr) {
            EXPECT_EQ(
                flows.EditSerialFields(
                    {"Serial1:memory=eeprom,address=0x7F0,length=4,format=bcd,first=1000"}, {}),
                TIntentResult::irDone);
        }
        Set(TFileRow::frProgram, File("p.hex", PicHexFile(SomeWords(8, 2), {}, 0x3FF2)));
        Set(TFileRow::frEeprom, File("e.hex", HexData(0, SomeBytes(64, 4)) + HexEnd()));
        sim::TSimFeedPlan feed;
        feed.cards = kCount;
        device.SetFeed(feed, clock);
    }
};

// Fault: two slots took one card number or one serial value, the count was
// counted per slot, a line of one slot replaced another's in the record, or
// a slot whose programmer fell silent held the run up or ended it for all.
TEST(GangRun, TwoSessionsOnTwoThreadsShareTheCountTheClaimsAndTheRecord) {
    for (const bool secondFallsSilent : {false, true}) {
        SCOPED_TRACE(secondFallsSilent);
        TSlotRig first(1, nullptr);
        TSlotRig second(2, &first);
        if (secondFallsSilent) {
            // After its first card the programmer hears the host no more.
            second.seen.onCard = [&](const TCardResult&) {
                second.device.SetHostBaud(19200);
                second.device.SetListeningBaud(115200);
            };
        }
        const std::filesystem::path record = first.dir / "record.csv";
        TPCardNumbers numbers(kCount);
        TProductionPlan plan;
        plan.count = kCount;
        plan.record = record;
        plan.run = "R";
        plan.numbers = &numbers;
        plan.silentEndsAfterMs = 3000;
        TProductionSummary ends[2];
        std::thread other([&] { ends[1] = second.flows.RunProduction(plan, second.seen); });
        ends[0] = first.flows.RunProduction(plan, first.seen);
        other.join();

        EXPECT_EQ(ends[0].end, TRunEnd::reCount);
        EXPECT_EQ(ends[1].end, secondFallsSilent ? TRunEnd::reSilent : TRunEnd::reCount);
        EXPECT_EQ(ends[0].counters.good + ends[1].counters.good, kCount);
        EXPECT_EQ(second.prompts.Entries(), secondFallsSilent
                                                ? std::vector<int>{entries::kRunProgrammerSilent}
                                                : std::vector<int>{});

        const auto rows = ParseCsv(ReadText(record));
        ASSERT_EQ(rows.size(), kCount + 1u);
        const auto column = [&](const std::string& name) {
            return static_cast<std::size_t>(std::find(rows[0].begin(), rows[0].end(), name) -
                                            rows[0].begin());
        };
        std::set<std::string> sequences, values;
        std::map<std::string, std::string> lastValueOf;
        for (std::size_t i = 1; i < rows.size(); ++i) {
            sequences.insert(rows[i][column("sequence")]);
            values.insert(rows[i][column("serial Serial1")]);
            lastValueOf[rows[i][column("port")]] = rows[i][column("serial Serial1")];
        }
        EXPECT_EQ(sequences.size() + values.size(), 2u * kCount) << "one number, one value a card";
        // Each programmer's last card holds the value its line names.
        for (const auto* slot : {&first, &second}) {
            const std::string port = slot == &first ? "/dev/ttyS0" : "/dev/ttyS1";
            EXPECT_EQ(slot->CardText(TSimMemory::Eeprom).substr(2 * 0x7F0, 8),
                      "0000" + lastValueOf[port]);
        }
    }
}

} // namespace
} // namespace korvex
