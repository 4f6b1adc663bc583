#include "cli/cardsession.h"

#include "cli/commands.h"
#include "cli/portchoice.h"
#include "cli/simport.h"
#include "support/atomicfile.h"
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
      view_(progress_, prompts_, out) {
    prompts_.BeforeLine = [this] { progress_.EndLine(); };

    TPortMap map = TPortMap::Load(settings_);
    if (needsProgrammer_) {
        TPortChoice choice = ChoosePort(options_.link, settings_);
        comNumber_ = choice.comNumber;
        rate_ = choice.rate;
        map = std::move(choice.map);
    }
    TPWorkflowSeams seams{view_, prompts_, &prompts_, nullptr, nullptr, &progress_, nullptr};
    work_ = std::make_unique<TPMainWorkflows>(
        folders_, settings_,
        MakePortFactory(std::move(map), InProcessSimulator(folders_, options_.card)), seams);
    work_->Bench().storeCardDefaults = false;
    work_->Log().Memo().OnLineAdded = [this](const std::string& line) {
        logLines_.push_back(DisplayLogLine(line));
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

int TCardSession::Start(bool strict) {
    TStartChoices choices;
    choices.comPort = comNumber_;
    if (needsProgrammer_) {
        choices.speed = rate_;
    }
    if (!options_.card.empty()) {
        choices.cardName = options_.card;
    }
    work_->FormShow(choices);
    if (!options_.link.logFile.empty() && work_->Prog()) {
        work_->Log().ToggleLog();
    }
    TPWorkbench& bench = work_->Bench();
    view_.SetStateCaptions({bench.notConnectedText, bench.notReadyText, bench.readyText});
    // The fuses stored for the card type count; a program file named on the
    // command line brings its own configuration word.
    work_->CardTypes().RestoreStoredFuses();

    if (bench.cardBox.ItemIndex() < 0) {
        Fail("no card type to work with: add one with \"korvex-cli card add\"");
        return kExitUsage;
    }
    if (strict && bench.cardBox.GetPicKind() == -1) {
        Fail("card type \"" + bench.cardBox.Text() + "\" names the processor \"" +
             bench.cardBox.SelectedCard().PicName +
             "\", which cards/pics.cfg does not list: correct it with \"korvex-cli card edit\"");
        return kExitUsage;
    }
    if (!needsProgrammer_) {
        return kExitOk;
    }
    if (!work_->Prog()->Connected()) {
        Fail("cannot open COM" + std::to_string(comNumber_) + ": " +
             work_->Prog()->LastConnectError());
        return kExitFailed;
    }
    if (WaitForProgrammer() != kExitOk) {
        return kExitFailed;
    }
    if (!bench.layout.cardCommandsEnabled) {
        Fail("the programmer's firmware does not suit this card type; card commands are disabled");
        return kExitFailed;
    }
    return kExitOk;
}

int TCardSession::WaitForProgrammer() {
    TPPicProg& prog = *work_->Prog();
    TClock& clock = TSteadyClock::Instance();
    const std::int64_t start = clock.NowMs();
    for (;;) {
        prog.Poll();
        if (prog.LastState() != TPCardState::csNotConnected) {
            return kExitOk;
        }
        if (clock.NowMs() - start + prog.PollTime() > kFirstAnswerMs) {
            break;
        }
        clock.SleepMs(prog.PollTime());
    }
    // Nobody answered: there is no programmer to release, and trying would
    // keep the user waiting seven answer times more.
    prog.Disconnect();
    Fail("the programmer on COM" + std::to_string(comNumber_) +
         " does not answer: check that it is switched on, the cable and the speed (--speed)");
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
    TPFilePanel& panel = work_->Panel();
    if (work_->Bench().Field(row) == file) {
        return panel.Evaluate(row);
    }
    return panel.SetField(row, file);
}

int TCardSession::Finish(int code) {
    finished_ = true;
    progress_.EndLine();
    work_->Shutdown();
    if (options_.link.logFile.empty()) {
        return code;
    }
    std::string text;
    for (const std::string& line : logLines_) {
        text += line + '\n';
    }
    try {
        WriteFileAtomically(options_.link.logFile, text);
    } catch (const std::exception& e) {
        Fail(DescribeError(e));
        return code == kExitOk ? kExitFailed : code;
    }
    return code;
}

int ExitCodeOf(TOutcome outcome, TCardSession& session) {
    switch (outcome) {
    case TOutcome::ocSucceeded:
        return kExitOk;
    case TOutcome::ocNothing:
        session.Fail("nothing to work on: name an image file, or store one for the card type");
        return kExitUsage;
    case TOutcome::ocFailed:
    case TOutcome::ocRefused:
    case TOutcome::ocAborted:
        break;
    }
    return kExitFailed;
}

} // namespace korvex::cli
