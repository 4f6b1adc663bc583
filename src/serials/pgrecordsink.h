#pragma once

#include "serials/recordsink.h"

#include <memory>
#include <string>

namespace korvex {

class TPSharedDatabase;

// Record lines into the shared database's card_records, with the station's
// name: the columns of the CSV record each in a column of their own (an
// empty number as NULL), any other column as a row of card_record_values.
// Each line is one transaction.
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
