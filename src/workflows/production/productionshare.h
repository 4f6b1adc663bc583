#pragma once

#include "serials/claims/blockclaims.h"
#include "serials/claims/localclaims.h"
#include "serials/postgres/pgwait.h"
#include "serials/postgres/stationdatabase.h"
#include "serials/record/recordoutbox.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// What the start of a run with a shared database found.
struct TShareStart {
    int linesSent = 0; // lines of the local record the database did not hold
    // Fields whose counter the database started after the station's own
    // claims: the field, the card type and the value it starts after.
    struct TCounterStart {
        std::string field;
        std::string cardType;
        std::uint64_t after = 0;
    };
    std::vector<TCounterStart> counters;
};

// What became of the database over a card.
enum class TShareChange { scNone, scAway, scBack };

// A production run's side of the database the stations of a line share. The
// local record is the outbox: every card's line is written there first and
// goes to the database when it can be reached, so an outage costs no line
// and no card waits longer than the database's bound. Serial values come
// from blocks the station takes ahead (TPBlockClaims).
class TPProductionShare {
public:
    // `reserve`: what the station's other programmers hold (see
    // TPStationReserve); nullptr when this is its only one.
    TPProductionShare(const std::string& uri, const std::string& station,
                      const std::filesystem::path& record, TPLocalSerialClaims& own, int block,
                      TPgWait wait, std::shared_ptr<TPStationReserve> reserve = nullptr);

    // Before the first card: connects, sends the record's lines the database
    // does not hold, settles the values of earlier runs and takes the first
    // block of each field, for `cards` cards at most. Throws EDatabase (or ESerialsUsedUp,
    // EInOutError) when the run cannot start so.
    TShareStart Open(const std::vector<TPSerialSequence>& fields, std::optional<int> cards);

    TPBlockClaims& Claims() { return claims_; }

    // After a card's local line: the record's new lines go to the database
    // and the blocks are topped up for the cards left (nothing: until the
    // run is stopped), when it can be reached. Says when the
    // database went away (Problem says why) or came back (LinesSent says
    // how many lines went then).
    TShareChange AfterCard(std::optional<int> cardsLeft);
    const std::string& Problem() const { return database_.Problem(); }
    bool Away() const { return database_.Away(); }
    int LinesSent() const { return linesSent_; }
    // The values held for the next cards, "Serial1 12, Serial2 12"; empty
    // without any.
    std::string Held() const;

    // At the end: the values no card got are released, when the database
    // can be reached.
    void Close();

private:
    TPStationDatabase database_;
    TPRecordOutbox outbox_;
    TPBlockClaims claims_;
    bool away_ = false;
    int linesSent_ = 0;
};

} // namespace korvex
