#include "cli/commands/commandlist.h"
#include "cli/commands/databaseoption.h"
#include "cli/production/autoprepare.h"
#include "cli/production/gangrun.h"
#include "cli/production/watchrun.h"
#include "cli/session/commandfiles.h"
#include "cli/session/destinations.h"

#include <limits>

namespace korvex::cli {

namespace {

// The production sequence on one card (EEPROM, processor, configuration
// word or lock), or with --watch the production line: every card put in,
// on one programmer or on each --port given.
class TAutoCommand : public TSessionCommand {
public:
    TAutoCommand() : TSessionCommand(true) {}

    void Declare(CLI::App& app) override {
        CLI::App* command =
            Add(app, "auto",
                "Program a card completely: EEPROM, processor, configuration word or lock");
        command->add_option("--pic", request_.pic, "Program file");
        command->add_option("--eeprom", request_.eeprom, "External EEPROM file");
        command->add_option("--int-eeprom", request_.intEeprom, "AVR kinds: internal EEPROM file");
        DeclareProductionLine(*command);
    }

    std::string UsageProblem(const TGlobalOptions& options) const override {
        if ((databaseWait_->count() > 0 || reserve_->count() > 0) && request_.database.empty()) {
            return "--db-wait and --reserve belong to a run with --db";
        }
        return TSessionCommand::UsageProblem(options);
    }

    bool DrivesSeveralProgrammers() const override { return request_.watch; }

    int Run(const TPDataFolders& folders, const TGlobalOptions& options) override {
        if (request_.watch && options.ports.size() > 1) {
            return RunGang(folders, options, request_);
        }
        return TSessionCommand::Run(folders, options);
    }

private:
    void DeclareProductionLine(CLI::App& command);

    std::string ResultName() const override { return request_.watch ? "auto --watch" : "auto"; }

    int RunOn(TCardSession& session, const TGlobalOptions& options) override {
        if (!AutoDestinationsUsable(session, options, request_)) {
            return kExitFailed;
        }
        if (const int code = PrepareAuto(session, request_); code != kExitOk) {
            return code;
        }
        if (request_.watch) {
            // Said once, when the run goes ahead.
            return RunWatch(session, request_, WritesProcessor(session, true));
        }
        // Said only when the card is about to be written.
        if (WritesProcessor(session, true)) {
            session.Work().OnGoingAhead([&session] { session.TellConfigWord(); });
        }
        return ExitCodeOf(session.Run(TCardCommand::ccAutoProgram));
    }

    TAutoRequest request_;
    // Given only with --db: told apart from their defaults by their count.
    CLI::Option* databaseWait_ = nullptr;
    CLI::Option* reserve_ = nullptr;
};

void TAutoCommand::DeclareProductionLine(CLI::App& command) {
    auto* watch = command.add_flag(
        "--watch", request_.watch,
        "Production line: program each card as it is put in, one line per card, until "
        "--count cards or Ctrl-C (which ends after the card in hand); exit 0 when every "
        "card was good");
    command.add_option("--count", request_.count, "With --watch: stop after N cards")
        ->check(CLI::Range(1, std::numeric_limits<int>::max())
                    .description("")
                    .name("a number of cards, 1 or more"))
        ->needs(watch);
    command
        .add_option("--db", request_.database,
                    "With --watch: a PostgreSQL database the stations of a line share "
                    "(postgresql://host/name), for the serial values and every card's record "
                    "line; the password comes from ~/.pgpass, PGPASSFILE or PGPASSWORD")
        ->check(DatabaseCheck())
        ->needs(watch);
    command
        .add_option("--station", request_.station,
                    "With --db: this station's name in the shared record (default: the host name)")
        ->needs(watch);
    command
        .add_option("--record", request_.record,
                    "With --watch: append one CSV line per card to FILE (made with a header "
                    "line when new); with --db, the lines wait there while the database is away")
        ->needs(watch);
    databaseWait_ =
        command
            .add_option("--db-wait", request_.databaseWait,
                        "With --db: the longest any call waits for the database, in seconds "
                        "(default 5)")
            ->check(CLI::Range(0.1, 600.0).description("").name("seconds, 0.1 to 600"));
    reserve_ = command
                   .add_option("--reserve", request_.reserve,
                               "With --db: the serial values of a field the station takes ahead, "
                               "to go on through an outage (default 16)")
                   ->check(CLI::Range(1, korvex::TPBlockClaims::kMostBlock)
                               .description("")
                               .name("a number of values, 1 to 1000"));
}

} // namespace

std::unique_ptr<TCommand> NewAutoCommand() {
    return std::make_unique<TAutoCommand>();
}

} // namespace korvex::cli
