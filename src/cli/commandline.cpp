#include "cli/commandline.h"

#include "serials/blockclaims.h"
#include "serials/pgconnection.h"
#include "serials/serialerrors.h"

#include <limits>
#include <map>

namespace korvex::cli {

namespace {

// "flash" is what the AVR messages call the processor's memory.
void AddMemory(CLI::App* command, std::string& memory) {
    command
        ->add_option("MEMORY", memory,
                     "pic or flash (the processor) or eeprom (the external EEPROM)")
        ->required()
        ->check(CLI::IsMember({"pic", "flash", "eeprom"}));
}

// write and verify: the memory, its image, and the internal EEPROM's beside
// a program file.
void AddImages(CLI::App* command, std::string& memory, TActionRequest& action) {
    AddMemory(command, memory);
    command->add_option("FILE", action.file, "Image file (default: the card type's stored file)");
    command->add_option("--int-eeprom", action.intEeprom,
                        "AVR kinds, with pic: internal EEPROM file");
}

// A command's help shows only its own options; the tool's options work with
// every command (before or after it), so each command's help lists them too,
// less any the command has one of its own for (view's --card).
void ShowToolOptionsInCommandHelp(CLI::App& app) {
    const CLI::Formatter formatter; // the layout of the help itself
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        std::vector<const CLI::Option*> shown;
        for (const CLI::Option* option : app.get_options()) {
            if (option == app.get_help_ptr() || option == app.get_version_ptr() ||
                command->get_option_no_throw("--" + option->get_lnames().front()) != nullptr) {
                continue;
            }
            shown.push_back(option);
        }
        command->footer(
            formatter.make_group("Options of every command (before or after it)", false, shown));
    }
}

// A connection string is refused before anything else is done with it, in
// words that never hold its password.
CLI::Validator DatabaseCheck() {
    return CLI::Validator(
        [](std::string& uri) -> std::string {
            try {
                korvex::ReadConnectionString(uri);
            } catch (const korvex::EDatabaseUri& error) {
                return error.what();
            }
            return {};
        },
        "", "connection string");
}

void AddToolOptions(CLI::App& app, TCommandLine& line) {
    app.add_option("--data", line.global.dataDir,
                   "Program folder holding cards/, lang/, options/ and defaults/ "
                   "(default: the installed one, or the one beside this executable)")
        ->type_name("DIR");
    app.add_option("--port", line.global.ports,
                   "Programmer port: COM1..COM8 (as mapped in the settings), a device path, "
                   "or sim for the built-in simulator (default: the remembered port); "
                   "auto --watch takes it once per programmer")
        ->type_name("PORT")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--speed", line.global.link.speed,
                   "Line speed, 19200 or 115200 (default: the remembered speed, else 19200)")
        ->check(CLI::IsMember({"19200", "115200"}).description(""))
        ->type_name("BAUD");
    app.add_option("--log", line.global.link.logFile,
                   "Write the conversation with the programmer to FILE, one line per frame "
                   "and answer")
        ->type_name("FILE");
    app.add_option("--card", line.global.card,
                   "Card type to work with (default: the remembered one)")
        ->type_name("NAME");
    app.add_flag("--yes,-y", line.global.yes, "Answer yes to every question");
    app.add_flag("--quiet,-q", line.global.quiet, "No step captions or progress bar");
    app.add_flag("--json", line.global.json,
                 "Print the result of a card command (state, firmware, read, write, verify, "
                 "erase, auto, lock) as one JSON object on stdout; auto --watch prints one per "
                 "card first");
}

void AddInfoCommands(CLI::App& app, TCommandLine& line) {
    line.state = app.add_subcommand(
        "state", "Show whether the programmer answers and a card is ready (exit 0 when ready)");
    line.firmware = app.add_subcommand("firmware", "Print the programmer's firmware version");
    line.cards = app.add_subcommand("cards", "List the card types with their processor and EEPROM");
    line.cards
        ->add_option("--format", line.cardsFormat,
                     "text (default) or tsv: tab-separated, with the kind codes and sizes")
        ->type_name("FORMAT")
        ->transform(CLI::CheckedTransformer(
                        std::map<std::string, TCardsFormat>{{"text", TCardsFormat::cfText},
                                                            {"tsv", TCardsFormat::cfTsv}})
                        .description(""));

    line.viewCommand = app.add_subcommand("view", "Show an image file as a hex dump");
    line.viewCommand->add_option("FILE", line.view.file, "Intel HEX or binary image file")
        ->required();
    auto* viewCard = line.viewCommand->add_option("--card", line.view.cardName,
                                                  "Card type whose processor kind applies");
    line.viewCommand->add_flag("--avr", line.view.avr, "Read the file as an AVR-kind program file")
        ->excludes(viewCard);
    line.viewCommand->add_flag("--eeprom", line.view.eeprom, "Read the file as an EEPROM image");
}

void AddMemoryCommands(CLI::App& app, TCommandLine& line) {
    line.readCommand = app.add_subcommand("read", "Read the card into an Intel HEX file");
    AddMemory(line.readCommand, line.memory);
    line.readCommand
        ->add_option("-o,--out", line.read.out,
                     "File to save the read to (\".hex\" is added to a name not ending in it)")
        ->required();
    line.readCommand->add_option(
        "--data-out", line.read.dataOut,
        "AVR kinds: file for the internal EEPROM, the second part of the read");

    line.writeCommand = app.add_subcommand("write", "Write an image to the card");
    AddImages(line.writeCommand, line.memory, line.action);
    line.verifyCommand = app.add_subcommand("verify", "Compare the card with an image");
    AddImages(line.verifyCommand, line.memory, line.action);
    line.eraseCommand = app.add_subcommand("erase", "Erase the card's processor or EEPROM");
    AddMemory(line.eraseCommand, line.memory);
}

void AddAutoCommand(CLI::App& app, TCommandLine& line) {
    line.autoCommand = app.add_subcommand(
        "auto", "Program a card completely: EEPROM, processor, configuration word or lock");
    line.autoCommand->add_option("--pic", line.autoRequest.pic, "Program file");
    line.autoCommand->add_option("--eeprom", line.autoRequest.eeprom, "External EEPROM file");
    line.autoCommand->add_option("--int-eeprom", line.autoRequest.intEeprom,
                                 "AVR kinds: internal EEPROM file");
    auto* watch = line.autoCommand->add_flag(
        "--watch", line.autoRequest.watch,
        "Production line: program each card as it is put in, one line per card, until "
        "--count cards or Ctrl-C (which ends after the card in hand); exit 0 when every "
        "card was good");
    line.autoCommand
        ->add_option("--count", line.autoRequest.count, "With --watch: stop after N cards")
        ->check(CLI::Range(1, std::numeric_limits<int>::max())
                    .description("")
                    .name("a number of cards, 1 or more"))
        ->needs(watch);
    line.autoCommand
        ->add_option("--db", line.autoRequest.database,
                     "With --watch: a PostgreSQL database the stations of a line share "
                     "(postgresql://host/name), for the serial values and every card's record "
                     "line; the password comes from ~/.pgpass, PGPASSFILE or PGPASSWORD")
        ->check(DatabaseCheck())
        ->needs(watch);
    line.autoCommand
        ->add_option("--station", line.autoRequest.station,
                     "With --db: this station's name in the shared record (default: the host name)")
        ->needs(watch);
    line.autoCommand
        ->add_option("--record", line.autoRequest.record,
                     "With --watch: append one CSV line per card to FILE (made with a header "
                     "line when new); with --db, the lines wait there while the database is away")
        ->needs(watch);
    line.autoDatabaseWait =
        line.autoCommand
            ->add_option("--db-wait", line.autoRequest.databaseWait,
                         "With --db: the longest any call waits for the database, in seconds "
                         "(default 5)")
            ->check(CLI::Range(0.1, 600.0).description("").name("seconds, 0.1 to 600"));
    line.autoReserve =
        line.autoCommand
            ->add_option("--reserve", line.autoRequest.reserve,
                         "With --db: the serial values of a field the station takes ahead, to "
                         "go on through an outage (default 16)")
            ->check(CLI::Range(1, korvex::TPBlockClaims::kMostBlock)
                        .description("")
                        .name("a number of values, 1 to 1000"));
}

void AddSettingsCommands(CLI::App& app, TCommandLine& line) {
    line.optionsCommand = app.add_subcommand(
        "options", "Print the eight write and verify options and the steps' retries, or set them");
    line.optionsCommand->add_option(
        "--set", line.optionSettings,
        "Section/Key=on|off, e.g. Auto/WriteEe=off, or Line/StepRetries=N (0 to 9)");

    line.fusesCommand = app.add_subcommand(
        "fuses", "Print the card type's fuse choices and configuration word, or set them");
    line.fusesCommand->add_option("--watchdog", line.fuses.watchdog, "on or off");
    line.fusesCommand->add_option("--powerup", line.fuses.powerup, "on or off");
    line.fusesCommand->add_option("--protection", line.fuses.protection, "on or off");
    line.fusesCommand->add_option("--oscillator", line.fuses.oscillator, "LP, XT, HS or RC");
    line.fusesCommand->add_option("--lock", line.fuses.lock, "AVR kinds: on or off");

    line.cardCommand = app.add_subcommand("card", "Add, change or delete a card type");
    line.cardCommand->add_option("ACTION", line.card.action, "add, edit or delete")
        ->required()
        ->check(CLI::IsMember({"add", "edit", "delete"}));
    line.cardCommand->add_option("NAME", line.card.name, "Card type name")->required();
    line.cardCommand->add_option("--description", line.card.description, "Card description");
    line.cardCommand->add_option("--processor", line.card.processor,
                                 "Processor, as cards/pics.cfg names it");
    line.cardCommand->add_option("--eeprom", line.card.eeprom,
                                 "EEPROM, as cards/eeproms.cfg names it");
    line.cardCommand->add_option(
        "--serial", line.card.serials,
        "edit: a serial field, set or added: NAME:KEY=VALUE,KEY=VALUE... with the keys memory "
        "(eeprom, int-eeprom or program), address, length, format (binary-be, binary-le, bcd, "
        "ascii-dec or ascii-hex), then first, step and last (a counter) or list (a file of one "
        "value a line), e.g. Serial1:memory=eeprom,address=0x7F0,length=4,format=bcd,first=1000");
    line.cardCommand->add_option("--remove-serial", line.card.removeSerials,
                                 "edit: a serial field to remove");
}

void AddRecordsCommand(CLI::App& app, TCommandLine& line) {
    line.recordsCommand = app.add_subcommand(
        "records", "Summarise a production record: cards per station and hour, good and failed, "
                   "the yield, where failed cards differed, cards an hour, the last serial values; "
                   "of the card type --card names only, when given");
    line.recordsCommand->add_option("--record", line.records.record, "The local CSV record");
    line.recordsCommand
        ->add_option("--db", line.records.database,
                     "The shared PostgreSQL database (postgresql://host/name)")
        ->check(DatabaseCheck());
    line.recordsCommand->add_option(
        "--station", line.records.station,
        "The station's name for the lines of a local record that do not "
        "name theirs (default: the host name)");
    line.recordsCommand->add_flag(
        "--sync", line.records.sync,
        "With --record and --db: send the record's lines the database does "
        "not hold, once each");
    line.recordsCommand->add_flag(
        "--audit", line.records.audit,
        "What the record cannot account for: serial values claimed and never "
        "finished, local lines not in the database, values on two lines");
    line.recordsCommand
        ->add_option("--format", line.records.csv, "With --audit: text (default) or csv")
        ->transform(
            CLI::CheckedTransformer(std::map<std::string, bool>{{"text", false}, {"csv", true}}));
    line.recordsCommand
        ->add_option("--db-wait", line.records.databaseWait,
                     "The longest any call waits for the database, in seconds (default 5)")
        ->check(CLI::Range(0.1, 600.0).description("").name("seconds, 0.1 to 600"));
    line.recordsCommand->add_option(
        "--since", line.records.since,
        "Only the cards from this moment on: a date (2026-12-07) or a date "
        "and time (2026-12-07T16:00), local unless +01:00 or Z follows");
    line.recordsCommand->add_option(
        "--until", line.records.until,
        "Only the cards before this moment; a date alone takes that whole "
        "day");
}

} // namespace

void DeclareCommandLine(CLI::App& app, TCommandLine& line) {
    AddToolOptions(app, line);
    AddInfoCommands(app, line);
    AddMemoryCommands(app, line);
    AddAutoCommand(app, line);
    line.lockCommand = app.add_subcommand("lock", "Lock an AVR-kind card");
    AddSettingsCommands(app, line);
    AddRecordsCommand(app, line);
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        command->group("Commands");
    }
    ShowToolOptionsInCommandHelp(app);
}

} // namespace korvex::cli
