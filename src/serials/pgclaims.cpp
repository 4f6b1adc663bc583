#include "serials/pgclaims.h"

#include "serials/serialerrors.h"
#include "serials/shareddatabase.h"

namespace korvex {

TSerialValue TPPgSerialClaims::Claim(const TPSerialSequence& sequence) {
    TPPgConnection& connection = database_->Connection();
    const std::string& cardType = sequence.CardType();
    const std::string& field = sequence.Field().name;
    return connection.InTransaction([&] {
        connection.Exec("INSERT INTO serial_fields (card_type, field) VALUES ($1, $2) "
                        "ON CONFLICT DO NOTHING",
                        {cardType, field});
        const auto last = connection
                              .Exec("SELECT last_position FROM serial_fields "
                                    "WHERE card_type = $1 AND field = $2 FOR UPDATE",
                                    {cardType, field})
                              .Value(0, 0);
        const TSerialValue next =
            sequence.After(last ? std::optional(std::stoull(*last)) : std::nullopt);
        const std::string position = std::to_string(next.position);
        connection.Exec("UPDATE serial_fields SET last_position = $3 "
                        "WHERE card_type = $1 AND field = $2",
                        {cardType, field, position});
        connection.Exec("INSERT INTO serial_claims (card_type, field, position, value, station) "
                        "VALUES ($1, $2, $3, $4, $5)",
                        {cardType, field, position, next.text, station_});
        return next;
    });
}

void TPPgSerialClaims::Spend(const TPSerialSequence& sequence, const TSerialValue& value,
                             std::string_view outcome) {
    const TPPgResult result = database_->Connection().Exec(
        "UPDATE serial_claims SET outcome = $4, spent_at = now() "
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

} // namespace korvex
