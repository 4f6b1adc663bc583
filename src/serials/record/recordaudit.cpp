#include "serials/record/recordaudit.h"

#include "serials/claims/claimhistory.h"
#include "serials/claims/localclaims.h"
#include "serials/postgres/shareddatabase.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace korvex {

namespace {

constexpr std::string_view kSerialPrefix = "serial ";

std::string ValueOf(const TRecordLine& line, std::string_view name) {
    const auto found = std::find_if(
        line.begin(), line.end(), [&](const TRecordColumn& column) { return column.name == name; });
    return found == line.end() ? std::string() : found->value;
}

// A value no good card holds: its claim's state, or nothing for a good one.
std::optional<std::string> StateOf(const std::string& outcome) {
    if (outcome == "good") {
        return std::nullopt;
    }
    return outcome.empty() ? std::string("cut off") : outcome;
}

} // namespace

void AuditDatabase(TPSharedDatabase& database, TRecordAudit& audit) {
    TPPgConnection& connection = database.Connection();
    const TPPgResult open = connection.Exec(
        "SELECT card_type, field, value, station, "
        "to_char(coalesce(spent_at, handed_out_at, claimed_at) AT TIME ZONE 'UTC', "
        "'YYYY-MM-DD\"T\"HH24:MI:SS\"Z\"'), "
        "coalesce(outcome, CASE WHEN handed_out_at IS NULL THEN 'reserved' ELSE 'cut off' END) "
        "FROM serial_claims WHERE outcome IS DISTINCT FROM 'good' "
        "ORDER BY card_type, field, position");
    for (int row = 0; row < open.Rows(); ++row) {
        const auto text = [&](int column) { return open.Value(row, column).value_or(""); };
        audit.unfinished.push_back({text(0), text(1), text(2), text(3), text(4), text(5)});
    }
    const TPPgResult twice = connection.Exec(
        "SELECT r.card_type, substr(v.name, 8), v.value, r.station, coalesce(r.run, ''), "
        "coalesce(r.sequence, 0), coalesce(r.local_time, '') "
        "FROM card_records r JOIN card_record_values v ON v.record_id = r.id "
        "WHERE v.name LIKE 'serial %' AND v.value <> '' AND (r.card_type, v.name, v.value) IN "
        "(SELECT r2.card_type, v2.name, v2.value FROM card_records r2 JOIN card_record_values v2 "
        "ON v2.record_id = r2.id WHERE v2.name LIKE 'serial %' AND v2.value <> '' "
        "GROUP BY 1, 2, 3 HAVING count(*) > 1) ORDER BY 1, 2, 3, r.id");
    for (int row = 0; row < twice.Rows(); ++row) {
        const auto text = [&](int column) { return twice.Value(row, column).value_or(""); };
        if (audit.twice.empty() || audit.twice.back().cardType != text(0) ||
            audit.twice.back().field != text(1) || audit.twice.back().value != text(2)) {
            audit.twice.push_back({text(0), text(1), text(2), {}});
        }
        audit.twice.back().lines.push_back({text(3), text(4), std::stoi(text(5)), text(6)});
    }
}

void AuditOwnClaims(const TPLocalSerialClaims& claims, const std::string& station,
                    TRecordAudit& audit) {
    std::error_code error;
    for (const auto& cardFolder : std::filesystem::directory_iterator(claims.Folder(), error)) {
        std::error_code inner;
        for (const auto& entry : std::filesystem::directory_iterator(cardFolder.path(), inner)) {
            if (entry.path().extension() != ".claims") {
                continue;
            }
            const std::string cardType = cardFolder.path().filename().string();
            const std::string field = entry.path().stem().string();
            for (const auto& [position, value] : ReadClaimHistory(entry.path()).values) {
                if (const auto state = StateOf(value.outcome)) {
                    audit.unfinished.push_back(
                        {cardType, field, value.text, station, value.time, *state});
                }
            }
        }
    }
}

void AuditLines(const std::vector<TKeyedLine>& lines, TRecordAudit& audit) {
    // By key (station, run, sequence), and by card type, field and value.
    using TTriple = std::tuple<std::string, std::string, std::string>;
    std::map<TTriple, std::vector<TLinePlace>> keys, values;
    for (const TKeyedLine& line : lines) {
        const TLinePlace place{line.station, line.run, line.sequence,
                               ValueOf(line.columns, "time")};
        const std::string cardType = ValueOf(line.columns, "card type");
        keys[{line.station, line.run, std::to_string(line.sequence)}].push_back(place);
        for (const TRecordColumn& column : line.columns) {
            if (column.name.starts_with(kSerialPrefix) && !column.value.empty()) {
                values[{cardType, column.name.substr(kSerialPrefix.size()), column.value}]
                    .push_back(place);
            }
        }
    }
    for (auto& [key, places] : keys) {
        if (places.size() > 1) {
            audit.twice.push_back({"", "", "", std::move(places)});
        }
    }
    const auto named = [&](const TTriple& value) {
        return std::any_of(
            audit.twice.begin(), audit.twice.end(), [&](const TRecordedTwice& twice) {
                return std::tie(twice.cardType, twice.field, twice.value) ==
                       std::tie(std::get<0>(value), std::get<1>(value), std::get<2>(value));
            });
    };
    for (auto& [value, places] : values) {
        if (places.size() > 1 && !named(value)) {
            audit.twice.push_back(
                {std::get<0>(value), std::get<1>(value), std::get<2>(value), std::move(places)});
        }
    }
}

void AuditUnsent(TPSharedDatabase& database, const std::vector<TKeyedLine>& lines,
                 TRecordAudit& audit) {
    for (const TKeyedLine* line : TPRecordOutbox::Missing(database, lines)) {
        audit.unsent.push_back(
            {line->station, line->run, line->sequence, ValueOf(line->columns, "time")});
    }
}

} // namespace korvex
