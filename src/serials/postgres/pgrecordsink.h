#pragma once

#include "serials/record/recordsink.h"

#include <memory>
#include <optional>
#include <string>

namespace korvex {

class TPSharedDatabase;

// Keeps the line in card_records under `station` and `run` (with the line's
// sequence, its key; a line without a run has no key), in one transaction
// with the outcome of the claims of its serial values. The columns of the
// CSV record go each in a column of its own (an empty number as NULL), any
// other as a row of card_record_values. False, changing nothing, when the
// database holds a line of that key already.
bool InsertRecordLine(TPSharedDatabase& database, const std::string& station,
                      const std::optional<std::string>& run, const TRecordLine& line);

// Record lines into the shared database's card_records, with the station's
// name, as InsertRecordLine keeps them; the line's run column is its run.
class TPPgRecordSink : public TRecordSink {
public:
    TPPgRecordSink(std::shared_ptr<TPSharedDatabase> database, std::string station)
        : database_(std::move(database)), station_(std::move(station)) {}

    void AppendRecord(const TRecordLine& line) override;

private:
    std::shared_ptr<TPSharedDatabase> database_;
    std::string station_;
};

} // namespace korvex
