#include "serials/pgsummary.h"

#include "serials/shareddatabase.h"

namespace korvex {

TRecordSummary SummarizeDatabase(TPSharedDatabase& database) {
    TPPgConnection& connection = database.Connection();
    TRecordSummary summary;
    const TPPgResult groups =
        connection.Exec("SELECT station, min(local_time), max(local_time), coalesce(outcome, ''), "
                        "coalesce(failing_step, ''), count(*) FROM card_records "
                        "GROUP BY station, substr(local_time, 1, 13), 4, 5");
    for (int row = 0; row < groups.Rows(); ++row) {
        const auto text = [&](int column) { return groups.Value(row, column).value_or(""); };
        AddCards(summary, {text(0), text(1), text(2), text(3), text(4), std::stoi(text(5))});
    }
    const TPPgResult lasts =
        connection.Exec("SELECT f.card_type, f.field, c.position, c.value FROM serial_fields f "
                        "JOIN serial_claims c ON c.card_type = f.card_type AND c.field = f.field "
                        "AND c.position = f.last_position ORDER BY f.card_type, f.field");
    for (int row = 0; row < lasts.Rows(); ++row) {
        const auto text = [&](int column) { return lasts.Value(row, column).value_or(""); };
        summary.serials.push_back({text(0), {text(1), std::stoull(text(2)), text(3)}});
    }
    return summary;
}

} // namespace korvex
