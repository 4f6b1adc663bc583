#include "workflows/production/slotsession.h"

#include "link/clock.h"
#include "link/portmap.h"
#include "support/settingsstore.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/production/slotrelay.h"
#include "workflows/session/mainworkflows.h"

namespace korvex {

namespace {

// A programmer that was just opened may need a moment before it answers.
constexpr std::int64_t kFirstAnswerMs = 1000;

// Polls until the programmer answers or the first answer's time is out.
bool Answers(TPMainWorkflows& work) {
    TClock& clock = TSteadyClock::Instance();
    const std::int64_t start = clock.NowMs();
    for (;;) {
        work.PollNow();
        const TMainSnapshot shot = work.Snapshot();
        if (shot.cardState != TPCardState::csNotConnected) {
            return true;
        }
        if (!shot.connected || clock.NowMs() - start + TPMainWorkflows::kPollMs > kFirstAnswerMs) {
            return false;
        }
        clock.SleepMs(TPMainWorkflows::kPollMs);
    }
}

} // namespace

TProductionSummary TPSlotSession::Run(const TProductionPlan& plan) {
    TPSettingsStore settings(settingsFolder_);
    TPortMap ports;
    ports.Override(1, start_.device);
    TPWorkflowSeams seams{relay_, relay_, nullptr, nullptr, nullptr, &relay_, nullptr};
    seams.ports = &ports;
    TPMainWorkflows work(folders_, settings, factory_, seams);
    TStartChoices choices;
    choices.comPort = 1;
    choices.speed = start_.speed;
    choices.cardName = start_.cardType;
    choices.storeCardSettings = false;
    work.FormShow(choices);
    if (!start_.language.empty()) {
        work.ChooseLanguage(start_.language);
    }
    for (int row = 0; row < kFileRowCount; ++row) {
        const std::string& file = start_.files[static_cast<std::size_t>(row)];
        if (!file.empty()) {
            work.SetFileField(static_cast<TFileRow>(row), file);
        }
    }
    TProductionSummary summary;
    if (!Answers(work)) {
        const TMainSnapshot shot = work.Snapshot();
        const std::string port =
            start_.device == TPortMap::kSimulator ? "Simulator" : start_.device;
        const std::string why = !shot.portProblem.empty()
                                    ? shot.portProblem
                                    : FillIn(work.Text(entries::kRunProgrammerSilent), {port, "1"});
        relay_.Problem(TMessageKind::mkError,
                       FillIn(work.Text(entries::kSlotNotStarted), {port, why}));
        work.AbandonLine();
    } else {
        summary = work.RunProduction(plan, relay_, true);
    }
    // The programmer is released and the port put back before the slot says
    // it has ended: the main window may take the port up then.
    work.Shutdown();
    relay_.Ended(summary);
    return summary;
}

} // namespace korvex
