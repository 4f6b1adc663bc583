#include "mainwindow/korvexapp.h"

#include "dialogs/qtext.h"
#include "link/serialdevices.h"
#include "sim/keptsimulator.h"
#include "support/errors.h"
#include "workflows/entries.h"

#include <QTimer>

#include <iostream>
#include <set>

namespace korvex::gui {

namespace {

// The programmers a production run may drive: each serial device once, by
// its /dev/serial/by-id name where it has one, and the simulator.
std::vector<std::string> ProgrammerDevices() {
    std::vector<std::string> devices;
    std::set<std::filesystem::path> seen;
    for (const std::string& device : ListSerialDevices()) {
        std::error_code error;
        const std::filesystem::path real = std::filesystem::weakly_canonical(device, error);
        if (seen.insert(error ? std::filesystem::path(device) : real).second) {
            devices.push_back(device);
        }
    }
    devices.emplace_back(TPortMap::kSimulator);
    return devices;
}

} // namespace

TKorvexApp::TKorvexApp(TPDataFolders folders, TAppParts parts)
    : folders_(std::move(folders)),
      settings_(parts.settingsFolder.empty() ? TPSettingsStore::DefaultFolder()
                                             : parts.settingsFolder),
      ports_(TPortMap::Load(settings_)) {
    if (!parts.portOverride.empty()) {
        ports_.Override(1, parts.portOverride);
    }
    TPrompts& prompts = parts.prompts != nullptr ? *parts.prompts : qtPrompts_;
    prompts_ = &prompts;
    TLinkPrompts* linkPrompts = parts.linkPrompts != nullptr ? parts.linkPrompts : &qtPrompts_;
    TFileChooser& files = parts.files != nullptr ? *parts.files : qtFiles_;
    TBackendFactory factory = parts.factory;
    if (!factory) {
        followsSimulator_ = true;
        // The map is read at each opening, so a device chosen by name is
        // the one opened.
        factory = [this](std::string_view port) {
            return MakePortFactory(ports_, [this] { return OpenSimulator(); })(port);
        };
    }
    // The line opens no port a production run drives: it says why instead.
    factory = inUse_.Guard(
        std::move(factory),
        [this](std::string_view port) { return ports_.PathOf(TPortMap::ComNumberOf(port)); },
        [this] { return work_ ? work_->Text(entries::kPortInProductionRun) : std::string(); });
    TPWorkflowSeams seams{view_, prompts, linkPrompts, &pump_, &scheduler_, &gauge_, nullptr};
    seams.ports = &ports_;
    work_ = std::make_unique<TPMainWorkflows>(folders_, settings_, std::move(factory), seams);
    window_ = std::make_unique<Tfrmmain>(*work_, prompts, files);
    gang_.folders = folders_;
    gang_.settingsFolder = settings_.Folder();
    gang_.listDevices = parts.gangDevices ? parts.gangDevices : ProgrammerDevices;
    gang_.opener = parts.gangOpener;
    if (!gang_.opener) {
        gang_.opener = [this](const std::string& device, const std::string& cardType) {
            TPortMap map;
            map.Override(1, device);
            return MakePortFactory(
                map, sim::InProcessSimulator(folders_, cardType, std::cerr, "korvex", true));
        };
    }
    gang_.mainDevice = [this] {
        const int port = work_->Snapshot().comPort;
        return port > 0 ? ports_.PathOf(port) : std::string();
    };
    gang_.inUse = &inUse_;
    window_->SetGangParts(&gang_);
    qtPrompts_.SetParent(window_.get());
    // The boxes' titles in the language shown when each opens.
    qtPrompts_.SetTexts([this](int entry) { return Q(work_->Text(entry)); });
    view_.SetTarget(window_.get());
    work_->OnChange = [this] { Changed(); };
    gauge_.SetTarget(window_.get());
}

TKorvexApp::~TKorvexApp() {
    work_->OnChange = nullptr;
    view_.SetTarget(nullptr);
    gauge_.SetTarget(nullptr);
    scheduler_.Stop();
    // The window goes first: it lets go of the workflows' log.
    window_.reset();
    work_.reset();
}

// The window draws the change; a change of card type on the built-in
// simulator opens the line again, with a card of the new type.
void TKorvexApp::Changed() {
    window_->Changed();
    if (followsSimulator_ && !followScheduled_) {
        followScheduled_ = true;
        QTimer::singleShot(0, window_.get(), [this] { FollowCardTypeWithSimulator(); });
    }
}

void TKorvexApp::ShowError(const std::exception& error) {
    prompts_->ShowMessage(TMessageKind::mkError, -1, DescribeError(error));
}

void TKorvexApp::Start(const TStartChoices& choices) {
    work_->FormShow(choices);
    window_->Render();
    // The card state is shown as soon as the window is up, not only at the
    // poll's first tick.
    QTimer::singleShot(0, window_.get(), [this] {
        work_->PollNow();
        window_->Render();
    });
}

std::unique_ptr<TSerialBackend> TKorvexApp::OpenSimulator() {
    // The simulated card is one of the card type shown when the port opens.
    const std::string card = work_ ? work_->Snapshot().cardText : std::string();
    simulatedCard_ = card;
    auto& simulator = simulators_[card];
    if (!simulator) {
        simulator = sim::InProcessSimulator(folders_, card, std::cerr, "korvex", true);
    }
    return simulator();
}

void TKorvexApp::FollowCardTypeWithSimulator() {
    followScheduled_ = false;
    const TMainSnapshot shot = work_->Snapshot();
    if (shot.comPort < 1 || shot.comPort > TPortMap::kPortCount ||
        ports_.PathOf(shot.comPort) != TPortMap::kSimulator || shot.cardText == simulatedCard_ ||
        simulatedCard_.empty()) {
        return;
    }
    // Refused while a command runs; the card then follows at the next change.
    work_->ReopenLine();
    window_->Render();
}

} // namespace korvex::gui
