#include "mainwindow/production/gangstation.h"

#include "link/portmap.h"
#include "mainwindow/production/portsinuse.h"
#include "workflows/presenter/mainworkflows.h"

#include <QTimer>

#include <algorithm>

namespace korvex::gui {

namespace {

// The slots' news come in bursts (a gauge step, a step, a card): the window
// draws them together, as often as a person can read them.
constexpr int kDrawMs = 40;

} // namespace

TGangStation::TGangStation(TPMainWorkflows& main, TGangParts parts, QObject* parent)
    : QObject(parent), main_(main), parts_(std::move(parts)),
      board_([&main](int entry) { return main.Text(entry); }) {
    connect(
        this, &TGangStation::News, this, [](const std::function<void()>& call) { call(); },
        Qt::QueuedConnection);
    board_.OnChange = [this] { Changed(); };
}

TGangStation::~TGangStation() {
    board_.OnChange = nullptr;
    if (run_) {
        // The cards in hand are finished first: a thread left running would
        // program a card with nobody to tell.
        run_->StopAll();
        run_->Join();
        run_.reset();
        // The program is ending: the main window does not open its port again.
        if (parts_.inUse != nullptr) {
            parts_.inUse->GiveBack();
        }
    }
}

std::string TGangStation::Caption(const std::string& device) {
    return device == TPortMap::kSimulator ? "Simulator" : device;
}

void TGangStation::Start(const std::vector<std::string>& devices, const TProductionPlan& plan) {
    if (run_ || devices.empty()) {
        return;
    }
    const TMainSnapshot shot = main_.Snapshot();
    TSlotStart start;
    start.cardType = shot.cardText;
    start.speed = shot.speed;
    start.language = shot.language;
    for (int row = 0; row < kFileRowCount; ++row) {
        start.files[static_cast<std::size_t>(row)] = shot.rows[static_cast<std::size_t>(row)].field;
    }
    // The main window's fuse choices are what the slots' sessions read.
    main_.StoreCardSettings();
    const std::string mainDevice = parts_.mainDevice ? parts_.mainDevice() : std::string();
    mainPortTaken_ = !mainDevice.empty() &&
                     std::find(devices.begin(), devices.end(), mainDevice) != devices.end();
    if (parts_.inUse != nullptr) {
        parts_.inUse->Take(devices);
    }
    if (mainPortTaken_) {
        // Closed, and not opened again while the run has it: it says why.
        main_.ReopenLine();
    }
    std::vector<std::string> captions;
    for (const std::string& device : devices) {
        captions.push_back(Caption(device));
    }
    board_.Begin(captions);
    relays_.clear();
    sessions_.clear();
    run_ = std::make_unique<TPGangRun>(plan);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        relays_.push_back(std::make_unique<TPSlotRelay>(
            i, board_, [this](std::function<void()> call) { emit News(std::move(call)); }));
        start.device = devices[i];
        sessions_.push_back(std::make_unique<TPSlotSession>(
            parts_.folders, parts_.settingsFolder, parts_.opener(devices[i], start.cardType), start,
            *relays_.back()));
        run_->Add([session = sessions_.back().get()](const TProductionPlan& shared) {
            return session->Run(shared);
        });
    }
    run_->Start({});
}

void TGangStation::Stop() {
    if (run_) {
        run_->StopAll();
        board_.Stopping();
    }
}

void TGangStation::Changed() {
    if (run_ && !board_.Running()) {
        // Every slot has said its end; its thread ends with it.
        run_->Join();
        run_.reset();
        Finish();
    }
    if (!drawDue_) {
        drawDue_ = true;
        QTimer::singleShot(kDrawMs, this, [this] {
            drawDue_ = false;
            if (OnChange) {
                OnChange();
            }
        });
    }
}

void TGangStation::Finish() {
    if (parts_.inUse != nullptr) {
        parts_.inUse->GiveBack();
    }
    if (mainPortTaken_) {
        mainPortTaken_ = false;
        main_.ReopenLine();
    }
}

} // namespace korvex::gui
