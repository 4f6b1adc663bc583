#include "cli/cardsession.h"

#include "cli/commands.h"
#include "cli/portchoice.h"
#include "sim/keptsimulator.h"
#include "support/errors.h"
#include "support/textconv.h"

#include <unistd.h>

namespace korvex::cli {

namespace {

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

// A programmer that was just opened may need a moment before it answers.
constexpr std::int64_t kFirstAnswerMs = 1000;

} // namespace

TCardSession::TCardSession(TPDataFolders folders, const TGlobalOptions& options,
                           bool needsProgrammer, std::ostream& out, std::ostream& err,
                           std::istream& in)
    : folders_(std::move(folders)), options_(options), needsProgrammer_(needsProgrammer), out_(out),
      err_(err), settings_(TPSettingsStore::DefaultFolder()),
      progress_(err, IsTerminal(STDERR_FILENO), options.quiet, TSteadyClock::Instance()),
      prompts_({options.yes, IsTerminal(STDIN_FILENO) && IsTerminal(STDERR_FILENO)}, out, err, in),
      view_(progress_, prompts_, out), pump_([this] {
          // A production run finishes the card in hand; anything else stops now.
          if (work_ && work_->ProductionRunning()) {
              work_->StopProduction();
          } else if (work_) {
              work_->RequestStop();
          }
      }) {
    prompts_.BeforeLine = [this] { progress_.EndLine(); };
    // Opened before anything is sent, so a log that cannot be kept stops the
    // run before it starts.
    if (!options_.link.logFile.empty()) {
        try {
            log_ = std::make_unique<TPLogFile>(options_.link.logFile);
        } catch (const EInOutError& error) {
            logError_ = DescribeError(error);
        }
    }

    // A card type named in any letter case is the one the list holds, for
    // the built-in simulator's card as for the workflows.
    if (!options_.card.empty()) {
        TPCardIni cards;
        cards.SetBaseDir(folders_);
        cards.ScanCardTypes();
        std::vector<std::string> names;
        for (int i = 0; i < cards.GetCardCount(); ++i) {
            names.push_back(cards.GetCardInfo(i)->CardName);
        }
        if (const int found = FindCardItem(names, options_.card); found >= 0) {
            options_.card = names[static_cast<std::size_t>(found)];
        }
    }
    TPortMap map = TPortMap::Load(settings_);
    if (needsProgrammer_) {
        TPortChoice choice = ChoosePort(options_.link, settings_);
        comNumber_ = choice.comNumber;
        rate_ = choice.rate;
        portName_ = choice.name;
        map = std::move(choice.map);
    }
    TPWorkflowSeams seams{view_, prompts_, &prompts_, &pump_, nullptr, &progress_, nullptr};
    work_ = std::make_unique<TPMainWorkflows>(
        folders_, settings_,
        MakePortFactory(std::move(map), sim::InProcessSimulator(folders_, options_.card, err_)),
        seams);
    // The log goes to its file line by line; the panel keeps no lines of its
    // own, so a production run of any length takes no more memory.
    work_->LogPanel().SetKeptLineLimit(1);
    work_->LogPanel().OnLineAdded = [this](const std::string& line) {
        if (log_) {
            log_->Add(line);
        }
    };
}

TCardSession::~TCardSession() {
    if (!finished_) {
        Finish(0);
    }
}

void TCardSession::Fail(const std::string& message) {
    progress_.EndLine();
    err_ << "korvex-cli: " << OneLine(message) << '\n';
}

std::string TCardSession::CardTypeList() {
    std::string list;
    for (const std::string& name : work_->Snapshot().cardTypes) {
        list += (list.empty() ? "" : ", ") + name;
    }
    return list.empty() ? "none (add one with \"korvex-cli card add\")" : list;
}

int TCardSession::Start(TCardNeed need) {
    if (!logError_.empty()) {
        Fail("error: " + logError_);
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
    try {
        work_->FormShow(choices);
    } catch (const EKorvex& error) {
        if (!choices.cardName ||
            FindCardItem(work_->Snapshot().cardTypes, *choices.cardName) >= 0) {
            throw;
        }
        Fail("no card type named \"" + options_.card + "\"; the card types are: " + CardTypeList());
        return kExitUsage;
    }
    if (!options_.link.logFile.empty()) {
        work_->ToggleLog();
    }
    view_.SetStateCaptions({work_->Text(13), work_->Text(14), work_->Text(15)});
    // The fuses stored for the card type count; a program file named on the
    // command line brings its own configuration word.
    work_->RestoreStoredFuses();

    const TMainSnapshot shot = work_->Snapshot();
    if (need == TCardNeed::cnNone) {
        return kExitOk;
    }
    if (shot.cardIndex < 0) {
        Fail("no card type to work with: add one with \"korvex-cli card add\"");
        return kExitUsage;
    }
    if (need == TCardNeed::cnUsable && shot.layout.processorKind == -1) {
        Fail("card type \"" + shot.cardText + "\" names the processor \"" + shot.processorName +
             "\", which cards/pics.cfg does not list: correct it with \"korvex-cli card edit\"");
        return kExitUsage;
    }
    if (!needsProgrammer_) {
        return kExitOk;
    }
    if (!shot.connected) {
        Fail(portName_.CannotOpen(shot.connectError));
        return kExitFailed;
    }
    if (WaitForProgrammer() != kExitOk) {
        return kExitFailed;
    }
    if (!work_->Snapshot().layout.cardCommandsEnabled) {
        Fail("the programmer's firmware does not suit this card type; card commands are disabled");
        return kExitFailed;
    }
    return kExitOk;
}

int TCardSession::WaitForProgrammer() {
    TClock& clock = TSteadyClock::Instance();
    const std::int64_t start = clock.NowMs();
    for (;;) {
        work_->PollNow();
        const bool answered = work_->Snapshot().cardState != TPCardState::csNotConnected;
        if (TInterrupts::Received() != 0) {
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
        if (clock.NowMs() - start + TPMainWorkflows::kPollMs > kFirstAnswerMs) {
            break;
        }
        clock.SleepMs(TPMainWorkflows::kPollMs);
    }
    // Nobody answered: there is no programmer to release, and trying would
    // keep the user waiting seven answer times more.
    work_->AbandonLine();
    Fail(portName_.NotAnswering());
    return kExitFailed;
}

bool TCardSession::UseFile(TFileRow row, const std::string& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        Fail(file + ": no such file");
        return false;
    }
    if (!TPFilePanel::IsUsableFile(file)) {
        Fail(file + ": not an image file (give a .hex or .bin file)");
        return false;
    }
    // Named on the command line, the file is read afresh even when it is the
    // card type's stored one, so its configuration word counts.
    return work_->SetFileField(row, file) == TIntentResult::irDone;
}

int TCardSession::Finish(int code) {
    finished_ = true;
    progress_.EndLine();
    work_->Shutdown();
    if (!log_ || log_->Error().empty()) {
        return code;
    }
    Fail(log_->Error());
    return code == kExitOk ? kExitFailed : code;
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
