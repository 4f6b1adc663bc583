#pragma once

#include "serials/postgres/pgconnection.h"

#include <string>

namespace korvex {

// The database that the stations of a production line share: the serial
// claims and every card's record line. Opening it makes its tables when they
// are missing, so an empty database is all there is to set up.
//
// Schema version 2 (a database of version 1 is brought up to it):
//   korvex_schema (version)                          one row
//   serial_fields (card_type, field, last_position)  the last value handed out
//   serial_claims (card_type, field, position, value, station, claimed_at,
//                  outcome, spent_at, handed_out_at)  one row a value a station
//                                                    took; handed_out_at empty
//                                                    while it only holds it
//                                                    in reserve
//   card_records (id, station, recorded_at, local_time, sequence, card_type,
//                 ... one column per column of the CSV record ..., firmware,
//                 run, recovered, port)              unique by station, run
//                                                    and sequence
//   card_record_values (record_id, column_order, name, value)
//                                                    the columns a record line has
//                                                    beyond those, e.g. serial values
class TPSharedDatabase {
public:
    static constexpr int kSchemaVersion = 3;

    // Connects (see TPPgConnection) and makes the schema when it is missing.
    // Throws EDatabase when the database holds a newer schema than this
    // program knows, saying so, or when it cannot be reached.
    explicit TPSharedDatabase(const std::string& uri, TPgWait wait = {});

    TPPgConnection& Connection() { return connection_; }
    const std::string& Where() const { return connection_.Where(); }

private:
    TPPgConnection connection_;
};

} // namespace korvex
