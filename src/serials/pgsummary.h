#pragma once

#include "serials/recordsummary.h"

namespace korvex {

class TPSharedDatabase;

// The summary of the shared record: every station's cards, counted by the
// database, and the last value of every serial field claimed there. Throws
// EDatabase.
TRecordSummary SummarizeDatabase(TPSharedDatabase& database);

} // namespace korvex
