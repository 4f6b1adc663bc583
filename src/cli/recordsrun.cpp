// The summary of a production record, the station's own or the one a line's
// stations share.
#include "cli/cardrun.h"
#include "cli/commands.h"
#include "cli/messageline.h"
#include "serials/localclaims.h"
#include "serials/pgsummary.h"
#include "serials/recordsummary.h"
#include "serials/shareddatabase.h"
#include "workflows/productionrun.h"

namespace korvex::cli {

namespace {

std::string Tally(const TCardTally& tally) {
    std::string line = std::to_string(tally.Cards()) +
                       (tally.Cards() == 1 ? " card: " : " cards: ") + std::to_string(tally.good) +
                       " good, " + std::to_string(tally.failed) + " failed";
    if (tally.interrupted > 0) {
        line += ", " + std::to_string(tally.interrupted) + " interrupted";
    }
    std::string steps;
    for (const auto& [step, cards] : tally.failingSteps) {
        steps += (steps.empty() ? "" : ", ") + (step.empty() ? "no step" : step) + " " +
                 std::to_string(cards);
    }
    return steps.empty() ? line : line + " (" + steps + ")";
}

} // namespace

int RunRecords(const TPDataFolders& folders, const TGlobalOptions& options,
               const TRecordsRequest& request) {
    if (request.sync) {
        return RunRecordsSync(request);
    }
    if (request.audit) {
        return RunRecordsAudit(folders, options, request);
    }
    if (request.record.empty() == request.database.empty()) {
        std::cerr << ErrorLine("records needs --record FILE or --db postgresql://...") << '\n';
        return kExitUsage;
    }
    TRecordSummary summary;
    if (!request.database.empty()) {
        TPSharedDatabase database(request.database);
        summary = SummarizeDatabase(database);
    } else {
        const std::string station =
            request.station.empty() ? TPProductionRun::DefaultStation() : request.station;
        summary = SummarizeCsvRecord(request.record, station,
                                     TPLocalSerialClaims(TPLocalSerialClaims::FolderOf(folders)));
    }
    std::cout << "All stations: " << Tally(summary.total) << '\n';
    for (const auto& [station, tally] : summary.stations) {
        std::cout << "Station " << station << ": " << Tally(tally) << '\n';
        for (const auto& [hour, inHour] : summary.hours[station]) {
            std::cout << "  " << hour << ":00 " << Tally(inHour) << '\n';
        }
    }
    for (const TSerialLast& last : summary.serials) {
        std::cout << "Last " << last.value.field << " of " << last.cardType << ": "
                  << last.value.text << '\n';
    }
    return kExitOk;
}

} // namespace korvex::cli
