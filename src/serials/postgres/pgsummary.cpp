#include "serials/postgres/pgsummary.h"

#include "serials/postgres/shareddatabase.h"
#include "serials/record/recordtime.h"
#include "support/textconv.h"

namespace korvex {

namespace {

// Of the card type ($1), in any letter case of ASCII, as SameTextAscii.
constexpr const char* kOfCardType =
    "($1::text IS NULL OR lower(card_type COLLATE \"C\") = lower($1::text COLLATE \"C\"))";

// Every card with its time in seconds, whether it is of the card type, and
// its working time (CardWorkMs, the lag over all of a station's cards,
// whatever the filter takes), then those of the time range ($2, $3), as
// SummarizeCsvText takes them.
std::string RangedCards() {
    return "WITH timed AS (SELECT id, station, coalesce(local_time, '') AS local_time, card_type, "
           "outcome, failing_step, first_difference, retries, "
           "greatest(coalesce(duration_ms, 0), 0) AS duration_ms, " +
           std::string(kOfCardType) + " AS of_type, " + RecordTimeSql("local_time") +
           " AS at FROM card_records), "
           "worked AS (SELECT *, CASE WHEN at IS NOT NULL AND previous IS NOT NULL AND "
           "(at - previous) * 1000 BETWEEN 0 AND duration_ms + $4::bigint "
           "THEN (at - previous) * 1000 ELSE duration_ms END AS work_ms FROM "
           "(SELECT *, lag(at) OVER (PARTITION BY station ORDER BY at, id) AS previous "
           "FROM timed) t), "
           "ranged AS (SELECT * FROM worked WHERE ($2::bigint IS NULL OR at >= $2::bigint) AND "
           "($3::bigint IS NULL OR at < $3::bigint)) ";
}

std::optional<std::string> Text(const std::optional<std::int64_t>& number) {
    return number ? std::optional(std::to_string(*number)) : std::nullopt;
}

} // namespace

TRecordSummary SummarizeDatabase(TPSharedDatabase& database, const TRecordFilter& filter) {
    TPPgConnection& connection = database.Connection();
    const std::vector<std::optional<std::string>> parameters = {
        filter.cardType.empty() ? std::nullopt : std::optional(filter.cardType), Text(filter.since),
        Text(filter.until), std::to_string(kPauseMs)};
    TRecordSummary summary;
    summary.filter = filter;
    const TPPgResult groups = connection.Exec(
        RangedCards() +
            "SELECT station, min(local_time COLLATE \"C\"), max(local_time COLLATE \"C\"), "
            "coalesce(outcome, ''), coalesce(failing_step, ''), coalesce(first_difference, ''), "
            "coalesce(retries, 0) = 0, count(*), sum(work_ms) FROM ranged WHERE of_type "
            "GROUP BY station, substr(local_time, 1, 13), 4, 5, 6, 7",
        parameters);
    for (int row = 0; row < groups.Rows(); ++row) {
        const auto text = [&](int column) { return groups.Value(row, column).value_or(""); };
        AddCards(summary, {text(0), text(1), text(2), text(3), text(4), text(5), text(6) == "t",
                           std::stoi(text(7)), std::stoll(text(8))});
    }
    const TPPgResult types = connection.Exec(
        RangedCards() + "SELECT coalesce(card_type, ''), count(*) FROM ranged GROUP BY 1",
        parameters);
    for (int row = 0; row < types.Rows(); ++row) {
        summary.cardTypes[types.Value(row, 0).value_or("")] = std::stoi(*types.Value(row, 1));
    }
    if (filter.Ranged()) {
        summary.undated =
            std::stoi(*connection
                           .Exec(RangedCards() + "SELECT count(*) FROM timed WHERE at IS NULL "
                                                 "AND of_type",
                                 parameters)
                           .Value(0, 0));
    }
    const TPPgResult lasts =
        connection.Exec("SELECT f.card_type, f.field, c.position, c.value FROM serial_fields f "
                        "JOIN serial_claims c ON c.card_type = f.card_type AND c.field = f.field "
                        "AND c.position = f.last_position ORDER BY f.card_type, f.field");
    for (int row = 0; row < lasts.Rows(); ++row) {
        const auto text = [&](int column) { return lasts.Value(row, column).value_or(""); };
        if (filter.cardType.empty() || SameTextAscii(text(0), filter.cardType)) {
            summary.serials.push_back({text(0), {text(1), std::stoull(text(2)), text(3)}});
        }
    }
    return summary;
}

} // namespace korvex
