#include "serials/postgres/pgclaims.h"

#include "serials/postgres/pgarray.h"
#include "serials/postgres/shareddatabase.h"
#include "serials/serialerrors.h"

#include <map>

namespace korvex {

namespace {

std::string Reached(const TPSerialSequence& sequence, std::uint64_t position) {
    return sequence.Field().source == TSerialSource::ssList
               ? "line " + std::to_string(position) + " of its list"
               : std::to_string(position);
}

// Takes up to `count` values of the field for the station, on cards at once
// (`handedOut`) or held in reserve.
TPgReservation Take(TPSharedDatabase& database, const std::string& station,
                    const TPSerialSequence& sequence, int count,
                    std::optional<std::uint64_t> stationLast, bool handedOut) {
    TPPgConnection& connection = database.Connection();
    const std::string& cardType = sequence.CardType();
    const std::string& field = sequence.Field().name;
    const std::optional<std::string> start =
        stationLast ? std::optional(std::to_string(*stationLast)) : std::nullopt;
    return connection.InTransaction([&] {
        TPgReservation taken;
        connection.Exec("INSERT INTO serial_fields (card_type, field) VALUES ($1, $2) "
                        "ON CONFLICT DO NOTHING",
                        {cardType, field});
        auto last = connection
                        .Exec("SELECT last_position FROM serial_fields "
                              "WHERE card_type = $1 AND field = $2 FOR UPDATE",
                              {cardType, field})
                        .Value(0, 0);
        // A counter the database does not have yet goes on from the station's.
        if (!last && start) {
            last = start;
            taken.startedAfter = stationLast;
        }
        std::optional<std::uint64_t> position =
            last ? std::optional(std::stoull(*last)) : std::nullopt;
        std::vector<std::string> positions, texts;
        for (int i = 0; i < count; ++i) {
            TSerialValue next;
            try {
                next = sequence.After(position);
            } catch (const ESerialsUsedUp&) {
                if (taken.values.empty()) {
                    throw;
                }
                break;
            }
            if (stationLast && next.position <= *stationLast) {
                throw EDatabase("The database " + database.Where() + " would hand out " + field +
                                " of card type " + cardType + " from " + next.text +
                                " on, but this station's own claims of it reach " +
                                Reached(sequence, *stationLast) +
                                ", which may be on cards already: give the field a First above "
                                "that, or use a database whose counter is beyond it");
            }
            position = next.position;
            positions.push_back(std::to_string(next.position));
            texts.push_back(next.text);
            taken.values.push_back(std::move(next));
        }
        connection.Exec("UPDATE serial_fields SET last_position = $3 "
                        "WHERE card_type = $1 AND field = $2",
                        {cardType, field, positions.back()});
        connection.Exec("INSERT INTO serial_claims (card_type, field, position, value, station, "
                        "handed_out_at) SELECT $1, $2, unnest($3::numeric[]), unnest($4::text[]), "
                        "$5, CASE WHEN $6 THEN now() END",
                        {cardType, field, PgArray(positions), PgArray(texts), station,
                         handedOut ? "true" : "false"});
        return taken;
    });
}

} // namespace

TSerialValue TPPgSerialClaims::Claim(const TPSerialSequence& sequence) {
    return Take(*database_, station_, sequence, 1, std::nullopt, true).values.front();
}

TPgReservation TPPgSerialClaims::Reserve(const TPSerialSequence& sequence, int count,
                                         std::optional<std::uint64_t> stationLast) {
    return Take(*database_, station_, sequence, count, stationLast, false);
}

void TPPgSerialClaims::Spend(const TPSerialSequence& sequence, const TSerialValue& value,
                             std::string_view outcome) {
    const TPPgResult result = database_->Connection().Exec(
        "UPDATE serial_claims SET outcome = $4, spent_at = now(), "
        "handed_out_at = coalesce(handed_out_at, now()) "
        "WHERE card_type = $1 AND field = $2 AND position = $3 AND station = $5 "
        "AND outcome IS NULL",
        {sequence.CardType(), value.field, std::to_string(value.position), std::string(outcome),
         station_});
    if (result.Changed() != 1) {
        throw EDatabase("The database " + database_->Where() + " holds no open claim of " +
                        value.field + " value " + value.text + " of card type " +
                        sequence.CardType() + " by station " + station_);
    }
}

void TPPgSerialClaims::ReleaseUnused(const std::string& cardType,
                                     const std::vector<TSerialValue>& values) {
    std::map<std::string, std::vector<std::string>> byField;
    for (const TSerialValue& value : values) {
        byField[value.field].push_back(std::to_string(value.position));
    }
    TPPgConnection& connection = database_->Connection();
    for (const auto& [field, positions] : byField) {
        connection.Exec("UPDATE serial_claims SET outcome = 'unused', spent_at = now() "
                        "WHERE card_type = $1 AND field = $2 AND position = ANY($3::numeric[]) "
                        "AND station = $4 AND outcome IS NULL AND handed_out_at IS NULL",
                        {cardType, field, PgArray(positions), station_});
    }
}

} // namespace korvex
