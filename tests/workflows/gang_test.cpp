// Several programmers of one station, each a session of its own on a thread of
// its own against its own simulated programmer: they share the run, its
// count, the serial claims and the record, and nothing else.
#include "workflowrig.h"

#include "sim/simfaults.h"
#include "support/csvread.h"
#include "workflows/entries.h"
#include "workflows/production/cardnumbers.h"
#include "workflows/production/gangrun.h"
#include "workflows/production/slotrelay.h"
#include "workflows/production/slotsession.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
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

// The production window's slots: each a session made, run and let go on its
// own thread, telling the face's board only through the face's queue.
// Fault: a slot's thread touched the board itself (a data race the thread
// sanitizer fails), or the board's totals were not the slots' cards.
TEST(GangRun, WindowSlotsTellTheirBoardOnlyThroughTheFacesQueue) {
    TSlotRig first(1, nullptr);
    TSlotRig second(2, &first);
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::function<void()>> queue;
    const auto post = [&](std::function<void()> call) {
        const std::lock_guard lock(mutex);
        queue.push_back(std::move(call));
        posted.notify_one();
    };
    TPGangBoard board([&](int entry) { return first.flows.Text(entry); });
    board.Begin({"A", "B"});
    TSlotStart start;
    start.cardType = kPicCard;
    const TMainSnapshot shot = first.flows.Snapshot();
    for (std::size_t row = 0; row < start.files.size(); ++row) {
        start.files[row] = shot.rows[row].field;
    }
    TProductionPlan plan;
    plan.count = kCount;
    plan.record = first.dir / "record.csv";
    TPGangRun run(plan);
    std::vector<std::unique_ptr<TPSlotRelay>> relays;
    std::vector<std::unique_ptr<TPSlotSession>> sessions;
    for (TSlotRig* rig : {&first, &second}) {
        sim::TSimFeedPlan feed;
        feed.cards = kCount;
        rig->device.SetFeed(feed, TSteadyClock::Instance());
        relays.push_back(std::make_unique<TPSlotRelay>(relays.size(), board, post));
        // Each its own device: each slot keeps the journal of its port.
        start.device = "/dev/ttyS" + std::to_string(sessions.size());
        sessions.push_back(std::make_unique<TPSlotSession>(
            first.Bench().dataFolders, rig->dir / "settings",
            sim::SimulatorBackendFactory(rig->device, TSteadyClock::Instance()), start,
            *relays.back()));
        run.Add([session = sessions.back().get()](const TProductionPlan& shared) {
            return session->Run(shared);
        });
    }
    run.Start({});
    while (board.Running()) {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(
            posted.wait_for(lock, std::chrono::seconds(30), [&] { return !queue.empty(); }));
        const std::function<void()> call = std::move(queue.front());
        queue.pop_front();
        lock.unlock();
        call();
    }
    run.Join();

    const TGangView& view = board.View();
    ASSERT_EQ(view.slotViews.size(), 2u);
    EXPECT_EQ(view.good, kCount);
    EXPECT_EQ(view.slotViews[0].good + view.slotViews[1].good, kCount);
    EXPECT_GT(view.slotViews[0].good * view.slotViews[1].good, 0) << "both slots programmed";
    EXPECT_EQ(ParseCsv(ReadText(plan.record)).size(), kCount + 1u);
}

// Fault: a window slot whose programmer never answered waited on, or
// counted as a slot that ran, or took the station's values.
TEST(GangRun, AWindowSlotWhoseProgrammerNeverAnswersEndsAtOnceSayingWhy) {
    TSlotRig rig(1, nullptr);
    rig.device.AddFault(sim::ParseSimFault("silent@1+"));
    TPGangBoard board([&](int entry) { return rig.flows.Text(entry); });
    board.Begin({"A"});
    TPSlotRelay relay(0, board, [](std::function<void()> call) { call(); });
    TSlotStart start;
    start.device = "/dev/ttyS0";
    start.cardType = kPicCard;
    TPSlotSession slot(rig.Bench().dataFolders, rig.dir / "settings",
                       sim::SimulatorBackendFactory(rig.device, TSteadyClock::Instance()), start,
                       relay);
    TProductionPlan plan;
    plan.count = kCount;
    plan.record = rig.dir / "record.csv";

    EXPECT_EQ(slot.Run(plan).end, TRunEnd::reRefused);
    EXPECT_FALSE(board.Running());
    const TSlotView& view = board.View().slotViews.at(0);
    EXPECT_TRUE(view.stoppedAlone);
    EXPECT_NE(view.state.find("/dev/ttyS0"), std::string::npos) << view.state;
    EXPECT_EQ(view.good + view.failed, 0);
    EXPECT_FALSE(std::filesystem::exists(plan.record));
}

} // namespace
} // namespace korvex
