#include "link/clock.h"
#include "sim/ptyserver.h"
#include "sim/simhexfiles.h"
#include "sim/simprogram.h"
#include "support/errors.h"
#include "support/programfolder.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <limits>

namespace {

using namespace korvex::sim;

constexpr const char* kProgram = "korvex-sim";
constexpr int kExitOk = 0;
constexpr int kExitError = 2;

int Fail(const std::string& message) {
    std::cerr << kProgram << ": " << korvex::OneLine(message) << '\n';
    return kExitError;
}

// Everything the command line says of the simulator to serve.
struct TSimCommandLine {
    TSimProgramOptions options;
    std::string dataDir;
    std::string saveDir;
    std::string link;
    bool wireTime = false;
};

void AddOptions(CLI::App& app, TSimCommandLine& line) {
    TSimProgramOptions& options = line.options;
    std::string& dataDir = line.dataDir;
    std::string& saveDir = line.saveDir;
    std::string& link = line.link;
    bool& wireTime = line.wireTime;
    app.add_option("--data", dataDir,
                   "Program folder holding cards/ (default: the installed one, or the one beside "
                   "this executable)");
    auto* card = app.add_option("--card", options.card, "Card type whose card is in the slot");
    auto* processor =
        app.add_option("--processor", options.processor, "Processor of the card (catalogue name)")
            ->excludes(card);
    app.add_option("--eeprom", options.eeprom, "External EEPROM of the card (default: None)")
        ->needs(processor);
    app.add_option("--firmware", options.firmware, "Firmware version (default 105)")
        ->check(CLI::Range(0, 999));
    auto* absent = app.add_flag("--absent", options.absent, "Start with the slot empty");
    app.add_option("--baud", options.baud, "Speed the programmer listens at (default 19200)")
        ->check(CLI::IsMember({19200, 115200}));
    app.add_flag("--wire-time", wireTime, "Answer only after the bytes' time on the line");
    app.add_option("--fault", options.faults,
                   "Fault on a frame: KIND@N (Nth frame) or KIND@LN (Nth frame of command L), "
                   "KIND@N+ on every frame from there on; kinds nack, silent, badsum, noise, "
                   "short, pull, hangup");
    auto* random = app.add_option("--random-faults", options.randomFaults,
                                  "Probability of a passing fault on each frame")
                       ->check(CLI::Range(0.0, 1.0));
    app.add_option("--seed", options.seed, "Seed of the random faults (default 1)")->needs(random);
    auto* loadProgram =
        app.add_option("--load-program", options.loadProgram, "Intel HEX file in program memory");
    auto* loadData =
        app.add_option("--load-data", options.loadData, "Intel HEX file in the data EEPROM");
    auto* loadConfig = app.add_option("--load-config", options.loadConfig,
                                      "Intel HEX file in the configuration area");
    auto* loadEeprom = app.add_option("--load-eeprom", options.loadEeprom,
                                      "Intel HEX file in the external EEPROM");
    auto* feed =
        app.add_option("--feed", options.feed,
                       "Feed N fresh blank cards, one at a time: each is taken out at the first "
                       "poll after the host wrote it and selected mode 0, the next goes in after "
                       "the gap; the slot stays empty after the last")
            ->check(CLI::Range(1, std::numeric_limits<int>::max()))
            ->excludes(absent)
            ->excludes(loadProgram)
            ->excludes(loadData)
            ->excludes(loadConfig)
            ->excludes(loadEeprom);
    app.add_option("--feed-fault", options.feedFaults,
                   "Fault of fed card K: K:KIND@N or K:KIND@LN (a line fault, frames counted "
                   "from the card's insertion), or K:stuck-program@ADDR, K:stuck-data@ADDR, "
                   "K:stuck-eeprom@ADDR (a cell that keeps its blank value; word or byte "
                   "address, decimal or 0x hex)")
        ->needs(feed);
    app.add_option("--feed-gap", options.feedGapMs,
                   "Milliseconds the slot stays empty between two fed cards (default 300)")
        ->check(CLI::Range(0, std::numeric_limits<int>::max()))
        ->needs(feed);
    app.add_option("--save-dir", saveDir,
                   "Folder for program.hex, data.hex, config.hex and eeprom.hex on exit (none "
                   "for a memory the card does not have)");
    app.add_option("--link", link, "Symbolic link to the terminal, removed on exit");
}

// Serves the card until a signal ends it; the card saved when asked.
int Serve(const TSimCommandLine& command) {
    const TSimProgramOptions& options = command.options;
    const std::string& dataDir = command.dataDir;
    try {
        // Before anything else, so a signal sent as soon as the path is out
        // is never lost.
        TSignalWatch signals;
        const std::filesystem::path folder =
            dataDir.empty() ? korvex::ShippedDataFolder() : std::filesystem::path(dataDir);
        // The user's own card types count, as they do for korvex-cli.
        TSimDevice device = MakeSimDevice(
            options, korvex::TPDataFolders(folder, korvex::TPDataFolders::DefaultUserFolder()));
        // Refused before the path goes out, as every other bad option is.
        const auto feedPlan = MakeSimFeedPlan(options, device.Card().Model());
        TPseudoTerminal line(options.baud);
        if (!command.link.empty()) {
            line.MakeLink(command.link);
        }
        std::cout << line.SlavePath() << std::endl;
        if (feedPlan) {
            device.SetFeed(*feedPlan, korvex::TSteadyClock::Instance(),
                           [](const TSimFeedEvent& event) {
                               // Flushed at once: a script waits for each line.
                               std::cout << SimFeedEventText(event) << std::endl;
                           });
        }
        TPtyServer(device, line, signals, command.wireTime).Serve();
        line.Close();
        if (!command.saveDir.empty()) {
            SaveSimCard(device.Card(), command.saveDir);
        }
    } catch (const std::exception& error) {
        return Fail(korvex::DescribeError(error));
    }
    return kExitOk;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "Simulated card programmer served on a pseudo-terminal. Prints the terminal's "
        "path as its first line, then serves until SIGINT, SIGTERM or SIGHUP; SIGUSR1 pulls "
        "the card out, SIGUSR2 puts it back. With --feed it plays the person at a production "
        "line and prints 'card K in' and 'card K out' as each card goes in and out.",
        kProgram};
    app.set_version_flag("--version", std::string(kProgram) + " " + KORVEX_VERSION);
    TSimCommandLine command;
    AddOptions(app, command);
    try {
        app.parse(argc, argv);
        if (command.options.card.empty() && command.options.processor.empty()) {
            throw CLI::ValidationError("--card or --processor is needed");
        }
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion& version) {
        return app.exit(version);
    } catch (const CLI::ParseError& error) {
        return Fail(error.what());
    }

    return Serve(command);
}
