#include "serials/postgres/shareddatabase.h"

#include "serials/serialerrors.h"

namespace korvex {

namespace {

// Any number that no other program takes for its lock: stations starting at
// the same moment make the schema one after the other.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(4711021)";

constexpr const char* kSchema = R"sql(
CREATE TABLE korvex_schema (version integer NOT NULL);
CREATE TABLE serial_fields (
    card_type text NOT NULL,
    field text NOT NULL,
    last_position numeric(20, 0),
    PRIMARY KEY (card_type, field)
);
CREATE TABLE serial_claims (
    card_type text NOT NULL,
    field text NOT NULL,
    position numeric(20, 0) NOT NULL,
    value text NOT NULL,
    station text NOT NULL,
    claimed_at timestamptz NOT NULL DEFAULT now(),
    outcome text,
    spent_at timestamptz,
    PRIMARY KEY (card_type, field, position),
    UNIQUE (card_type, field, value)
);
CREATE TABLE card_records (
    id bigserial PRIMARY KEY,
    station text NOT NULL,
    recorded_at timestamptz NOT NULL DEFAULT now(),
    local_time text,
    sequence integer,
    card_type text,
    program_file text,
    program_sha256 text,
    eeprom_file text,
    eeprom_sha256 text,
    internal_eeprom_file text,
    internal_eeprom_sha256 text,
    outcome text,
    failing_step text,
    first_difference text,
    expected text,
    found text,
    bytes_differing integer,
    duration_ms bigint,
    firmware integer,
    retries integer
);
CREATE INDEX card_records_station_time ON card_records (station, local_time);
CREATE TABLE card_record_values (
    record_id bigint NOT NULL REFERENCES card_records (id),
    column_order integer NOT NULL,
    name text NOT NULL,
    value text NOT NULL,
    PRIMARY KEY (record_id, name)
);
)sql";

// Version 2: a value handed out in a block a station reserves ahead is on a
// card only once the station says so; a record line has a key of its own
// (station, run, sequence), so a line sent again is never kept twice.
constexpr const char* kUpgradeTo2 = R"sql(
ALTER TABLE serial_claims ADD COLUMN handed_out_at timestamptz;
UPDATE serial_claims SET handed_out_at = claimed_at;
CREATE INDEX serial_claims_open ON serial_claims (station) WHERE outcome IS NULL;
ALTER TABLE card_records ADD COLUMN run text, ADD COLUMN recovered text;
CREATE UNIQUE INDEX card_records_key ON card_records (station, run, sequence);
UPDATE korvex_schema SET version = 2;
)sql";

// Version 3: a station drives several programmers, and a line names the
// port of the card's.
constexpr const char* kUpgradeTo3 = R"sql(
ALTER TABLE card_records ADD COLUMN port text;
UPDATE korvex_schema SET version = 3;
)sql";

} // namespace

TPSharedDatabase::TPSharedDatabase(const std::string& uri, TPgWait wait)
    : connection_(uri, std::move(wait)) {
    connection_.InTransaction([this] {
        connection_.Exec(kSchemaLock);
        const bool exists =
            connection_.Exec("SELECT to_regclass('korvex_schema') IS NOT NULL").Value(0, 0) == "t";
        if (!exists) {
            connection_.Exec(kSchema);
            connection_.Exec("INSERT INTO korvex_schema (version) VALUES (1)");
        }
        auto version = connection_.Exec("SELECT max(version) FROM korvex_schema").Value(0, 0);
        if (version == "1") {
            connection_.Exec(kUpgradeTo2);
            version = "2";
        }
        if (version == "2") {
            connection_.Exec(kUpgradeTo3);
            version = "3";
        }
        if (!version || std::stoi(*version) != kSchemaVersion) {
            const std::string found = version ? "version " + *version : "no version";
            throw EDatabase("The database " + Where() + " holds Korvex tables of schema " + found +
                            ", and this program knows schema version " +
                            std::to_string(kSchemaVersion) +
                            (version && std::stoi(*version) > kSchemaVersion
                                 ? ": use a newer Korvex on every station"
                                 : ": name another database"));
        }
    });
}

} // namespace korvex
