#pragma once

#include "serials/record/recordsummary.h"

namespace korvex {

class TPSharedDatabase;

// The summary of the shared record by the filter: every station's cards,
// counted by the database as SummarizeCsvText counts a local record (one
// record gives one summary, whichever of the two holds it), and the last
// value of every serial field claimed there. Throws EDatabase.
TRecordSummary SummarizeDatabase(TPSharedDatabase& database, const TRecordFilter& filter = {});

} // namespace korvex
