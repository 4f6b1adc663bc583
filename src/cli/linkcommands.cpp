#include "cli/commands.h"
#include "cli/interrupts.h"
#include "cli/linksession.h"
#include "link/clock.h"
#include "support/lang.h"
#include "support/settingsstore.h"

namespace korvex::cli {
namespace {

// The stored language when it loads, else English, so the state reads the
// way the window's status panel would.
TPLang LoadLanguage(const TPDataFolders& folders, std::ostream& err) {
    TPLang lang;
    lang.SetLangDirs(folders);
    lang.LoadLanguage("English");
    const TPSettingsStore store(TPSettingsStore::DefaultFolder());
    if (const auto stored = store.ReadString(TPSettingsStore::kLang); stored && !stored->empty()) {
        lang.LoadLanguage(*stored);
    }
    if (const auto problem = lang.TakeProblem()) {
        err << "korvex-cli: warning: " << problem->Text() << '\n';
    }
    return lang;
}

int StateEntry(TPCardState state) {
    switch (state) {
    case TPCardState::csCardReady:
        return 15;
    case TPCardState::csCardNotReady:
        return 14;
    case TPCardState::csNotConnected:
        break;
    }
    return 13;
}

} // namespace

int RunState(const TPDataFolders& folders, const LinkOptions& options, std::ostream& out,
             std::ostream& err) {
    const TPLang lang = LoadLanguage(folders, err);
    TLinkSession session(folders, options);
    TPCardState state = TPCardState::csNotConnected;
    if (session.Connect(err)) {
        // A programmer that has just been opened may need a moment: poll at the
        // window's pace until it answers, for at most a second.
        TPPicProg& prog = session.Prog();
        const std::int64_t start = TSteadyClock::Instance().NowMs();
        for (;;) {
            prog.Poll();
            state = prog.LastState();
            const std::int64_t elapsed = TSteadyClock::Instance().NowMs() - start;
            if (state != TPCardState::csNotConnected || elapsed + prog.PollTime() > 1000 ||
                TInterrupts::Received() != 0) {
                break;
            }
            TSteadyClock::Instance().SleepMs(prog.PollTime());
        }
        // Nobody answered the polls: there is no programmer to release, and
        // trying would keep the user waiting seven answer times more.
        if (state == TPCardState::csNotConnected) {
            prog.Disconnect();
        }
    }
    out << lang.GetText(StateEntry(state)) << '\n';
    const bool logged = session.WriteLog(err);
    return state == TPCardState::csCardReady && logged ? kExitOk : kExitFailed;
}

int RunFirmware(const TPDataFolders& folders, const LinkOptions& options, std::ostream& out,
                std::ostream& err) {
    TLinkSession session(folders, options);
    if (!session.Connect(err)) {
        session.WriteLog(err);
        return kExitFailed;
    }
    const int version = session.Prog().GetFirmwareVersion();
    if (version == -1) {
        session.Prog().Disconnect(); // silent line: nothing to release
    }
    out << version << '\n';
    if (version <= -1) {
        err << "korvex-cli: the programmer gave no usable answer to the version request\n";
    } else if (version == 0) {
        err << "korvex-cli: the programmer's answer held no version number\n";
    }
    const bool logged = session.WriteLog(err);
    return version > 0 && logged ? kExitOk : kExitFailed;
}

} // namespace korvex::cli
