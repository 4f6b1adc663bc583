#pragma once

#include "serials/record/recordoutbox.h"

#include <string>
#include <vector>

namespace korvex {

class TPLocalSerialClaims;
class TPSharedDatabase;

// A serial value that is on no good card: claimed and never finished.
struct TUnfinishedValue {
    std::string cardType;
    std::string field;
    std::string value;
    std::string station;
    std::string time;
    // "cut off" (handed out to a card that never finished), "failed",
    // "interrupted", "unused" (no card got it) or "reserved" (a station
    // holds it for its next cards).
    std::string state;
};

// Where a record line is: its key, and the card's time.
struct TLinePlace {
    std::string station;
    std::string run;
    int sequence = 0;
    std::string time;
};

// A serial value on more than one line, or a line kept twice.
struct TRecordedTwice {
    std::string cardType;
    std::string field; // empty for a line whose key comes twice
    std::string value;
    std::vector<TLinePlace> lines;
};

// What a production record cannot account for.
struct TRecordAudit {
    std::vector<TUnfinishedValue> unfinished;
    std::vector<TLinePlace> unsent; // local lines the database does not hold
    std::vector<TRecordedTwice> twice;
};

// The shared database's values claimed and never finished, and its values
// on more than one line. Throws EDatabase.
void AuditDatabase(TPSharedDatabase& database, TRecordAudit& audit);

// The station's own claims (`station` names it) never finished. Throws
// EInOutError.
void AuditOwnClaims(const TPLocalSerialClaims& claims, const std::string& station,
                    TRecordAudit& audit);

// The record's values on more than one line, and lines whose key comes
// twice; a value the audit names already is not named again.
void AuditLines(const std::vector<TKeyedLine>& lines, TRecordAudit& audit);

// The record's lines the database does not hold. Throws EDatabase.
void AuditUnsent(TPSharedDatabase& database, const std::vector<TKeyedLine>& lines,
                 TRecordAudit& audit);

} // namespace korvex
