#include "cli/session/cardsession.h"

#include "cli/output/messageline.h"
#include "cli/session/imagefile.h"
#include "cli/session/portchoice.h"
#include "sim/keptsimulator.h"
#include "support/errors.h"
#include "support/filetarget.h"
#include "support/textconv.h"
#include "workflows/entries.h"
#include "workflows/presenter/facewords.h"

#include <unistd.h>

namespace korvex::cli {

namespace {

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

} // namespace

TCardSession::TCardSession(TPDataFolders folders, const TGlobalOptions& options,
                           bool needsProgrammer, std::ostream& out, std::ostream& err,
                           std::istream& in)
    : folders_(std::move(folders)), options_(options), needsProgrammer_(needsProgrammer), out_(out),
      err_(err), settings_(TPSettingsStore::DefaultFolder()),
      progress_(err, IsTerminal(STDERR_FILENO), options.quiet, TSteadyClock::Instance()),
      // With --json stdout holds the result alone; what it would have said goes to stderr.
      prompts_({options.yes, IsTerminal(STDIN_FILENO) && IsTerminal(STDERR_FILENO)},
               options.json ? err : out, err, in),
      view_(progress_, prompts_, options.json ? err : out, err), pump_([this] {
          // A production run finishes the card in hand; anything else stops now.
          if (work_ && work_->ProductionRunning()) {
              if (!productionStopTold_ && OnProductionStopAsked) {
                  productionStopTold_ = true;
                  OnProductionStopAsked();
              }
              work_->StopProduction();
          } else if (work_) {
              work_->RequestStop();
          }
      }) {
    startMs_ = TSteadyClock::NowUs() / 1000;
    prompts_.BeforeLine = [this] { progress_.EndLine(); };

    // A card type named in any letter case is the one the list holds, for
    // the built-in simulator's card as for the workflows.
    bool cardFound = true;
    if (!options_.card.empty()) {
        TPCardIni cards;
        cards.SetBaseDir(folders_);
        cards.ScanCardTypes();
        std::vector<std::string> names;
        for (int i = 0; i < cards.GetCardCount(); ++i) {
            names.push_back(cards.GetCardInfo(i)->CardName);
        }
        const int found = FindCardItem(names, options_.card);
        if (found >= 0) {
            options_.card = names[static_cast<std::size_t>(found)];
        }
        cardFound = found >= 0;
    }
    ports_ = TPortMap::Load(settings_);
    // A card type named that none has is told with the list of them (Start),
    // before anything about the port, as every command tells it.
    if (needsProgrammer_ && cardFound) {
        TPortChoice choice = ChoosePort(options_.link, settings_);
        comNumber_ = choice.comNumber;
        rate_ = choice.rate;
        portName_ = choice.name;
        ports_ = std::move(choice.map);
    }
    TSessionSeams seams{prompts_, &prompts_, &pump_};
    seams.ports = &ports_;
    work_ = std::make_unique<TPSession>(
        folders_, settings_,
        MakePortFactory(ports_, sim::InProcessSimulator(folders_, options_.card, err_)), seams);
    work_->SetStandIns(CommandLineStandIns());
    TSessionEvents events = view_.Events();
    events.logLine = [this](const std::string& line) {
        if (log_) {
            log_->Add(line);
        }
    };
    work_->SetEvents(std::move(events));
    // The log goes to its file line by line; the panel keeps no lines of its
    // own, so a production run of any length takes no more memory.
    work_->LogPanel().SetKeptLineLimit(1);
}

TCardSession::~TCardSession() {
    if (!finished_) {
        Finish(0);
    }
}

void TCardSession::Fail(const std::string& message) {
    prompts_.ShowMessage(TMessageKind::mkError, -1, message);
}

TOutcome TCardSession::Run(TCardCommand command) {
    const TOutcome outcome = work_->RunCommand(command);
    facts_.outcome = outcome;
    facts_.report = &work_->LastReport();
    return outcome;
}

void TCardSession::Wrote(std::string role, std::filesystem::path file) {
    facts_.written.emplace_back(std::move(role), std::move(file));
}

std::string TCardSession::CardTypeList() {
    std::string list;
    for (const std::string& name : work_->CardTypeNames()) {
        list += (list.empty() ? "" : ", ") + name;
    }
    return list.empty() ? "none (add one with \"korvex-cli card add\")" : list;
}

// Opened before anything is sent, so a log that cannot be kept stops the
// run before it starts; an existing file is replaced only when the user
// says so, as the file a read is saved to is.
bool TCardSession::OpenLog() {
    const std::string& file = options_.link.logFile;
    if (file.empty() || log_) {
        return true;
    }
    try {
        CheckDestination(file);
        if (!view_.AskOverwrites({file})) {
            logRefused_ = true;
            return false;
        }
        log_ = std::make_unique<TPLogFile>(file);
    } catch (const EInOutError& error) {
        logRefused_ = true;
        Fail(DescribeError(error));
        return false;
    }
    return true;
}

int TCardSession::Start(TCardNeed need, bool sayWhySilent) {
    if (!OpenLog()) {
        return kExitFailed;
    }
    TStartChoices choices;
    choices.comPort = comNumber_;
    if (needsProgrammer_) {
        choices.speed = rate_;
    }
    if (!options_.card.empty()) {
        choices.cardName = options_.card;
    }
    // The command-line tool stores a card type's settings only when asked.
    choices.storeCardSettings = false;
    // A card type no card type has is bad usage, whatever the command: the
    // workflows have said which card types there are.
    if (work_->Start(choices) != TIntentResult::irDone) {
        return kExitUsage;
    }
    if (!options_.link.logFile.empty()) {
        work_->LogFrames(true);
    }

    if (need != TCardNeed::cnNone && !work_->HasCardType()) {
        Fail("no card type to work with: add one with \"korvex-cli card add\"");
        return kExitUsage;
    }
    if (need == TCardNeed::cnUsable && !work_->CardTypeKnown() && work_->HasCardType()) {
        Fail("card type \"" + work_->CardTypeName() + "\" names the processor \"" +
             work_->ProcessorName() +
             "\", which cards/pics.cfg does not list: correct it with \"korvex-cli card edit\"");
        return kExitUsage;
    }
    if (!needsProgrammer_) {
        return kExitOk;
    }
    if (!work_->Connected()) {
        Fail(portName_.CannotOpen(work_->ConnectError()) + RememberedPortHint());
        return kExitFailed;
    }
    if (WaitForProgrammer(sayWhySilent) != kExitOk) {
        return kExitFailed;
    }
    if (need != TCardNeed::cnNone && !work_->CommandsAllowed()) {
        Fail("the programmer's firmware does not suit this card type; card commands are disabled");
        return kExitFailed;
    }
    return kExitOk;
}

int TCardSession::WaitForProgrammer(bool sayWhySilent) {
    const auto signalled = [] { return TInterrupts::Received() != 0; };
    const bool answered = work_->AwaitFirstAnswer(signalled);
    if (signalled()) {
        // Stopped by a signal: an answering programmer is released when
        // the run ends; a silent one has nothing to release.
        if (!answered) {
            work_->AbandonLine();
        }
        return kExitFailed;
    }
    if (answered) {
        return kExitOk;
    }
    // Nobody answered: there is no programmer to release, and trying would
    // keep the user waiting seven answer times more.
    work_->AbandonLine();
    if (sayWhySilent) {
        Fail(portName_.NotAnswering() + RememberedPortHint());
    }
    return kExitFailed;
}

// The port the settings remembered is the window's choice; on the command
// line another is named with --port.
std::string TCardSession::RememberedPortHint() const {
    return options_.link.port.empty()
               ? "; this is the port the settings remember: name the programmer's port with --port"
               : "";
}

bool TCardSession::UseFile(TFileRow row, const std::string& file) {
    if (const std::string problem = ImageFileProblem(file); !problem.empty()) {
        Fail(file + ": " + problem);
        return false;
    }
    // Named on the command line, the file is read afresh even when it is the
    // card type's stored one, so its configuration word counts.
    return work_->SetFileField(row, file) == TIntentResult::irDone;
}

bool TCardSession::StoredFileUsable(TFileRow row, const std::string& what, bool required) {
    const std::string card = work_->CardTypeName();
    const TRowView view = work_->FileRow(row);
    // An optional row stops the command only when it names a file that
    // cannot be used; an empty one is told as empty, as one named here is.
    std::string problem = view.field.empty() ? std::string() : ImageFileProblem(view.field);
    if (problem.empty()) {
        problem = view.problem;
    }
    if (!required && problem.empty()) {
        return true;
    }
    if (view.field.empty()) {
        Fail("card type \"" + card + "\" has no " + what +
             " file stored; name the file on the command line");
        return false;
    }
    if (problem.empty() && !view.status.viewEnabled) {
        problem = "it holds no image";
    }
    if (!problem.empty()) {
        Fail("the " + what + " file \"" + view.field + "\" stored for card type \"" + card +
             "\" cannot be used: " + problem + "; name a file on the command line");
        return false;
    }
    return true;
}

void TCardSession::TellConfigWord() {
    const std::string config = work_->ConfigText();
    if (config.size() < 4) {
        return;
    }
    std::string origin =
        "from the fuse choices stored for card type \"" + work_->CardTypeName() + "\"";
    if (work_->FuseOrigin() == TFuseOrigin::foProgramFile) {
        origin = "from the program file " + work_->FileRow(TFileRow::frProgram).field;
    } else if (work_->FuseOrigin() == TFuseOrigin::foChosen) {
        origin = "from the fuse choices made";
    }
    // On stderr with the steps: stdout keeps one line per result for scripts.
    progress_.EndLine();
    err_ << "Configuration word " << config.substr(config.size() - 4) << " (" << origin << ")\n";
}

int TCardSession::Finish(int code) {
    finished_ = true;
    progress_.EndLine();
    if (code != kExitOk && prompts_.Declined() && !prompts_.ErrorShown()) {
        prompts_.ShowMessage(TMessageKind::mkInformation, -1, "Nothing was done.");
    }
    if (options_.json && facts_.outcome && needsProgrammer_) {
        facts_.firmware = work_->FirmwareVersion();
    }
    work_->Shutdown();
    if (log_ && !log_->Error().empty()) {
        Fail(log_->Error());
        code = code == kExitOk ? kExitFailed : code;
    }
    if (options_.json) {
        PrintResult(code);
    }
    return code;
}

void TCardSession::PrintResult(int code) {
    // The code the process ends with: a stop by a signal is 128 + its number.
    facts_.exitCode = TInterrupts::ExitCode(code);
    facts_.durationMs = TSteadyClock::NowUs() / 1000 - startMs_;
    facts_.cardType = work_->CardTypeName();
    if (facts_.report != nullptr) {
        static constexpr std::pair<TFileRow, const char*> kRoles[] = {
            {TFileRow::frProgram, "program"},
            {TFileRow::frEeprom, "eeprom"},
            {TFileRow::frIntEeprom, "internal eeprom"},
        };
        for (const auto& [row, role] : kRoles) {
            const std::string field = work_->FileRow(row).field;
            if (!field.empty()) {
                facts_.files.emplace_back(role, field);
            }
        }
    }
    facts_.messages = prompts_.Shown();
    out_ << ResultJson(facts_) << '\n' << std::flush;
}

int ExitCodeOf(TOutcome outcome) {
    switch (outcome) {
    case TOutcome::ocSucceeded:
        return kExitOk;
    case TOutcome::ocNothing:
        // The workflows said what is missing.
        return kExitUsage;
    case TOutcome::ocFailed:
    case TOutcome::ocRefused:
    case TOutcome::ocAborted:
        break;
    }
    return kExitFailed;
}

} // namespace korvex::cli
