// The production window's programmers: which the user ticks, and the run
// that drives them.
#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "mainwindow/production/gangstation.h"
#include "mainwindow/production/productionwindow.h"
#include "support/settingsstore.h"
#include "workflows/entries.h"
#include "workflows/presenter/mainworkflows.h"

#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include <algorithm>

namespace korvex::gui {

namespace {

constexpr char kSeparator = '|';

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(kSeparator, start), text.size());
        if (end > start) {
            parts.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : std::string(1, kSeparator)) + part;
    }
    return text;
}

} // namespace

void TfrmProduction::BuildPorts(QGridLayout& plan) {
    ticked_ = Split(work_.Settings().ReadString(TPSettingsStore::kProductionPorts).value_or(""));
    portsCaption_ = Named(new QLabel, "lblProductionPorts");
    ports_ = Named(new QToolButton, "btnProductionPorts");
    ports_->setPopupMode(QToolButton::InstantPopup);
    ports_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ports_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* menu = Named(new QMenu(ports_), "mnuProductionPorts");
    // The devices there are when the list opens, as the Port menu lists them.
    connect(menu, &QMenu::aboutToShow, this, [this] { ListPorts(); });
    ports_->setMenu(menu);
    portsCaption_->setBuddy(ports_);
    plan.addWidget(portsCaption_, 3, 0);
    plan.addWidget(ports_, 3, 1, 1, 2);
}

void TfrmProduction::ListPorts() {
    QMenu* menu = ports_->menu();
    menu->clear();
    std::vector<std::string> devices = gang_->Parts().listDevices();
    // A ticked device that is not there now stays ticked, and shows so.
    for (const std::string& device : ticked_) {
        if (std::find(devices.begin(), devices.end(), device) == devices.end()) {
            devices.push_back(device);
        }
    }
    for (const std::string& device : devices) {
        QAction* item = menu->addAction(Q(TGangStation::Caption(device)));
        item->setObjectName(QStringLiteral("port:") + Q(device));
        item->setCheckable(true);
        item->setChecked(std::find(ticked_.begin(), ticked_.end(), device) != ticked_.end());
        connect(item, &QAction::toggled, this,
                [this, device](bool on) { Handle(prompts_, [&] { Tick(device, on); }); });
    }
}

void TfrmProduction::Tick(const std::string& device, bool ticked) {
    if (GangRunning() || work_.ProductionRunning()) {
        return;
    }
    const auto at = std::find(ticked_.begin(), ticked_.end(), device);
    if (ticked && at == ticked_.end()) {
        ticked_.push_back(device);
    } else if (!ticked && at != ticked_.end()) {
        ticked_.erase(at);
    }
    DrawGang();
    // Kept at once, as every setting of the window is.
    work_.Settings().Write({{std::string(TPSettingsStore::kProductionPorts), Joined(ticked_)}});
}

bool TfrmProduction::GangMode() const {
    return gang_ != nullptr &&
           (ticked_.size() > 1 || (ticked_.size() == 1 && ticked_.front() != mainDevice_));
}

void TfrmProduction::FollowMainPort() {
    if (gang_ != nullptr && gang_->Parts().mainDevice && !GangRunning()) {
        mainDevice_ = gang_->Parts().mainDevice();
    }
}

bool TfrmProduction::GangRunning() const {
    return gang_ != nullptr && gang_->Running();
}

void TfrmProduction::StartGang() {
    gang_->Start(ticked_, board_.Plan());
    // The charts of this run take its cards from its start, whichever slot.
    board_.RunStarted(board_.Plan());
    board_.StorePlan();
}

void TfrmProduction::DrawGang() {
    if (ports_ != nullptr) {
        QStringList names;
        for (const std::string& device : ticked_) {
            names << Q(TGangStation::Caption(device));
        }
        ports_->setText(names.isEmpty() ? Q(TGangStation::Caption(mainDevice_)) : names.join(", "));
    }
    if (gang_ != nullptr && !gang_->Running()) {
        std::vector<std::string> captions;
        for (const std::string& device : ticked_) {
            captions.push_back(TGangStation::Caption(device));
        }
        std::vector<std::string> shown;
        for (const TSlotView& slot : gang_->Board().View().slotViews) {
            shown.push_back(slot.port);
        }
        if (shown != captions) {
            gang_->Board().ShowPorts(captions);
        }
    }
    Draw();
    if (closeAfterRun_ && !GangRunning() && !work_.ProductionRunning()) {
        closeAfterRun_ = false;
        close();
    }
}

} // namespace korvex::gui
