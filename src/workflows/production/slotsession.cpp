#include "workflows/production/slotsession.h"

#include "link/portmap.h"
#include "support/settingsstore.h"
#include "workflows/entries.h"
#include "workflows/fillin.h"
#include "workflows/production/slotrelay.h"
#include "workflows/session/session.h"

namespace korvex {

TProductionSummary TPSlotSession::Run(const TProductionPlan& plan) {
    TPSettingsStore settings(settingsFolder_);
    TPortMap ports;
    ports.Override(1, start_.device);
    TSessionSeams seams{relay_};
    seams.ports = &ports;
    TPSession session(folders_, settings, factory_, seams);
    TSessionEvents events;
    events.step = [this](const std::string& caption) { relay_.Step(caption); };
    events.progress = [this](int percent) { relay_.SetProgress(percent); };
    session.SetEvents(std::move(events));
    TStartChoices choices;
    choices.comPort = 1;
    choices.speed = start_.speed;
    choices.cardName = start_.cardType;
    choices.storeCardSettings = false;
    session.Start(choices);
    if (!start_.language.empty()) {
        session.ChooseLanguage(start_.language);
    }
    for (int row = 0; row < kFileRowCount; ++row) {
        const std::string& file = start_.files[static_cast<std::size_t>(row)];
        if (!file.empty()) {
            session.SetFileField(static_cast<TFileRow>(row), file);
        }
    }
    TProductionSummary summary;
    if (!session.AwaitFirstAnswer()) {
        const std::string port =
            start_.device == TPortMap::kSimulator ? "Simulator" : start_.device;
        const std::string problem = session.PortProblem();
        const std::string why =
            !problem.empty() ? problem
                             : FillIn(session.Text(entries::kRunProgrammerSilent), {port, "1"});
        relay_.Problem(TMessageKind::mkError,
                       FillIn(session.Text(entries::kSlotNotStarted), {port, why}));
        session.AbandonLine();
    } else {
        summary = session.RunProduction(plan, relay_, true);
    }
    // The programmer is released and the port put back before the slot says
    // it has ended: the main window may take the port up then.
    session.Shutdown();
    relay_.Ended(summary);
    return summary;
}

} // namespace korvex
