#include "cli/cardrun.h"
#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/linkoptions.h"
#include "cli/manualhelp.h"
#include "cli/messageline.h"
#include "link/clock.h"
#include "serials/pgconnection.h"
#include "serials/serialerrors.h"
#include "support/errors.h"
#include "support/programfolder.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <map>

namespace {

using namespace korvex::cli;

int Fail(int code, const std::string& message) {
    std::cerr << ErrorLine(message) << '\n';
    return code;
}

// "flash" is what the AVR messages call the processor's memory.
void AddMemory(CLI::App* command, std::string& memory) {
    command
        ->add_option("MEMORY", memory,
                     "pic or flash (the processor) or eeprom (the external EEPROM)")
        ->required()
        ->check(CLI::IsMember({"pic", "flash", "eeprom"}));
}

TMemory MemoryOf(const std::string& text) {
    return text == "eeprom" ? TMemory::mEeprom : TMemory::mPic;
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

// The first word left over when no command was found: what the user meant
// as the command.
std::string UnknownCommand(CLI::App& app) {
    if (!app.get_subcommands().empty()) {
        return {};
    }
    for (const std::string& word : app.remaining()) {
        if (!word.empty() && word.front() != '-') {
            return word;
        }
    }
    return {};
}

std::string CommandNames(CLI::App& app) {
    std::string names;
    for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        names += (names.empty() ? "" : ", ") + command->get_name();
    }
    return names;
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

// Several --port are several programmers, which only a production run
// drives at once; each port once, for its journal is the port's.
std::string PortsProblem(TGlobalOptions& global, bool watch) {
    if (!global.ports.empty()) {
        global.link.port = global.ports.front();
    }
    if (global.ports.size() < 2) {
        return {};
    }
    if (!watch) {
        return "--port is given more than once: only auto --watch drives several programmers";
    }
    for (std::size_t i = 0; i < global.ports.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (global.ports[i] == global.ports[j]) {
                return "--port " + global.ports[i] + " is given twice: name each programmer once";
            }
        }
    }
    if (!global.link.logFile.empty()) {
        return "--log writes the conversation with one programmer: give it with one --port";
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    korvex::UsePreciseTimers();

    CLI::App app{"Korvex smart-card programmer, command-line tool", kProgram};
    app.set_version_flag("--version", std::string(kProgram) + " " + KORVEX_VERSION);
    // --help-all is the whole manual's text, help2man's source of the page.
    app.formatter(std::make_shared<TManualFormatter>());
    app.set_help_all_flag("--help-all", "Print this help with every command's options and exit");
    app.require_subcommand(1);
    // Options of the whole tool may follow the command as well.
    app.fallthrough();

    TGlobalOptions global;
    app.add_option("--data", global.dataDir,
                   "Program folder holding cards/, lang/, options/ and defaults/ "
                   "(default: the installed one, or the one beside this executable)")
        ->type_name("DIR");
    app.add_option("--port", global.ports,
                   "Programmer port: COM1..COM8 (as mapped in the settings), a device path, "
                   "or sim for the built-in simulator (default: the remembered port); "
                   "auto --watch takes it once per programmer")
        ->type_name("PORT")
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--speed", global.link.speed,
                   "Line speed, 19200 or 115200 (default: the remembered speed, else 19200)")
        ->check(CLI::IsMember({"19200", "115200"}).description(""))
        ->type_name("BAUD");
    app.add_option("--log", global.link.logFile,
                   "Write the conversation with the programmer to FILE, one line per frame "
                   "and answer")
        ->type_name("FILE");
    app.add_option("--card", global.card, "Card type to work with (default: the remembered one)")
        ->type_name("NAME");
    app.add_flag("--yes,-y", global.yes, "Answer yes to every question");
    app.add_flag("--quiet,-q", global.quiet, "No step captions or progress bar");
    app.add_flag("--json", global.json,
                 "Print the result of a card command (state, firmware, read, write, verify, "
                 "erase, auto, lock) as one JSON object on stdout; auto --watch prints one per "
                 "card first");

    auto* state = app.add_subcommand(
        "state", "Show whether the programmer answers and a card is ready (exit 0 when ready)");
    auto* firmware = app.add_subcommand("firmware", "Print the programmer's firmware version");
    auto* cards =
        app.add_subcommand("cards", "List the card types with their processor and EEPROM");
    TCardsFormat cardsFormat = TCardsFormat::cfText;
    cards
        ->add_option("--format", cardsFormat,
                     "text (default) or tsv: tab-separated, with the kind codes and sizes")
        ->type_name("FORMAT")
        ->transform(CLI::CheckedTransformer(
                        std::map<std::string, TCardsFormat>{{"text", TCardsFormat::cfText},
                                                            {"tsv", TCardsFormat::cfTsv}})
                        .description(""));

    ViewRequest view;
    auto* viewCommand = app.add_subcommand("view", "Show an image file as a hex dump");
    viewCommand->add_option("FILE", view.file, "Intel HEX or binary image file")->required();
    auto* viewCard =
        viewCommand->add_option("--card", view.cardName, "Card type whose processor kind applies");
    viewCommand->add_flag("--avr", view.avr, "Read the file as an AVR-kind program file")
        ->excludes(viewCard);
    viewCommand->add_flag("--eeprom", view.eeprom, "Read the file as an EEPROM image");

    std::string memory;
    TReadRequest read;
    auto* readCommand = app.add_subcommand("read", "Read the card into an Intel HEX file");
    AddMemory(readCommand, memory);
    readCommand
        ->add_option("-o,--out", read.out,
                     "File to save the read to (\".hex\" is added to a name not ending in it)")
        ->required();
    readCommand->add_option("--data-out", read.dataOut,
                            "AVR kinds: file for the internal EEPROM, the second part of the read");

    TActionRequest action;
    auto* writeCommand = app.add_subcommand("write", "Write an image to the card");
    AddMemory(writeCommand, memory);
    writeCommand->add_option("FILE", action.file,
                             "Image file (default: the card type's stored file)");
    writeCommand->add_option("--int-eeprom", action.intEeprom,
                             "AVR kinds, with pic: internal EEPROM file");
    auto* verifyCommand = app.add_subcommand("verify", "Compare the card with an image");
    AddMemory(verifyCommand, memory);
    verifyCommand->add_option("FILE", action.file,
                              "Image file (default: the card type's stored file)");
    verifyCommand->add_option("--int-eeprom", action.intEeprom,
                              "AVR kinds, with pic: internal EEPROM file");
    auto* eraseCommand = app.add_subcommand("erase", "Erase the card's processor or EEPROM");
    AddMemory(eraseCommand, memory);

    TAutoRequest autoRequest;
    auto* autoCommand = app.add_subcommand(
        "auto", "Program a card completely: EEPROM, processor, configuration word or lock");
    autoCommand->add_option("--pic", autoRequest.pic, "Program file");
    autoCommand->add_option("--eeprom", autoRequest.eeprom, "External EEPROM file");
    autoCommand->add_option("--int-eeprom", autoRequest.intEeprom,
                            "AVR kinds: internal EEPROM file");
    auto* watch = autoCommand->add_flag(
        "--watch", autoRequest.watch,
        "Production line: program each card as it is put in, one line per card, until "
        "--count cards or Ctrl-C (which ends after the card in hand); exit 0 when every "
        "card was good");
    autoCommand->add_option("--count", autoRequest.count, "With --watch: stop after N cards")
        ->check(CLI::Range(1, std::numeric_limits<int>::max())
                    .description("")
                    .name("a number of cards, 1 or more"))
        ->needs(watch);
    autoCommand
        ->add_option("--db", autoRequest.database,
                     "With --watch: a PostgreSQL database the stations of a line share "
                     "(postgresql://host/name), for the serial values and every card's record "
                     "line; the password comes from ~/.pgpass, PGPASSFILE or PGPASSWORD")
        ->check(DatabaseCheck())
        ->needs(watch);
    autoCommand
        ->add_option("--station", autoRequest.station,
                     "With --db: this station's name in the shared record (default: the host name)")
        ->needs(watch);
    autoCommand
        ->add_option("--record", autoRequest.record,
                     "With --watch: append one CSV line per card to FILE (made with a header "
                     "line when new); with --db, the lines wait there while the database is away")
        ->needs(watch);
    auto* autoDatabaseWait =
        autoCommand
            ->add_option("--db-wait", autoRequest.databaseWait,
                         "With --db: the longest any call waits for the database, in seconds "
                         "(default 5)")
            ->check(CLI::Range(0.1, 600.0).description("").name("seconds, 0.1 to 600"));
    auto* autoReserve =
        autoCommand
            ->add_option("--reserve", autoRequest.reserve,
                         "With --db: the serial values of a field the station takes ahead, to "
                         "go on through an outage (default 16)")
            ->check(CLI::Range(1, korvex::TPBlockClaims::kMostBlock)
                        .description("")
                        .name("a number of values, 1 to 1000"));
    auto* lockCommand = app.add_subcommand("lock", "Lock an AVR-kind card");

    std::vector<std::string> optionSettings;
    auto* optionsCommand = app.add_subcommand(
        "options", "Print the eight write and verify options and the steps' retries, or set them");
    optionsCommand->add_option(
        "--set", optionSettings,
        "Section/Key=on|off, e.g. Auto/WriteEe=off, or Line/StepRetries=N (0 to 9)");

    TFuseRequest fuses;
    auto* fusesCommand = app.add_subcommand(
        "fuses", "Print the card type's fuse choices and configuration word, or set them");
    fusesCommand->add_option("--watchdog", fuses.watchdog, "on or off");
    fusesCommand->add_option("--powerup", fuses.powerup, "on or off");
    fusesCommand->add_option("--protection", fuses.protection, "on or off");
    fusesCommand->add_option("--oscillator", fuses.oscillator, "LP, XT, HS or RC");
    fusesCommand->add_option("--lock", fuses.lock, "AVR kinds: on or off");

    TCardRequest card;
    auto* cardCommand = app.add_subcommand("card", "Add, change or delete a card type");
    cardCommand->add_option("ACTION", card.action, "add, edit or delete")
        ->required()
        ->check(CLI::IsMember({"add", "edit", "delete"}));
    cardCommand->add_option("NAME", card.name, "Card type name")->required();
    cardCommand->add_option("--description", card.description, "Card description");
    cardCommand->add_option("--processor", card.processor, "Processor, as cards/pics.cfg names it");
    cardCommand->add_option("--eeprom", card.eeprom, "EEPROM, as cards/eeproms.cfg names it");
    cardCommand->add_option(
        "--serial", card.serials,
        "edit: a serial field, set or added: NAME:KEY=VALUE,KEY=VALUE... with the keys memory "
        "(eeprom, int-eeprom or program), address, length, format (binary-be, binary-le, bcd, "
        "ascii-dec or ascii-hex), then first, step and last (a counter) or list (a file of one "
        "value a line), e.g. Serial1:memory=eeprom,address=0x7F0,length=4,format=bcd,first=1000");
    cardCommand->add_option("--remove-serial", card.removeSerials,
                            "edit: a serial field to remove");

    TRecordsRequest records;
    auto* recordsCommand = app.add_subcommand(
        "records", "Summarise a production record: cards per station and hour, good and failed, "
                   "the yield, where failed cards differed, cards an hour, the last serial values; "
                   "of the card type --card names only, when given");
    recordsCommand->add_option("--record", records.record, "The local CSV record");
    recordsCommand
        ->add_option("--db", records.database,
                     "The shared PostgreSQL database (postgresql://host/name)")
        ->check(DatabaseCheck());
    recordsCommand->add_option("--station", records.station,
                               "The station's name for the lines of a local record that do not "
                               "name theirs (default: the host name)");
    recordsCommand->add_flag("--sync", records.sync,
                             "With --record and --db: send the record's lines the database does "
                             "not hold, once each");
    recordsCommand->add_flag("--audit", records.audit,
                             "What the record cannot account for: serial values claimed and never "
                             "finished, local lines not in the database, values on two lines");
    recordsCommand->add_option("--format", records.csv, "With --audit: text (default) or csv")
        ->transform(
            CLI::CheckedTransformer(std::map<std::string, bool>{{"text", false}, {"csv", true}}));
    recordsCommand
        ->add_option("--db-wait", records.databaseWait,
                     "The longest any call waits for the database, in seconds (default 5)")
        ->check(CLI::Range(0.1, 600.0).description("").name("seconds, 0.1 to 600"));
    recordsCommand->add_option("--since", records.since,
                               "Only the cards from this moment on: a date (2026-12-07) or a date "
                               "and time (2026-12-07T16:00), local unless +01:00 or Z follows");
    recordsCommand->add_option("--until", records.until,
                               "Only the cards before this moment; a date alone takes that whole "
                               "day");

    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        command->group("Commands");
    }
    ShowToolOptionsInCommandHelp(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (const std::string word = UnknownCommand(app); !word.empty()) {
            return Fail(kExitUsage,
                        "unknown command '" + word + "'; the commands are: " + CommandNames(app));
        }
        if (error.get_exit_code() == 0) {
            return app.exit(error); // --help, --version
        }
        return Fail(kExitUsage, std::string(error.what()) + " (see " + kProgram + " --help)");
    }

    // The program folder holds the shipped files; the user's own card types,
    // options and copies live in the user's data folder.
    const korvex::TPDataFolders folders(global.dataDir.empty()
                                            ? korvex::ShippedDataFolder()
                                            : std::filesystem::path(global.dataDir),
                                        korvex::TPDataFolders::DefaultUserFolder());
    // A signal now ends the command at its next step instead of killing the
    // process with the programmer held, the port changed and no log.
    const TInterrupts interrupts;
    if (global.json &&
        (*cards || *viewCommand || *optionsCommand || *fusesCommand || *cardCommand)) {
        return Fail(kExitUsage, "--json is for the commands that work on a card: state, "
                                "firmware, read, write, verify, erase, auto and lock, and for "
                                "records");
    }
    if (const std::string problem = PortsProblem(global, *autoCommand && autoRequest.watch);
        !problem.empty()) {
        return Fail(kExitUsage, problem);
    }
    if ((autoDatabaseWait->count() > 0 || autoReserve->count() > 0) &&
        autoRequest.database.empty()) {
        return Fail(kExitUsage, "--db-wait and --reserve belong to a run with --db");
    }
    const auto run = [&]() -> int {
        if (*cards) {
            return RunCards(folders, cardsFormat, std::cout, std::cerr);
        }
        if (*viewCommand) {
            // The tool's --card, given before the command, is view's as well.
            if (view.cardName.empty() && !view.avr) {
                view.cardName = global.card;
            }
            return RunView(folders, view, std::cout);
        }
        if (*state) {
            return RunState(folders, global);
        }
        if (*firmware) {
            return RunFirmware(folders, global);
        }
        if (*readCommand) {
            read.memory = MemoryOf(memory);
            return RunRead(folders, global, read);
        }
        action.memory = MemoryOf(memory);
        if (*writeCommand) {
            action.action = TCardAction::caWrite;
            return RunCardAction(folders, global, action);
        }
        if (*verifyCommand) {
            action.action = TCardAction::caVerify;
            return RunCardAction(folders, global, action);
        }
        if (*eraseCommand) {
            action.action = TCardAction::caErase;
            return RunCardAction(folders, global, action);
        }
        if (*autoCommand) {
            return RunAuto(folders, global, autoRequest);
        }
        if (*lockCommand) {
            return RunLock(folders, global);
        }
        if (*optionsCommand) {
            return RunOptions(folders, global, optionSettings);
        }
        if (*fusesCommand) {
            return RunFuses(folders, global, fuses);
        }
        if (*recordsCommand) {
            return RunRecords(folders, global, records);
        }
        if (*cardCommand) {
            if (card.action == "add" && (card.processor.empty() || card.eeprom.empty())) {
                return Fail(kExitUsage, "card add needs --description, --processor and --eeprom");
            }
            return RunCardType(folders, global, card);
        }
        return kExitUsage;
    };
    int code = kExitUsage;
    try {
        code = run();
    } catch (const std::exception& error) {
        code = Fail(kExitUsage, korvex::DescribeError(error));
    }
    if (const int signal = TInterrupts::Received(); signal != 0) {
        // Asked for, not a failure: information, on stderr beside the step lines.
        std::cerr << "Stopped by " << TInterrupts::Name(signal) << ".\n";
    }
    return TInterrupts::ExitCode(code);
}
