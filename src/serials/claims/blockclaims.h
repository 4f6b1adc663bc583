#pragma once

#include "serials/claims/serialclaims.h"
#include "serials/claims/stationreserve.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvex {

class TPLocalSerialClaims;
class TPStationDatabase;

// The claims of a station of a line that shares a database, kept going
// through a short outage: the station takes a block of values ahead (one
// transaction) and hands them out itself, each kept in its own claim file
// before its card is touched. The database learns what became of a value
// from the card's record line (see TPRecordOutbox) or from the claim file
// (Reconcile); a value the station held and no card got is released as
// "unused". Only when the block is spent and the database cannot be reached
// does a claim fail.
class TPBlockClaims : public TSerialClaims {
public:
    static constexpr int kDefaultBlock = 16;
    static constexpr int kMostBlock = 1000;

    // `reserve`: what the station's other programmers hold, shared with
    // them; nullptr: this one is the station's only programmer.
    TPBlockClaims(TPStationDatabase& database, TPLocalSerialClaims& own, int block,
                  std::shared_ptr<TPStationReserve> reserve = nullptr)
        : database_(database), own_(own), block_(block),
          reserve_(reserve ? std::move(reserve) : std::make_shared<TPStationReserve>()) {}

    // Before the first card: the field's first block. A counter the
    // database does not have yet starts after the highest value the
    // station's own claims hold, which is returned then; one whose next
    // value is not above it is refused (EDatabase naming both). Throws
    // EDatabase, ESerialsUsedUp, EInOutError.
    std::optional<std::uint64_t> Prepare(const TPSerialSequence& sequence);

    TSerialValue Claim(const TPSerialSequence& sequence) override;
    // Into the station's own claim file; the database learns it with the
    // card's line.
    void Spend(const TPSerialSequence& sequence, const TSerialValue& value,
               std::string_view outcome) override;
    // The value the next claim of the field gives, when the station holds one.
    std::optional<TSerialValue> Next(const TPSerialSequence& sequence) const override;

    // Between cards: a field with half its block or less left takes another,
    // when the database can be reached. A failure leaves the database lost
    // (see TPStationDatabase) and the values held as they were.
    void TopUp();
    // Releases the values held that no card got, when the database can be
    // reached; those it cannot release now, Reconcile releases later.
    void ReleaseUnused();
    // Tells the database what the station's claim files say of the values
    // it took in earlier runs or while it was away and holds no more: spent
    // ones get their outcome, ones whose card never finished stay open as
    // cut off, and ones no card got are released as unused. Throws EDatabase
    // or EInOutError.
    void Reconcile();

    // How many more cards the run will program (nothing: until stopped): a
    // station takes no more values ahead than those cards need.
    void ExpectCards(std::optional<int> cards) { cardsLeft_ = cards; }

    // The values of each field held now: field, count.
    std::vector<std::pair<std::string, std::size_t>> Held() const;

private:
    struct TBlock {
        TPSerialSequence sequence;
        std::deque<TSerialValue> values;
    };
    using TKey = std::pair<std::string, std::string>; // card type, field

    TBlock& BlockOf(const TPSerialSequence& sequence);
    // How many values to take for the field now.
    int Wanted(const TBlock& block) const;
    // Takes a block for the field from the database; false when it cannot
    // be reached (now: try whatever the pause).
    bool Reserve(TBlock& block, bool now, std::optional<std::uint64_t> stationLast);
    // Enters values taken into the station's reserve, the turn held.
    void Hold(const TBlock& block, const std::vector<TSerialValue>& values);

    TPStationDatabase& database_;
    TPLocalSerialClaims& own_;
    int block_;
    std::optional<int> cardsLeft_;
    std::map<TKey, TBlock> blocks_;
    std::shared_ptr<TPStationReserve> reserve_;
};

} // namespace korvex
