#include "workflowrig.h"

#include "serials/claims/claimhistory.h"
#include "sim/simfeeder.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/production/cardjournal.h"

#include <gtest/gtest.h>

#include <map>

namespace korvex {
namespace {

using namespace korvex::testing;
using sim::TSimMemory;

// What a face is told of a run.
struct TRecordingBoard final : TProductionObserver {
    void Waiting() override { ++waits; }
    void CardStarted(int sequence) override { started.push_back(sequence); }
    void CardDone(const TCardResult& result, const TProductionCounters&) override {
        results.push_back(result);
        if (onCard) {
            onCard(result);
        }
    }
    void RunEnded(const TProductionSummary& summary) override { ended.push_back(summary.end); }
    void Notice(const std::string& text) override { notices.push_back(text); }

    int waits = 0;
    std::vector<int> started;
    std::vector<TCardResult> results;
    std::vector<TRunEnd> ended;
    std::vector<std::string> notices;
    std::function<void(const TCardResult&)> onCard;
};

// A PIC card type with program and EEPROM files chosen, on the simulated
// programmer, the record in the test's folder.
struct ProductionRig : TWorkflowRig {
    std::vector<std::uint16_t> words = SomeWords(24, 1);
    std::vector<std::uint8_t> data = SomeBytes(16, 3);
    std::vector<std::uint8_t> eeprom = SomeBytes(100, 5);
    std::filesystem::path record = dir / "record.csv";
    TRecordingBoard board;

    explicit ProductionRig(bool userFolder = false)
        : TWorkflowRig(kPicCard, std::nullopt, userFolder) {
        Start();
        flows.SetFileField(TFileRow::frProgram, File("prog.hex", PicHexFile(words, data, 0x3FF2)));
        flows.SetFileField(TFileRow::frEeprom, File("ee.hex", HexData(0, eeprom) + HexEnd()));
        ClearRecords();
    }
    TProductionSummary Run(int count) {
        TProductionPlan plan;
        plan.count = count;
        plan.record = record;
        return flows.RunProduction(plan, board);
    }
    std::vector<std::string> RecordLines() const {
        std::vector<std::string> lines;
        std::string text = ReadText(record);
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = std::min(text.find("\r\n", at), text.size());
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }
};

TEST(ProductionRun, FedCardsAreProgrammedOnceEachAndAFaultyOneIsRecordedWhereItFailed) {
    ProductionRig rig;
    sim::TSimFeedPlan feed;
    feed.cards = 5;
    feed.faults[3].push_back(sim::TSimStuckCell{TSimMemory::Eeprom, 0x10});
    // A fault on the line costs the second card a try, not its place.
    feed.faults[2].push_back(sim::ParseSimFault("silent@B3"));
    const sim::TSimFeeder& feeder = rig.device.SetFeed(feed, rig.clock);

    const TProductionSummary summary = rig.Run(5);

    EXPECT_EQ(summary.end, TRunEnd::reCount);
    EXPECT_EQ(summary.counters.good, 4);
    EXPECT_EQ(summary.counters.failed, 1);
    EXPECT_EQ(feeder.CardsInserted(), 5);
    ASSERT_EQ(rig.board.results.size(), 5u);
    const TCardResult& third = rig.board.results[2];
    EXPECT_EQ(third.verdict, TCardVerdict::cvFailed);
    EXPECT_EQ(third.step, TFailStep::fsEepromVerify);
    ASSERT_TRUE(third.difference);
    EXPECT_EQ(third.difference->space, TMemorySpace::msExtEeprom);
    EXPECT_EQ(third.difference->address, 0x10);
    EXPECT_EQ(third.difference->expected, BytesText({rig.eeprom[0x10]}));
    EXPECT_EQ(third.difference->found, "FF");
    EXPECT_NE(third.message.find("First difference at eeprom byte 0x0010"), std::string::npos)
        << third.message;
    // Nobody stands by a production line to click boxes away.
    EXPECT_TRUE(rig.prompts.messages.empty());
    EXPECT_TRUE(rig.linkPrompts.errors.empty());
    EXPECT_EQ(rig.view.enables, (std::vector<bool>{false, true}));
    EXPECT_FALSE(rig.flows.ProductionRunning());
    EXPECT_TRUE(rig.scheduler.Running()) << "the window's poll comes back";
    EXPECT_EQ(rig.Sent().back(), "A30") << "the programmer is left released";

    const std::vector<std::string> lines = rig.RecordLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].rfind("time,sequence,card type,", 0), 0u);
    EXPECT_NE(lines[3].find(",3,PIC16F84-24C16,"), std::string::npos) << lines[3];
    EXPECT_NE(lines[3].find(",failed,eeprom verify,eeprom byte 0x0010," +
                            BytesText({rig.eeprom[0x10]}) + ",FF,1,"),
              std::string::npos)
        << lines[3];
    EXPECT_NE(lines[5].find(",5,PIC16F84-24C16,"), std::string::npos);
    EXPECT_NE(lines[5].find(",good,,,,,,"), std::string::npos) << lines[5];
    // The steps run again, after the columns every record has had.
    const auto retries = [](const std::string& line) {
        std::size_t at = 0;
        for (std::size_t column = 0; column < kFirstRecordColumns; ++column) {
            at = line.find(',', at) + 1;
        }
        return line.substr(at, line.find(',', at) - at);
    };
    EXPECT_EQ(retries(lines[0]), "retries");
    EXPECT_EQ(retries(lines[2]), "1") << lines[2];
    EXPECT_EQ(retries(lines[5]), "0") << lines[5];
}

TEST(ProductionRun, ACardLeftInTheSlotIsProgrammedOnceAndTheRunStopsOnRequest) {
    ProductionRig rig;
    std::size_t framesAfterCard = 0;
    rig.board.onCard = [&](const TCardResult&) { framesAfterCard = rig.device.Frames().size(); };
    int polls = 0;
    rig.pump.during = [&] {
        // Many poll periods with the card still in, then the user stops.
        if (!rig.board.results.empty() && rig.Count('P') > 0 && ++polls == 400) {
            rig.flows.StopProduction();
        }
    };

    const TProductionSummary summary = rig.Run(0);

    EXPECT_EQ(summary.end, TRunEnd::reStopped);
    ASSERT_EQ(rig.board.results.size(), 1u);
    EXPECT_EQ(rig.board.results[0].verdict, TCardVerdict::cvGood);
    EXPECT_EQ(rig.CardText(TSimMemory::Program).substr(0, 4 * rig.words.size()),
              WordsText(rig.words));
    // After the card only polls, and the release at the end.
    std::size_t pollsAfter = 0;
    for (std::size_t i = framesAfterCard; i < rig.device.Frames().size(); ++i) {
        const char command = rig.device.Frames()[i].command;
        pollsAfter += command == 'P' ? 1 : 0;
        EXPECT_TRUE(command == 'P' || command == 'A' || command == 'V') << command;
    }
    EXPECT_GE(pollsAfter, 10u);
    EXPECT_EQ(rig.RecordLines().size(), 2u);
}

TEST(ProductionRun, TheNextCardWaitsUntilTheFirstHasLeftTheSlot) {
    ProductionRig rig;
    // Pulled during its write, put back: still the same card, not a new one.
    bool pulled = false;
    rig.pump.during = [&] {
        if (!pulled && rig.Count('E') > 2) {
            rig.device.SetPresent(false);
            pulled = true;
        }
        // Put back once the run has seen the slot empty.
        if (rig.board.results.size() == 1 && rig.board.waits > 0) {
            rig.device.SetPresent(true);
        }
        if (rig.device.Frames().size() > 20000) {
            rig.flows.StopProduction(); // a run that never ends fails below
        }
    };
    const TProductionSummary summary = rig.Run(2);
    // The pulled card fails; the next one in the slot is programmed.
    ASSERT_EQ(rig.board.results.size(), 2u);
    EXPECT_EQ(rig.board.results[0].verdict, TCardVerdict::cvFailed);
    EXPECT_EQ(rig.board.results[1].verdict, TCardVerdict::cvGood);
    EXPECT_GE(rig.board.waits, 1);
    EXPECT_EQ(summary.end, TRunEnd::reCount);
}

// A port gone away while the run waits for a card ends the run: no card can
// come through it, and the user would wait without knowing.
TEST(ProductionRun, APortGoneAwayBetweenCardsEndsTheRun) {
    ProductionRig rig;
    int pumped = 0;
    rig.pump.during = [&] {
        if (rig.board.results.size() == 1 && !rig.device.HungUp() && rig.board.waits == 0) {
            rig.device.SetPresent(false);
            // The line's count of polls began before the rig's records did.
            for (std::size_t poll = 1; poll <= 50; ++poll) {
                rig.device.AddFault(
                    sim::ParseSimFault("hangup@P" + std::to_string(rig.Count('P') + poll)));
            }
        }
        if (++pumped > 100000) {
            rig.flows.StopProduction(); // a run that never ends fails below
        }
    };
    const TProductionSummary summary = rig.Run(3);
    EXPECT_EQ(summary.end, TRunEnd::reLineGone);
    ASSERT_EQ(rig.board.results.size(), 1u);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kRunLinePortGone});
    EXPECT_NE(rig.prompts.messages[0].text.find("before card 2"), std::string::npos)
        << rig.prompts.messages[0].text;
    EXPECT_EQ(rig.RecordLines().size(), 2u);
}

// Fault: a programmer that refused every packet from some card on failed card
// after card; or a run ended for cards that differed at their verify, or
// for refusals that a good card came between.
TEST(ProductionRun, AProgrammerFailingCardsInARowOnTheLineEndsItsRunAtTheBound) {
    const auto refused = [] { return sim::TSimCardFault(sim::ParseSimFault("nack@B1+")); };
    const auto stuck = [] { return sim::TSimCardFault(sim::TSimStuckCell{TSimMemory::Eeprom, 0}); };
    const struct {
        const char* name;
        int bound;
        std::map<int, sim::TSimCardFault> faults; // by card
        TRunEnd end;
        std::size_t cards;
    } cases[] = {
        {"three refused in a row",
         3,
         {{2, refused()}, {3, refused()}, {4, refused()}},
         TRunEnd::reLineFailing,
         4},
        {"a good card between",
         3,
         {{2, refused()}, {3, refused()}, {5, refused()}, {6, refused()}},
         TRunEnd::reCount,
         6},
        {"verify differences", 3, {{2, stuck()}, {3, stuck()}, {4, stuck()}}, TRunEnd::reCount, 6},
        {"no bound", 0, {{2, refused()}, {3, refused()}, {4, refused()}}, TRunEnd::reCount, 6},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.name);
        ProductionRig rig;
        sim::TSimFeedPlan feed;
        feed.cards = 6;
        for (const auto& [card, fault] : each.faults) {
            feed.faults[card].push_back(fault);
        }
        rig.device.SetFeed(feed, rig.clock);
        TProductionPlan plan;
        plan.count = 6;
        plan.lineFailuresEndAfter = each.bound;
        const TProductionSummary summary = rig.flows.RunProduction(plan, rig.board);
        EXPECT_EQ(summary.end, each.end);
        EXPECT_EQ(rig.board.results.size(), each.cards);
        const std::vector<int> shown = rig.prompts.Entries();
        const bool told =
            std::count(shown.begin(), shown.end(), entries::kRunProgrammerFailing) == 1;
        EXPECT_EQ(told, each.end == TRunEnd::reLineFailing);
    }
}

// Fault: a run started while the last run's finished card was still in the
// slot programmed it again with a new value, and a card killed after its
// verify but before its line was on no line at all.
TEST(ProductionRun, WhatTheJournalSaysOfTheLastCardDecidesWhetherTheCardInTheSlotIsProgrammed) {
    const struct {
        TJournalStep step;
        std::string outcome;
        bool programmedAtOnce; // else only once it was taken out and put in
        bool recovered;        // its line written now
    } cases[] = {
        {TJournalStep::jsClaimed, "", true, false},
        {TJournalStep::jsFinished, "good", false, true},
        {TJournalStep::jsRecorded, "good", false, false},
        {TJournalStep::jsLetGo, "failed", true, false},
        {TJournalStep::jsTakenOut, "good", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.step));
        ProductionRig rig;
        TPCardJournal journal(JournalFileOf(rig.folder, rig.flows.Session().PortName().text));
        journal.Restart(std::nullopt);
        journal.Begin("R", 7, rig.record, "s1");
        journal.Claimed("R", 7, kPicCard, {{"Serial1", 1008, "1008"}});
        if (c.step >= TJournalStep::jsFinished) {
            TProductionRow row;
            row.sequence = 7;
            row.outcome = c.outcome;
            row.run = "R";
            row.station = "s1";
            journal.Finished("R", 7, ColumnsOf(row));
        }
        for (TJournalStep step = TJournalStep::jsRecorded; step <= c.step;
             step = static_cast<TJournalStep>(static_cast<int>(step) + 1)) {
            journal.Reached(step, "R", 7);
        }
        // A few polls in, the card is taken out and put in again.
        std::size_t pollsBefore = 0;
        rig.board.onCard = [&](const TCardResult&) { pollsBefore = rig.Count('P'); };
        rig.pump.during = [&] {
            const std::size_t polls = rig.Count('P');
            if (polls == 5 && rig.device.Present()) {
                rig.device.SetPresent(false);
            } else if (polls == 10 && !rig.device.Present()) {
                rig.device.SetPresent(true);
            } else if (polls > 1000) {
                rig.flows.StopProduction(); // a run that never ends fails below
            }
        };
        EXPECT_EQ(rig.Run(1).end, TRunEnd::reCount);
        EXPECT_EQ(pollsBefore < 5, c.programmedAtOnce);
        const std::vector<std::string> lines = rig.RecordLines();
        EXPECT_EQ(lines.size(), c.recovered ? 3u : 2u);
        EXPECT_EQ(lines.size() > 2 && lines[1].ends_with(",7,,,,,,,,good,,,,,,0,,0,R,s1,yes,"),
                  c.recovered)
            << lines[1];
        const std::string claims = ReadText(rig.folder / "serials" / kPicCard / "Serial1.claims");
        EXPECT_EQ(claims.find("spent 1008 1008 good") != std::string::npos, c.recovered);
        const std::string waiting = FillIn(rig.Text(entries::kCardLeftInSlot), {"Serial1 1008"});
        EXPECT_EQ(rig.board.notices.size() > 0 && rig.board.notices.back() == waiting,
                  !c.programmedAtOnce);
    }
}

// Fault: a line a crash cut short, or the NULs a crash leaves at a file's
// end, stopped the next run; a line damaged otherwise went unnoticed, or a
// line break in a field split the journal's line.
TEST(ProductionFiles, TheirReadersForgiveOnlyWhatACrashLeaves) {
    const std::string nuls(5, '\0');
    const std::string t = " 2026-01-01T00:00:00Z";
    const struct {
        bool journal;
        std::string text;
        std::string read; // what was read, or the line the error names
    } cases[] = {
        {true, "begun,R,1,,s\r\nclaimed,R,1,C,Serial1,5,5\r\nwrit", "1 claimed 5"},
        {true, "begun,R,1,,s\r\nclaimed,R,1,C,Serial1,5,5\r\n" + nuls, "1 claimed 5"},
        {true, "begun,R,1,,s\r\nwritten,R,9\r\nbegun,R,2,,s\r\n", "line 2 (\"written,R,9\")"},
        {true, "begun,R,1,\"a\r\nb\",s\r\n", "line 1 (\"begun,R,1,\"a\")"},
        {false, "claimed 5 5" + t + "\nspent 5 5 good" + t + "\nclaimed 6 6 T", "highest 5"},
        {false, "claimed 5 5" + t + "\n" + nuls, "highest 5"},
        {false, "claimed 5 5" + t + "\nclaimed 6\nclaimed 7 7" + t + "\n",
         "line 2 (\"claimed 6\")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.read);
        TempDir dir;
        WriteText(dir / "file", c.text);
        try {
            if (c.journal) {
                const auto card = TPCardJournal(dir / "file").LastCard();
                ASSERT_TRUE(card);
                EXPECT_EQ(std::to_string(card->sequence) + " claimed " + card->serials.at(0).text,
                          c.read);
            } else {
                EXPECT_EQ("highest " + std::to_string(*ReadClaimHistory(dir / "file").highest),
                          c.read);
            }
        } catch (const EInOutError& error) {
            EXPECT_NE(std::string(error.what()).find(c.read), std::string::npos) << error.what();
        }
    }
    TempDir dir;
    TPCardJournal journal(dir / "journal");
    journal.Restart(std::nullopt);
    journal.Begin("R", 1, dir / "a\nb%0A.csv", "s");
    EXPECT_EQ(journal.LastCard()->record, dir / "a\nb%0A.csv");
}

TEST(ProductionRun, DoesNotStartWithoutAProgrammerOrWithARecordItCannotKeep) {
    ProductionRig rig;
    WriteText(rig.record, "name,address\r\nsomebody,somewhere\r\n");
    const std::string before = ReadText(rig.record);

    EXPECT_EQ(rig.Run(1).end, TRunEnd::reRefused);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kRecordNotWritten});
    EXPECT_EQ(ReadText(rig.record), before);
    EXPECT_EQ(rig.TransferFrames(), 0u);
    EXPECT_TRUE(rig.view.enables.empty());

    rig.prompts.Clear();
    std::filesystem::remove(rig.record);
    rig.flows.ChooseOffline();
    EXPECT_EQ(rig.Run(1).end, TRunEnd::reRefused);
    EXPECT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kNotConnectedOrNoCard});
    EXPECT_FALSE(std::filesystem::exists(rig.record));
}

// Fault: a connection string holding a password was told as a database that
// cannot be reached, which sends the user looking for a network fault.
TEST(ProductionRun, DoesNotStartWithAPasswordInTheDatabasesConnectionString) {
    ProductionRig rig;
    TProductionPlan plan;
    plan.count = 1;
    plan.database = "host=db.example password=s3cret";
    EXPECT_EQ(rig.flows.RunProduction(plan, rig.board).end, TRunEnd::reRefused);
    ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kDatabaseUriRefused});
    EXPECT_EQ(rig.prompts.messages[0].text.find("s3cret"), std::string::npos);
    EXPECT_EQ(rig.TransferFrames(), 0u);
}

TEST(ProductionRun, FilesThatCannotBeLoadedEndTheRunBeforeAnythingIsSent) {
    ProductionRig rig;
    // Rewritten while the line runs, and broken.
    WriteText(rig.flows.Session().FileRow(TFileRow::frProgram).field, ":10000000zz\r\n");
    rig.pump.during = [&] {
        if (rig.device.Frames().size() > 20000) {
            rig.flows.StopProduction(); // a run that never ends fails below
        }
    };

    const TProductionSummary summary = rig.Run(0);

    // Refused before the first card: no card counts, none is recorded.
    EXPECT_EQ(summary.end, TRunEnd::reFiles);
    EXPECT_TRUE(rig.board.results.empty());
    EXPECT_FALSE(std::filesystem::exists(rig.record));
    EXPECT_EQ(rig.TransferFrames(), 0u);
    // This one is shown: the line cannot go on until somebody mends the files.
    ASSERT_EQ(rig.prompts.messages.size(), 1u);
    EXPECT_NE(rig.prompts.messages[0].text.find("prog.hex"), std::string::npos);
}

// The run stops, and the card programmed meanwhile keeps its line: in a file
// of the user's data folder, or, without one, in the message itself.
TEST(ProductionRun, ARecordThatCannotBeWrittenAnyMoreStopsTheRunKeepingTheCardsLine) {
    for (const bool userFolder : {false, true}) {
        SCOPED_TRACE(userFolder);
        ProductionRig rig(userFolder);
        sim::TSimFeedPlan feed;
        feed.cards = 3;
        rig.device.SetFeed(feed, rig.clock);
        rig.board.onCard = [&](const TCardResult&) {
            // Replaced behind the run's back by something that is no record.
            WriteText(rig.record, "not a record\r\n");
        };

        const TProductionSummary summary = rig.Run(3);

        EXPECT_EQ(summary.end, TRunEnd::reRecordFailed);
        EXPECT_EQ(rig.board.results.size(), 2u) << "the first card's line went in";
        EXPECT_EQ(ReadText(rig.record), "not a record\r\n");
        ASSERT_EQ(rig.prompts.Entries(), std::vector<int>{entries::kRecordNotWritten});
        const std::string& message = rig.prompts.messages[0].text;
        const std::filesystem::path kept = rig.dir / "user" / "records" / "unsaved-record.csv";
        const std::string line = userFolder ? ReadText(kept) : message;
        EXPECT_NE(line.find(",2,PIC16F84-24C16,"), std::string::npos) << line;
        EXPECT_EQ(message.find(kept.string()) != std::string::npos, userFolder) << message;
    }
}

TEST(ProductionRun, ClosingTheWindowEndsTheRunAfterTheCardInHand) {
    ProductionRig rig;
    sim::TSimFeedPlan feed;
    feed.cards = 3;
    rig.device.SetFeed(feed, rig.clock);
    bool asked = false;
    rig.pump.during = [&] {
        if (!asked && rig.Count('E') > 0) {
            asked = true;
            EXPECT_FALSE(rig.flows.FormClose());
            rig.flows.CloseTimerTick(); // ticks on while the card is written
        }
    };

    const TProductionSummary summary = rig.Run(0);

    EXPECT_EQ(summary.end, TRunEnd::reStopped);
    ASSERT_EQ(rig.board.results.size(), 1u);
    EXPECT_EQ(rig.board.results[0].verdict, TCardVerdict::cvGood);
    EXPECT_EQ(rig.view.closeRequests, 0);
    const std::size_t polls = rig.Count('P');
    rig.scheduler.Tick(); // a closing window polls no more
    EXPECT_EQ(rig.Count('P'), polls);
    rig.flows.CloseTimerTick();
    EXPECT_EQ(rig.view.closeRequests, 1);
}

} // namespace
} // namespace korvex
