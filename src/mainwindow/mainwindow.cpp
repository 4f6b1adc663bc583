#include "mainwindow/mainwindow.h"

#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "link/serialdevices.h"
#include "mainwindow/cardpanel.h"
#include "mainwindow/gauge.h"
#include "mainwindow/logpanelview.h"
#include "mainwindow/mainactions.h"
#include "mainwindow/production/productionwindow.h"
#include "mainwindow/statusstrip.h"
#include "workflows/presenter/mainworkflows.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace korvex::gui {

namespace {

// How long the close waits between looks at a command it asked to stop.
constexpr int kCloseTimerMs = 10;

} // namespace

Tfrmmain::Tfrmmain(TPMainWorkflows& work, TPrompts& prompts, TFileChooser& files, QWidget* parent)
    : QMainWindow(parent), work_(work), prompts_(prompts), files_(files),
      deviceLister_([] { return ListSerialDevices(); }),
      urlOpener_([](const QUrl& url) { QDesktopServices::openUrl(url); }), captions_(*this) {
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(Q(TPMainWorkflows::kTitle));

    renderTimer_.setSingleShot(true);
    renderTimer_.setInterval(0);
    connect(&renderTimer_, &QTimer::timeout, this, &Tfrmmain::Render);
    closeTimer_.setInterval(kCloseTimerMs);
    connect(&closeTimer_, &QTimer::timeout, this, [this] { work_.CloseTimerTick(); });

    actions_ = new TMainActions(this);
    actions_->FillMenuBar(*menuBar());
    auto* central = Named(new QWidget, "central");
    auto* column = new QVBoxLayout(central);
    auto* panels = new QHBoxLayout;
    card_ = new TCardPanel(work_);
    log_ = new TLogPanelView(work_, files_);
    // Closed, the log takes no room and no Tab stops at it.
    log_->hide();
    panels->addWidget(card_);
    panels->addWidget(log_, 1);
    column->addLayout(panels, 1);
    strip_ = new TStatusStrip;
    column->addWidget(strip_);
    setCentralWidget(central);

    actions_->AddCaptions(captions_);
    card_->AddCaptions(captions_);
    log_->AddCaptions(captions_);
    connect(log_, &TLogPanelView::Changed, this, &Tfrmmain::Render);
    connect(card_, &TCardPanel::Changed, this, &Tfrmmain::Render);
    connect(card_, &TCardPanel::OpenFileAsked, this, &Tfrmmain::OpenRowFile);
    connect(card_, &TCardPanel::LogPanelAsked, this, &Tfrmmain::ToggleLogPanel);
    connect(card_, &TCardPanel::ProductionAsked, this, &Tfrmmain::ShowProduction);
    connect(card_, &TCardPanel::BigButtonPressed, this, &Tfrmmain::PressBigButton);
    connect(card_, &TCardPanel::BigButtonMenuAsked, this,
            [this](TBigButton button, const QPoint& at) {
                (button == TBigButton::bbWrite ? actions_->popWrite : actions_->popRead)->exec(at);
                Render();
            });
    ConnectActions();
    RefreshPortMenu();
    Render();
}

Tfrmmain::~Tfrmmain() = default;

void Tfrmmain::SetUrlOpener(std::function<void(const QUrl&)> opener) {
    urlOpener_ = std::move(opener);
}

void Tfrmmain::SetDeviceLister(std::function<std::vector<std::string>()> lister) {
    deviceLister_ = std::move(lister);
    RefreshPortMenu();
}

void Tfrmmain::ScheduleRender() {
    if (!renderTimer_.isActive()) {
        renderTimer_.start();
    }
}

void Tfrmmain::Render() {
    if (rendering_ || closing_) {
        return;
    }
    rendering_ = true;
    renderTimer_.stop();
    const TMainSnapshot shot = work_.Snapshot();
    const bool idle = !shot.commandRunning && !shot.productionRunning;
    runningShown_ = !idle;
    resultShown_ = shot.result;
    setWindowTitle(Q(shot.windowCaption));
    RenderCaptions(shot);
    actions_->Render(shot);
    card_->Render(shot, idle);
    log_->Render(shot);
    strip_->Render(shot);
    if (production_ != nullptr) {
        // Whether a run can start follows the commands; its words follow the language.
        production_->Refresh();
    }
    rendering_ = false;
}

void Tfrmmain::RenderCaptions(const TMainSnapshot& shot) {
    if (shot.captions == captionsShown_) {
        return;
    }
    captionsShown_ = shot.captions;
    for (const auto& [control, text] : shot.captions) {
        captions_.Set(control, Q(text));
    }
}

void Tfrmmain::ToggleLogPanel() {
    const bool show = log_->isHidden();
    if (!show) {
        log_->Flush();
        log_->hide();
        // The layouts let go of the panel's width before the window shrinks.
        centralWidget()->layout()->activate();
        layout()->activate();
        // Back to the width the window had, or what it needs now, if more.
        resize(std::max(widthWithoutLog_, minimumSizeHint().width()), height());
        return;
    }
    widthWithoutLog_ = width();
    log_->show();
    log_->Flush();
    QRect frame = frameGeometry();
    int wanted = width() + log_->sizeHint().width() + centralWidget()->layout()->spacing();
    if (screen() != nullptr) {
        // Never past the screen: as wide as it allows, moved onto it.
        const QRect room = screen()->availableGeometry();
        const int border = frame.width() - width();
        wanted = std::min(wanted, room.width() - border);
        frame.setWidth(wanted + border);
        frame.moveLeft(std::clamp(frame.left(), room.left(), room.right() + 1 - frame.width()));
        move(frame.topLeft());
    }
    resize(std::max(wanted, minimumSizeHint().width()), height());
}

// A command goes on before the window's next turn: what it changes is drawn
// at once, and so is its end.
void Tfrmmain::Changed() {
    if (rendering_ || closing_) {
        ScheduleRender();
        return;
    }
    const TMainSnapshot shot = work_.Snapshot();
    const bool running = shot.commandRunning || shot.productionRunning;
    if (running || running != runningShown_ || shot.result != resultShown_) {
        Render();
        return;
    }
    ScheduleRender();
}

void Tfrmmain::OpenDocument(const std::string& target) {
    const QString text = Q(target);
    const QUrl url =
        text.contains(QStringLiteral("://")) || text.startsWith(QStringLiteral("mailto:"))
            ? QUrl(text)
            : QUrl::fromLocalFile(text);
    urlOpener_(url);
}

void Tfrmmain::RequestClose() {
    close();
}

void Tfrmmain::SetProgress(int percent) {
    strip_->Gauge().SetValue(percent);
    if (production_ != nullptr) {
        production_->ShowGauge(percent);
    }
}

// The window goes at once, however long what runs takes to stop: a command
// stops at its next block and a production run after the card in hand, and
// the close timer finishes the close then.
void Tfrmmain::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    hide();
    if (!work_.FormClose()) {
        event->ignore();
        closeTimer_.start();
        return;
    }
    closing_ = true;
    closeTimer_.stop();
    log_->Flush();
    if (production_ != nullptr) {
        production_->close();
    }
    event->accept();
    emit Closed();
}

void Tfrmmain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!centred_ && screen() != nullptr) {
        centred_ = true;
        move(screen()->availableGeometry().center() - rect().center());
    }
}

} // namespace korvex::gui
