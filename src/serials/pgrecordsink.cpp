#include "serials/pgrecordsink.h"

#include "serials/serialerrors.h"
#include "serials/shareddatabase.h"

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
};

const TOwnColumn* OwnColumn(const std::string& name) {
    const auto found = std::find_if(std::begin(kOwnColumns), std::end(kOwnColumns),
                                    [&](const TOwnColumn& column) { return column.csv == name; });
    return found == std::end(kOwnColumns) ? nullptr : found;
}

} // namespace

void TPPgRecordSink::AppendRecord(const TRecordLine& line) {
    std::set<std::string> names;
    for (const TRecordColumn& column : line) {
        if (!names.insert(column.name).second) {
            throw EDatabase("A record line names the column \"" + column.name + "\" twice");
        }
    }
    std::string columns = "station";
    std::string values = "$1";
    std::vector<std::optional<std::string>> parameters = {station_};
    std::vector<const TRecordColumn*> others;
    for (const TRecordColumn& column : line) {
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
    TPPgConnection& connection = database_->Connection();
    connection.InTransaction([&] {
        const auto id = connection
                            .Exec("INSERT INTO card_records (" + columns + ") VALUES (" + values +
                                      ") RETURNING id",
                                  parameters)
                            .Value(0, 0);
        for (std::size_t i = 0; i < others.size(); ++i) {
            connection.Exec("INSERT INTO card_record_values (record_id, column_order, name, value) "
                            "VALUES ($1, $2, $3, $4)",
                            {id, std::to_string(i + 1), others[i]->name, others[i]->value});
        }
    });
}

} // namespace korvex
