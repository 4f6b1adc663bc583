#pragma once

#include "cli/session/globaloptions.h"
#include "serials/pgwait.h"
#include "support/datafolders.h"

#include <string>

namespace korvex::cli {

// What records is asked for: the summary of the local record (--record) or
// of the shared one (--db), cards per station and per hour, good and failed
// with the failing steps, the yield at the end and at the first pass, where
// failed cards first differed, cards an hour, the last value of each serial
// field; of the cards from `since` until `until` and of the tool's --card
// only, when given. Or, instead of the summary, --sync or --audit.
struct TRecordsRequest {
    std::string record;
    std::string database;
    std::string station;
    double databaseWait = TPgWait::kDefaultLimitMs / 1000.0; // seconds
    // Send the record's lines the database does not hold.
    bool sync = false;
    // What the record cannot account for, instead of the summary.
    bool audit = false;
    bool csv = false;         // the audit as CSV
    std::string since, until; // as RangeTimeSeconds reads them; empty: no bound
};

// Every wait of records for the database bounded by --db-wait, and given up
// at a signal; the station of a local record's lines that name none.
TPgWait RecordsDatabaseWait(const TRecordsRequest& request);
std::string RecordsStation(const TRecordsRequest& request);
// records --sync: the record's lines the database does not hold, sent.
int RunRecordsSync(const TRecordsRequest& request);
// records --audit: what the record cannot account for.
int RunRecordsAudit(const TPDataFolders& folders, const TGlobalOptions& options,
                    const TRecordsRequest& request);

} // namespace korvex::cli
