// What a production record cannot account for, and the local record's lines
// sent to the shared database after an outage.
#include "cli/commands/recordsrequest.h"
#include "cli/output/messageline.h"
#include "cli/session/exitcodes.h"
#include "serials/localclaims.h"
#include "serials/recordaudit.h"
#include "serials/recordoutbox.h"
#include "serials/shareddatabase.h"
#include "support/json.h"
#include "workflows/production/productionrecord.h"

#include <iostream>

namespace korvex::cli {

namespace {

std::string PlaceText(const TLinePlace& place) {
    return "card " + std::to_string(place.sequence) + " of run " + place.run + " (station " +
           place.station + ", " + place.time + ")";
}

void PrintText(const TRecordAudit& audit, bool unsent, std::ostream& out) {
    out << "Serial values claimed and never finished: " << audit.unfinished.size() << '\n';
    for (const TUnfinishedValue& value : audit.unfinished) {
        out << "  " << value.field << ' ' << value.value << " of " << value.cardType << ": "
            << value.state << ", station " << value.station << ", " << value.time << '\n';
    }
    if (unsent) {
        out << "Local lines not in the database: " << audit.unsent.size() << '\n';
        for (const TLinePlace& place : audit.unsent) {
            out << "  " << PlaceText(place) << '\n';
        }
    }
    out << "Cards recorded twice: " << audit.twice.size() << '\n';
    for (const TRecordedTwice& twice : audit.twice) {
        out << "  "
            << (twice.field.empty() ? "the same line"
                                    : twice.field + ' ' + twice.value + " of " + twice.cardType)
            << ':';
        for (std::size_t i = 0; i < twice.lines.size(); ++i) {
            out << (i == 0 ? " " : "; ") << PlaceText(twice.lines[i]);
        }
        out << '\n';
    }
}

std::string PlaceJson(const TLinePlace& place) {
    return TJsonObject()
        .Text("station", place.station)
        .Text("run", place.run)
        .Number("sequence", place.sequence)
        .Text("time", place.time)
        .Json();
}

void PrintJson(const TRecordAudit& audit, bool unsent, std::ostream& out) {
    std::vector<std::string> unfinished, lines, twice;
    for (const TUnfinishedValue& value : audit.unfinished) {
        unfinished.push_back(TJsonObject()
                                 .Text("card_type", value.cardType)
                                 .Text("field", value.field)
                                 .Text("value", value.value)
                                 .Text("station", value.station)
                                 .Text("time", value.time)
                                 .Text("state", value.state)
                                 .Json());
    }
    for (const TLinePlace& place : audit.unsent) {
        lines.push_back(PlaceJson(place));
    }
    for (const TRecordedTwice& value : audit.twice) {
        std::vector<std::string> places;
        for (const TLinePlace& place : value.lines) {
            places.push_back(PlaceJson(place));
        }
        TJsonObject item;
        if (value.field.empty()) {
            item.Null("card_type").Null("field").Null("value");
        } else {
            item.Text("card_type", value.cardType)
                .Text("field", value.field)
                .Text("value", value.value);
        }
        twice.push_back(item.Raw("lines", JsonArray(places)).Json());
    }
    TJsonObject result;
    result.Raw("unfinished", JsonArray(unfinished));
    result.Raw("unsent", unsent ? JsonArray(lines) : "null");
    out << result.Raw("twice", JsonArray(twice)).Json() << '\n';
}

// One row a finding: kind, card type, field, value, station, run,
// sequence, time, state.
void PrintCsv(const TRecordAudit& audit, std::ostream& out) {
    out << CsvLine(
        {"kind", "card type", "field", "value", "station", "run", "sequence", "time", "state"});
    for (const TUnfinishedValue& value : audit.unfinished) {
        out << CsvLine({"unfinished", value.cardType, value.field, value.value, value.station, "",
                        "", value.time, value.state});
    }
    for (const TLinePlace& place : audit.unsent) {
        out << CsvLine({"unsent", "", "", "", place.station, place.run,
                        std::to_string(place.sequence), place.time, ""});
    }
    for (const TRecordedTwice& twice : audit.twice) {
        for (const TLinePlace& place : twice.lines) {
            out << CsvLine({"twice", twice.cardType, twice.field, twice.value, place.station,
                            place.run, std::to_string(place.sequence), place.time, ""});
        }
    }
}

} // namespace

int RunRecordsSync(const TRecordsRequest& request) {
    if (request.record.empty() || request.database.empty()) {
        std::cerr << ErrorLine("records --sync needs --record FILE and --db postgresql://...")
                  << '\n';
        return kExitUsage;
    }
    const std::vector<TKeyedLine> lines = ReadKeyedRecord(request.record, RecordsStation(request));
    TPSharedDatabase database(request.database, RecordsDatabaseWait(request));
    int sent = 0;
    for (const TKeyedLine* line : TPRecordOutbox::Missing(database, lines)) {
        sent += TPRecordOutbox::SendLine(database, *line) ? 1 : 0;
    }
    std::cout << sent << " of the " << lines.size() << " card lines of " << request.record
              << " sent to the database; it held the others already.\n";
    return kExitOk;
}

int RunRecordsAudit(const TPDataFolders& folders, const TGlobalOptions& options,
                    const TRecordsRequest& request) {
    if (request.record.empty() && request.database.empty()) {
        std::cerr << ErrorLine("records --audit needs --record FILE, --db postgresql://... or "
                               "both")
                  << '\n';
        return kExitUsage;
    }
    const std::string station = RecordsStation(request);
    const std::vector<TKeyedLine> lines = request.record.empty()
                                              ? std::vector<TKeyedLine>()
                                              : ReadKeyedRecord(request.record, station);
    TRecordAudit audit;
    if (request.database.empty()) {
        // The station's own claims stand for the claims the database would hold.
        AuditOwnClaims(TPLocalSerialClaims(TPLocalSerialClaims::FolderOf(folders)), station, audit);
    } else {
        TPSharedDatabase database(request.database, RecordsDatabaseWait(request));
        AuditDatabase(database, audit);
        if (!request.record.empty()) {
            AuditUnsent(database, lines, audit);
        }
    }
    AuditLines(lines, audit);
    const bool unsent = !request.record.empty() && !request.database.empty();
    if (options.json) {
        PrintJson(audit, unsent, std::cout);
    } else if (request.csv) {
        PrintCsv(audit, std::cout);
    } else {
        PrintText(audit, unsent, std::cout);
    }
    // A report, like the summary: what it lists is the answer, not a failure.
    return kExitOk;
}

} // namespace korvex::cli
