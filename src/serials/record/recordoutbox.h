#pragma once

#include "serials/record/recordsink.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

class TPSharedDatabase;

// A line of a local production record with the key it has in the shared
// database: the station, the run and the card's sequence in the run.
struct TKeyedLine {
    std::string station;
    std::string run;
    int sequence = 0;
    TRecordLine columns; // as the record holds them, by the header's names
};

// The lines of a local CSV production record, in order, each with its key:
// the station and run columns where the line has them. A record an earlier
// version made has neither: its lines are the station's, named `station`,
// and a run is named by the time of its first card (a run starts where the
// sequence does not go on by one), so the same line always gets the same
// key. Nothing for a file that does not exist or is empty. Throws
// EInOutError naming the file when it cannot be read or is no record.
std::vector<TKeyedLine> ReadKeyedRecord(const std::filesystem::path& file,
                                        const std::string& station);
// The same of the record's text; throws std::invalid_argument saying why it
// is no record.
std::vector<TKeyedLine> KeyedLinesOf(std::string_view text, const std::string& station);

// The local record as the outbox of the shared database: every line goes
// there once. Each line is one transaction, which also gives the claims of
// the line's serial values the card's outcome; a line the database holds
// already is left as it is.
class TPRecordOutbox {
public:
    TPRecordOutbox(std::filesystem::path record, std::string station)
        : record_(std::move(record)), station_(std::move(station)) {}

    // Sends the lines of the record the database does not hold, those after
    // the last line known to be there first asked for, once. Returns how
    // many were sent. Throws EDatabase (what was sent stays sent) or
    // EInOutError for a record that cannot be read.
    int Send(TPSharedDatabase& database);

    // The lines of `lines` that the database does not hold.
    static std::vector<const TKeyedLine*> Missing(TPSharedDatabase& database,
                                                  const std::vector<TKeyedLine>& lines);
    // Sends one line; false when the database held it already.
    static bool SendLine(TPSharedDatabase& database, const TKeyedLine& line);

private:
    std::filesystem::path record_;
    std::string station_;
    // The record's first lines that the database is known to hold.
    std::size_t known_ = 0;
    bool asked_ = false;
};

} // namespace korvex
