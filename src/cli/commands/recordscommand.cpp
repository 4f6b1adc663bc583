// The summary of a production record, the station's own or the one a line's
// stations share: what a quality engineer asks first.
#include "cli/commands/commandlist.h"
#include "cli/commands/databaseoption.h"
#include "cli/commands/recordsrequest.h"
#include "cli/output/messageline.h"
#include "cli/output/summaryjson.h"
#include "cli/session/interrupts.h"
#include "serials/localclaims.h"
#include "serials/pgsummary.h"
#include "serials/recordsummary.h"
#include "serials/recordtime.h"
#include "serials/serialerrors.h"
#include "serials/shareddatabase.h"
#include "workflows/production/productionrun.h"

#include <cstdio>

namespace korvex::cli {

namespace {

std::string Percent(double share) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f %%", share * 100);
    return text;
}

// "eeprom verify 1, processor write 2"
std::string Counts(const std::map<std::string, int>& counts, const std::string& none) {
    std::string text;
    for (const auto& [name, cards] : counts) {
        text +=
            (text.empty() ? "" : ", ") + (name.empty() ? none : name) + " " + std::to_string(cards);
    }
    return text;
}

std::string Tally(const TCardTally& tally) {
    std::string line = std::to_string(tally.Cards()) +
                       (tally.Cards() == 1 ? " card: " : " cards: ") + std::to_string(tally.good) +
                       " good, " + std::to_string(tally.failed) + " failed";
    if (!tally.failingSteps.empty()) {
        line += " (" + Counts(tally.failingSteps, "no step") + ")";
    }
    if (tally.interrupted > 0) {
        line += ", " + std::to_string(tally.interrupted) + " interrupted";
    }
    if (const auto yield = tally.Yield()) {
        line += "; yield " + Percent(*yield) + ", first pass " + Percent(*tally.FirstPassYield());
    }
    return line;
}

// The tally of a station or of all, with its pace and where its cards differed.
void PrintTally(const std::string& caption, const TCardTally& tally) {
    std::cout << caption << Tally(tally);
    if (const auto pace = tally.CardsPerHour()) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", *pace);
        std::cout << "; " << text << " cards an hour";
    }
    std::cout << '\n';
    if (!tally.differences.empty()) {
        std::cout << "  first differences: " << Counts(tally.differences, "") << '\n';
    }
}

// The filter the options ask for; throws TUsage for a time that is none.
struct TUsage {
    std::string message;
};

std::optional<std::int64_t> RangeTime(const std::string& option, const std::string& text,
                                      bool dayEnd) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (const auto seconds = RangeTimeSeconds(text, dayEnd)) {
        return seconds;
    }
    throw TUsage{option + " \"" + text +
                 "\" is no time: give a date (2026-12-07) or a date and time (2026-12-07T16:00), "
                 "in local time unless +01:00 or Z follows"};
}

TRecordFilter FilterOf(const TGlobalOptions& options, const TRecordsRequest& request) {
    TRecordFilter filter;
    filter.cardType = options.card;
    filter.since = RangeTime("--since", request.since, false);
    filter.until = RangeTime("--until", request.until, true);
    if (filter.since && filter.until && *filter.until <= *filter.since) {
        throw TUsage{"--until " + request.until + " is not after --since " + request.since +
                     ": no card lies between them"};
    }
    return filter;
}

void PrintFilter(const TRecordFilter& filter) {
    std::string line;
    if (filter.since) {
        line += "from " + RangeMoment(*filter.since);
    }
    if (filter.until) {
        line += (line.empty() ? "" : " ") + std::string("until ") + RangeMoment(*filter.until);
    }
    if (!filter.cardType.empty()) {
        line += (line.empty() ? "" : ", ") + std::string("card type ") + filter.cardType;
    }
    if (!line.empty()) {
        std::cout << "Cards " << line << '\n';
    }
}

void PrintSummary(const TRecordSummary& summary) {
    PrintFilter(summary.filter);
    PrintTally("All stations: ", summary.total);
    for (const auto& [station, tally] : summary.stations) {
        PrintTally("Station " + station + ": ", tally);
        for (const auto& [hour, inHour] : summary.hours.at(station)) {
            std::cout << "  " << hour << ":00 " << Tally(inHour) << '\n';
        }
    }
    if (summary.total.Cards() == 0 &&
        (summary.filter.Ranged() || !summary.filter.cardType.empty())) {
        std::cout << "The record holds no such card"
                  << (summary.filter.Ranged() ? " in that time" : "")
                  << (summary.cardTypes.empty()
                          ? std::string()
                          : "; it holds: " + Counts(summary.cardTypes, "no card type"))
                  << '\n';
    }
    for (const TSerialLast& last : summary.serials) {
        std::cout << "Last " << last.value.field << " of " << last.cardType << ": "
                  << last.value.text << '\n';
    }
}

// What the summary left out, on stderr whatever the format.
void WarnOfGaps(const TRecordSummary& summary) {
    if (summary.undated > 0) {
        std::cerr << WarningLine(std::to_string(summary.undated) +
                                 (summary.undated == 1 ? " card was" : " cards were") +
                                 " left out of the time range, as the record's time of it cannot "
                                 "be read (a record writes 2026-12-07T16:05:09+01:00)")
                  << '\n';
    }
    for (const std::string& damage : summary.claimsDamage) {
        std::cerr << WarningLine(damage) << '\n';
    }
}

// An option of the summary given to --audit or --sync, or the other way
// round: said, rather than passed over.
std::optional<std::string> MisplacedOption(const TRecordsRequest& request) {
    if (request.sync && request.audit) {
        return "--sync and --audit go one at a time";
    }
    if ((request.sync || request.audit) && (!request.since.empty() || !request.until.empty())) {
        return "--since and --until take the cards of the summary, not of --sync or --audit";
    }
    if (request.csv && !request.audit) {
        return "--format csv is for --audit";
    }
    return std::nullopt;
}

int RunSummary(const TPDataFolders& folders, const TGlobalOptions& options,
               const TRecordsRequest& request) {
    if (request.record.empty() == request.database.empty()) {
        std::cerr << ErrorLine("records needs --record FILE or --db postgresql://...") << '\n';
        return kExitUsage;
    }
    TRecordFilter filter;
    try {
        filter = FilterOf(options, request);
    } catch (const TUsage& usage) {
        std::cerr << ErrorLine(usage.message) << '\n';
        return kExitUsage;
    }
    TRecordSummary summary;
    if (!request.database.empty()) {
        TPSharedDatabase database(request.database, RecordsDatabaseWait(request));
        summary = SummarizeDatabase(database, filter);
    } else {
        summary =
            SummarizeCsvRecord(request.record, RecordsStation(request),
                               TPLocalSerialClaims(TPLocalSerialClaims::FolderOf(folders)), filter);
    }
    if (options.json) {
        std::cout << SummaryJson(summary) << '\n';
    } else {
        PrintSummary(summary);
    }
    WarnOfGaps(summary);
    return kExitOk;
}

} // namespace

TPgWait RecordsDatabaseWait(const TRecordsRequest& request) {
    // A signal gives the wait up, as the first Ctrl-C of a run does.
    return {static_cast<int>(request.databaseWait * 1000 + 0.5),
            [] { return TInterrupts::Received() != 0; }};
}

std::string RecordsStation(const TRecordsRequest& request) {
    return request.station.empty() ? TPProductionRun::DefaultStation() : request.station;
}

namespace {

// The summary of a production record, or --sync or --audit.
class TRecordsCommand : public TCommand {
public:
    void Declare(CLI::App& app) override;

    int Run(const TPDataFolders& folders, const TGlobalOptions& options) override {
        if (const auto misplaced = MisplacedOption(request_)) {
            std::cerr << ErrorLine(*misplaced) << '\n';
            return kExitUsage;
        }
        // A database that cannot be reached is a failure, not a wrong command;
        // a connection string refused unread is the user's to mend.
        try {
            if (request_.sync) {
                return RunRecordsSync(request_);
            }
            if (request_.audit) {
                return RunRecordsAudit(folders, options, request_);
            }
            return RunSummary(folders, options, request_);
        } catch (const EDatabase& error) {
            if (dynamic_cast<const EDatabaseUri*>(&error) != nullptr) {
                throw;
            }
            std::cerr << ErrorLine(error.what()) << '\n';
            return kExitFailed;
        }
    }

private:
    TRecordsRequest request_;
};

void TRecordsCommand::Declare(CLI::App& app) {
    CLI::App* command =
        Add(app, "records",
            "Summarise a production record: cards per station and hour, good and failed, "
            "the yield, where failed cards differed, cards an hour, the last serial values; "
            "of the card type --card names only, when given");
    command->add_option("--record", request_.record, "The local CSV record");
    command
        ->add_option("--db", request_.database,
                     "The shared PostgreSQL database (postgresql://host/name)")
        ->check(DatabaseCheck());
    command->add_option("--station", request_.station,
                        "The station's name for the lines of a local record that do not "
                        "name theirs (default: the host name)");
    command->add_flag("--sync", request_.sync,
                      "With --record and --db: send the record's lines the database does "
                      "not hold, once each");
    command->add_flag("--audit", request_.audit,
                      "What the record cannot account for: serial values claimed and never "
                      "finished, local lines not in the database, values on two lines");
    command->add_option("--format", request_.csv, "With --audit: text (default) or csv")
        ->transform(
            CLI::CheckedTransformer(std::map<std::string, bool>{{"text", false}, {"csv", true}}));
    command
        ->add_option("--db-wait", request_.databaseWait,
                     "The longest any call waits for the database, in seconds (default 5)")
        ->check(CLI::Range(0.1, 600.0).description("").name("seconds, 0.1 to 600"));
    command->add_option("--since", request_.since,
                        "Only the cards from this moment on: a date (2026-12-07) or a date "
                        "and time (2026-12-07T16:00), local unless +01:00 or Z follows");
    command->add_option("--until", request_.until,
                        "Only the cards before this moment; a date alone takes that whole "
                        "day");
}

} // namespace

std::unique_ptr<TCommand> NewRecordsCommand() {
    return std::make_unique<TRecordsCommand>();
}

} // namespace korvex::cli
