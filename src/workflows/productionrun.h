#pragma once

#include "workflows/cardcommands.h"
#include "workflows/difference.h"
#include "workflows/failstep.h"
#include "workflows/productionrecord.h"
#include "workflows/workbench.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

enum class TCardVerdict { cvGood, cvFailed, cvInterrupted };

// "good", "failed", "interrupted": the same whatever the language.
std::string_view VerdictName(TCardVerdict verdict);

// How one card of a production run ended.
struct TCardResult {
    int sequence = 0;
    TCardVerdict verdict = TCardVerdict::cvFailed;
    TFailStep step = TFailStep::fsNone;
    std::optional<TPDifference> difference;
    // What Auto program said about the card, its messages on one line;
    // empty for a good card.
    std::string message;
    std::int64_t durationMs = 0;
    int retries = 0; // steps run again after a fault on the line
    // The card's serial values, as the record names them ("serial Serial1").
    TRecordLine serials;
    // The card's log line in the language chosen: "Card 3 good (4.1 s)."
    std::string line;
};

struct TProductionCounters {
    int good = 0;
    int failed = 0;
    int interrupted = 0;
    std::int64_t elapsedMs = 0; // since the run started

    int Cards() const { return good + failed + interrupted; }
    // 0 until a card has been handled.
    double CardsPerHour() const {
        return elapsedMs > 0 ? Cards() * 3'600'000.0 / static_cast<double>(elapsedMs) : 0.0;
    }
};

// What a run is asked to do.
struct TProductionPlan {
    int count = 0;                // cards to handle; 0: until stopped
    std::filesystem::path record; // the record file; empty: none kept
    // A PostgreSQL database several stations share (postgresql://...), for
    // the serial claims and every card's record line; empty: the station's
    // own files only. A password comes from the client library's password
    // file or environment, never from here.
    std::string database;
    std::string station; // this station's name in the shared record
};

// Why a run ended.
enum class TRunEnd {
    reRefused,      // it did not start; the reason has been shown
    reCount,        // the cards asked for were handled
    reStopped,      // stopped on request, after the card in hand
    reFiles,        // the files give nothing to program; the reason has been shown
    reRecordFailed, // the record could not be written; the reason has been shown
    reSerials,      // a card's serial values could not be had; the reason has been shown
    reDatabaseLost, // the shared database failed; the local record has every card
    reLineGone,     // the programmer's port went away; the reason has been shown
};

struct TProductionSummary {
    TRunEnd end = TRunEnd::reRefused;
    TProductionCounters counters;
};

// What a face shows of a running production run. Everything is told on the
// thread of the run, between its polls and cards.
class TProductionObserver {
public:
    virtual ~TProductionObserver() = default;
    virtual void RunStarted(const TProductionPlan& /*plan*/) {}
    // The slot is empty and the run waits for the next card; told once each
    // time the slot empties.
    virtual void Waiting() {}
    virtual void CardStarted(int /*sequence*/) {}
    virtual void CardDone(const TCardResult& /*result*/, const TProductionCounters& /*counters*/) {}
    virtual void RunEnded(const TProductionSummary& /*summary*/) {}
};

// The production line's rhythm: each card that arrives in the slot is auto
// programmed once, with the files and options as they are at that moment; a
// card left in the slot is never programmed twice. Every card is counted and
// recorded, and a failed card does not stop the run. The run polls the card
// state itself, letting the window run between polls.
class TPProductionRun {
public:
    TPProductionRun(TPWorkbench& bench, TPCardCommands& commands, TMessagePump* pump)
        : bench_(bench), commands_(commands), pump_(pump) {}

    // Runs until the plan's count is reached or Stop is asked for. Refused
    // (reRefused) while a command runs or without a connected programmer.
    TProductionSummary Run(const TProductionPlan& plan, TProductionObserver& observer);
    // This machine's name, for a plan that names no station.
    static std::string DefaultStation();
    // Ends the run after the card in hand.
    void Stop() { stopRequested_ = true; }
    bool Running() const { return bench_.run.ProductionRunning(); }

private:
    class TRunning;

    TCardResult ProgramCard(int sequence);
    // Appends the card's line to the record; false (the reason shown) when
    // it could not be written.
    bool Record(const TProductionPlan& plan, const TCardResult& result,
                std::optional<int> firmware);
    // The card's line into the shared record; false (the reason shown) when
    // the database would not take it.
    bool Share(const TProductionRow& row);
    // Where the card's line went instead, as the message words it.
    std::string KeepElsewhere(const TProductionPlan& plan, const TProductionRow& row) const;
    // One poll period, the window running meanwhile; returns early on Stop.
    void WaitPollPeriod();
    void Log(const std::string& line);
    std::string ResultLine(const TCardResult& result) const;

    TPWorkbench& bench_;
    TPCardCommands& commands_;
    TMessagePump* pump_;
    bool stopRequested_ = false;
    // The shared record of a run that names a database.
    std::unique_ptr<TRecordSink> sharedRecord_;
};

} // namespace korvex
