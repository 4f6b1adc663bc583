#include "serials/claims/blockclaims.h"

#include "serials/claims/claimhistory.h"
#include "serials/claims/localclaims.h"
#include "serials/postgres/pgarray.h"
#include "serials/postgres/pgclaims.h"
#include "serials/postgres/shareddatabase.h"
#include "serials/postgres/stationdatabase.h"
#include "serials/serialerrors.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace korvex {

TPBlockClaims::TBlock& TPBlockClaims::BlockOf(const TPSerialSequence& sequence) {
    const TKey key{sequence.CardType(), sequence.Field().name};
    auto found = blocks_.find(key);
    if (found == blocks_.end()) {
        found = blocks_.emplace(key, TBlock{sequence, {}}).first;
    }
    return found->second;
}

bool TPBlockClaims::Reserve(TBlock& block, bool now, std::optional<std::uint64_t> stationLast) {
    const auto database = database_.Reach(now);
    if (!database) {
        return false;
    }
    try {
        const auto turn = reserve_->Turn();
        TPgReservation taken = TPPgSerialClaims(database, database_.Station())
                                   .Reserve(block.sequence, Wanted(block), stationLast);
        Hold(block, taken.values);
        block.values.insert(block.values.end(), taken.values.begin(), taken.values.end());
        return true;
    } catch (const EDatabase& error) {
        // A refusal of the server's own comes with a connection that still
        // works: that is no outage.
        if (database->Connection().Usable()) {
            throw;
        }
        database_.Lost(error);
        return false;
    }
}

std::optional<std::uint64_t> TPBlockClaims::Prepare(const TPSerialSequence& sequence) {
    TBlock& block = BlockOf(sequence);
    if (!block.values.empty()) {
        return std::nullopt;
    }
    const auto stationLast =
        ReadClaimHistory(own_.ClaimFile(sequence.CardType(), sequence.Field().name)).highest;
    const auto database = database_.Reach(true);
    if (!database) {
        throw EDatabase(database_.Problem());
    }
    const auto turn = reserve_->Turn();
    TPgReservation taken = TPPgSerialClaims(database, database_.Station())
                               .Reserve(block.sequence, Wanted(block), stationLast);
    Hold(block, taken.values);
    block.values.assign(taken.values.begin(), taken.values.end());
    return taken.startedAfter;
}

void TPBlockClaims::Hold(const TBlock& block, const std::vector<TSerialValue>& values) {
    for (const TSerialValue& value : values) {
        reserve_->Hold({block.sequence.CardType(), block.sequence.Field().name, value.position});
    }
}

TSerialValue TPBlockClaims::Claim(const TPSerialSequence& sequence) {
    TBlock& block = BlockOf(sequence);
    if (block.values.empty() && !Reserve(block, true, std::nullopt)) {
        throw EDatabase("The database " + database_.Where() + " cannot be reached (" +
                        database_.Problem() + "), and the values of " + sequence.Field().name +
                        " of card type " + sequence.CardType() +
                        " this station took ahead are all used: no card can be given one until "
                        "the database answers again");
    }
    // Never handed out twice, whether or not the claim file took it.
    const TSerialValue value = block.values.front();
    block.values.pop_front();
    own_.Keep(sequence, value);
    // In the claim file now, which is what a settling goes by.
    const auto turn = reserve_->Turn();
    reserve_->Drop({sequence.CardType(), sequence.Field().name, value.position});
    return value;
}

void TPBlockClaims::Spend(const TPSerialSequence& sequence, const TSerialValue& value,
                          std::string_view outcome) {
    own_.Spend(sequence, value, outcome);
}

std::optional<TSerialValue> TPBlockClaims::Next(const TPSerialSequence& sequence) const {
    const auto found = blocks_.find({sequence.CardType(), sequence.Field().name});
    if (found == blocks_.end() || found->second.values.empty()) {
        return std::nullopt;
    }
    return found->second.values.front();
}

int TPBlockClaims::Wanted(const TBlock& block) const {
    const int held = static_cast<int>(block.values.size());
    return cardsLeft_ ? std::clamp(*cardsLeft_ - held, 1, block_) : block_;
}

void TPBlockClaims::TopUp() {
    for (auto& [key, block] : blocks_) {
        const int held = static_cast<int>(block.values.size());
        if (2 * held > block_ || (cardsLeft_ && held >= *cardsLeft_)) {
            continue;
        }
        try {
            if (!Reserve(block, false, std::nullopt)) {
                return;
            }
        } catch (const ESerialsUsedUp&) {
            // The field's last values are held already; Claim says so when
            // they are spent.
        }
    }
}

void TPBlockClaims::ReleaseUnused() {
    for (auto& [key, block] : blocks_) {
        if (block.values.empty()) {
            continue;
        }
        const auto database = database_.Reach(false);
        if (!database) {
            return;
        }
        try {
            const auto turn = reserve_->Turn();
            TPPgSerialClaims(database, database_.Station())
                .ReleaseUnused(key.first, {block.values.begin(), block.values.end()});
            for (const TSerialValue& value : block.values) {
                reserve_->Drop({key.first, key.second, value.position});
            }
            block.values.clear();
        } catch (const EDatabase& error) {
            database_.Lost(error);
            return;
        }
    }
}

void TPBlockClaims::Reconcile() {
    const auto database = database_.Reach(true);
    if (!database) {
        throw EDatabase(database_.Problem());
    }
    TPPgConnection& connection = database->Connection();
    // The station's other programmers take no block meanwhile: what they
    // hold is theirs, not unused.
    const auto turn = reserve_->Turn();
    const TPPgResult open =
        connection.Exec("SELECT card_type, field, position, handed_out_at IS NOT NULL "
                        "FROM serial_claims WHERE station = $1 AND outcome IS NULL",
                        {database_.Station()});
    // By card type, field and what becomes of the values: an outcome, or
    // empty for a value on a card that never finished.
    std::map<std::tuple<std::string, std::string, std::string>, std::vector<std::string>> changes;
    std::map<TKey, TClaimHistory> histories;
    for (int row = 0; row < open.Rows(); ++row) {
        const TKey key{open.Value(row, 0).value_or(""), open.Value(row, 1).value_or("")};
        const std::uint64_t position = std::stoull(open.Value(row, 2).value_or("0"));
        const bool handedOut = open.Value(row, 3) == "t";
        if (reserve_->Holds({key.first, key.second, position})) {
            continue;
        }
        if (!histories.contains(key)) {
            histories[key] = ReadClaimHistory(own_.ClaimFile(key.first, key.second));
        }
        const auto& values = histories[key].values;
        const auto found = values.find(position);
        std::optional<std::string> change;
        if (found == values.end()) {
            change = handedOut ? std::nullopt : std::optional<std::string>("unused");
        } else if (!found->second.outcome.empty() || !handedOut) {
            change = found->second.outcome;
        }
        if (change) {
            changes[{key.first, key.second, *change}].push_back(std::to_string(position));
        }
    }
    for (const auto& [what, positions] : changes) {
        const auto& [cardType, field, outcome] = what;
        connection.Exec("UPDATE serial_claims SET outcome = NULLIF($5, ''), "
                        "spent_at = CASE WHEN $5 <> '' THEN now() END, "
                        "handed_out_at = CASE WHEN $5 = 'unused' THEN handed_out_at "
                        "ELSE coalesce(handed_out_at, now()) END "
                        "WHERE card_type = $1 AND field = $2 AND position = ANY($3::numeric[]) "
                        "AND station = $4 AND outcome IS NULL",
                        {cardType, field, PgArray(positions), database_.Station(), outcome});
    }
}

std::vector<std::pair<std::string, std::size_t>> TPBlockClaims::Held() const {
    std::vector<std::pair<std::string, std::size_t>> held;
    for (const auto& [key, block] : blocks_) {
        held.emplace_back(key.second, block.values.size());
    }
    return held;
}

} // namespace korvex
