#include "serials/postgres/pgrecordsink.h"

#include "serials/postgres/shareddatabase.h"
#include "serials/serialerrors.h"

#include <algorithm>
#include <set>

namespace korvex {

namespace {

struct TOwnColumn {
    std::string_view csv;
    std::string_view sql;
    bool number;
};

constexpr TOwnColumn kOwnColumns[] = {
    {"time", "local_time", false},
    {"sequence", "sequence", true},
    {"card type", "card_type", false},
    {"program file", "program_file", false},
    {"program sha256", "program_sha256", false},
    {"eeprom file", "eeprom_file", false},
    {"eeprom sha256", "eeprom_sha256", false},
    {"internal eeprom file", "internal_eeprom_file", false},
    {"internal eeprom sha256", "internal_eeprom_sha256", false},
    {"outcome", "outcome", false},
    {"failing step", "failing_step", false},
    {"first difference", "first_difference", false},
    {"expected", "expected", false},
    {"found", "found", false},
    {"bytes differing", "bytes_differing", true},
    {"duration ms", "duration_ms", true},
    {"firmware", "firmware", true},
    {"retries", "retries", true},
    {"recovered", "recovered", false},
    {"port", "port", false},
};

// The record's column of a serial field: "serial Serial1".
constexpr std::string_view kSerialPrefix = "serial ";

const TOwnColumn* OwnColumn(const std::string& name) {
    const auto found = std::find_if(std::begin(kOwnColumns), std::end(kOwnColumns),
                                    [&](const TOwnColumn& column) { return column.csv == name; });
    return found == std::end(kOwnColumns) ? nullptr : found;
}

} // namespace

bool InsertRecordLine(TPSharedDatabase& database, const std::string& station,
                      const std::optional<std::string>& run, const TRecordLine& line) {
    std::set<std::string> names;
    for (const TRecordColumn& column : line) {
        if (!names.insert(column.name).second) {
            throw EDatabase("A record line names the column \"" + column.name + "\" twice");
        }
    }
    std::string columns = "station, run";
    std::string values = "$1, $2";
    std::vector<std::optional<std::string>> parameters = {station, run};
    std::vector<const TRecordColumn*> others;
    std::string cardType, outcome;
    for (const TRecordColumn& column : line) {
        if (column.name == "station" || column.name == "run") {
            continue; // the key, given apart
        }
        cardType = column.name == "card type" ? column.value : cardType;
        outcome = column.name == "outcome" ? column.value : outcome;
        const TOwnColumn* own = OwnColumn(column.name);
        if (own == nullptr) {
            others.push_back(&column);
            continue;
        }
        parameters.push_back(column.value);
        const std::string parameter = "$" + std::to_string(parameters.size());
        columns += ", " + std::string(own->sql);
        values += ", " + (own->number ? "NULLIF(" + parameter + ", '')::bigint" : parameter);
    }
    TPPgConnection& connection = database.Connection();
    return connection.InTransaction([&] {
        const auto id = connection
                            .Exec("INSERT INTO card_records (" + columns + ") VALUES (" + values +
                                      ") ON CONFLICT DO NOTHING RETURNING id",
                                  parameters)
                            .Value(0, 0);
        if (!id) {
            return false;
        }
        for (std::size_t i = 0; i < others.size(); ++i) {
            connection.Exec("INSERT INTO card_record_values (record_id, column_order, name, value) "
                            "VALUES ($1, $2, $3, $4)",
                            {id, std::to_string(i + 1), others[i]->name, others[i]->value});
            // The card's values are on it: their claims get its outcome.
            if (others[i]->name.starts_with(kSerialPrefix) && !others[i]->value.empty()) {
                connection.Exec(
                    "UPDATE serial_claims SET outcome = $4, spent_at = now(), "
                    "handed_out_at = coalesce(handed_out_at, now()) WHERE card_type = $1 AND "
                    "field = $2 AND value = $3 AND station = $5 AND outcome IS NULL",
                    {cardType, others[i]->name.substr(kSerialPrefix.size()), others[i]->value,
                     outcome, station});
            }
        }
        return true;
    });
}

void TPPgRecordSink::AppendRecord(const TRecordLine& line) {
    std::optional<std::string> run;
    for (const TRecordColumn& column : line) {
        if (column.name == "run" && !column.value.empty()) {
            run = column.value;
        }
    }
    InsertRecordLine(*database_, station_, run, line);
}

} // namespace korvex
