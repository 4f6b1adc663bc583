#include "mainwindow/mainwindow.h"

#include "dialogs/filechooser.h"
#include "dialogs/qtext.h"
#include "link/serialdevices.h"
#include "mainwindow/gauge.h"
#include "mainwindow/productionwindow.h"
#include "support/errors.h"
#include "workflows/mainworkflows.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>

namespace korvex::gui {

namespace {

// How long the close waits between looks at a command it asked to stop.
constexpr int kCloseTimerMs = 10;

struct TRowDialog {
    const char* title;
    std::string_view filter;
};

TRowDialog DialogOf(TFileRow row) {
    static constexpr std::string_view kHexOrBin =
        "Hex Files (*.hex)|*.hex|Binary Files (*.bin)|*.bin";
    static constexpr std::string_view kHex = "Hex Files (*.hex)|*.hex";
    switch (row) {
    case TFileRow::frProgram:
        return {"Open - pic", kHexOrBin};
    case TFileRow::frEeprom:
        return {"Open - eeprom", kHexOrBin};
    case TFileRow::frIntEeprom:
        return {"Open - Internal Eeprom", kHex};
    case TFileRow::frLoader:
        break;
    }
    return {"Open - loader", kHex};
}

} // namespace

Tfrmmain::Tfrmmain(TPMainWorkflows& work, TPrompts& prompts, TFileChooser& files, QWidget* parent)
    : QMainWindow(parent), work_(work), prompts_(prompts), files_(files),
      deviceLister_([] { return ListSerialDevices(); }),
      urlOpener_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    setObjectName(QStringLiteral("frmmain"));
    setWindowTitle(Q(TPMainWorkflows::kTitle));
    // A fixed single border: minimise and close only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    renderTimer_.setSingleShot(true);
    renderTimer_.setInterval(0);
    connect(&renderTimer_, &QTimer::timeout, this, &Tfrmmain::Render);
    closeTimer_.setInterval(kCloseTimerMs);
    connect(&closeTimer_, &QTimer::timeout, this,
            [this] { Handle([this] { work_.CloseTimerTick(); }); });

    BuildActions();
    BuildMenus();
    BuildStatusBar();
    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("central"));
    leftPanel_ = BuildCardPanel();
    leftPanel_->setParent(central);
    logPanel_ = BuildLogPanel();
    logPanel_->setParent(central);
    setCentralWidget(central);

    const int height = leftPanel_->sizeHint().height();
    leftPanel_->setGeometry(0, 0, kNormalWidth, height);
    logPanel_->setGeometry(kNormalWidth, 8, kWideWidth - kNormalWidth - 8, height - 12);
    setFixedSize(kNormalWidth, WindowHeight());
    RefreshPortMenu();
    Render();
}

Tfrmmain::~Tfrmmain() {
    work_.LogPanel().OnLineAdded = nullptr;
}

void Tfrmmain::SetUrlOpener(std::function<void(const QUrl&)> opener) {
    urlOpener_ = std::move(opener);
}

void Tfrmmain::SetDeviceLister(std::function<std::vector<std::string>()> lister) {
    deviceLister_ = std::move(lister);
}

int Tfrmmain::WindowHeight() const {
    return leftPanel_->geometry().height() + menuBar()->sizeHint().height() +
           statusBar()->sizeHint().height();
}

void Tfrmmain::Handle(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        prompts_.ShowMessage(TMessageKind::mkError, -1, DescribeError(error));
    }
    Render();
}

void Tfrmmain::RunCommand(TCardCommand command) {
    work_.RunCommand(command);
}

void Tfrmmain::PressBigButton(TBigButton button, QMenu* popup) {
    QPushButton* pressed = bigButtons_[static_cast<std::size_t>(button) - 1];
    work_.PressButton(button);
    // At the mouse pointer when the mouse pressed it; under the button when
    // the keyboard did.
    QPoint at = QCursor::pos();
    if (!pressed->rect().contains(pressed->mapFromGlobal(at))) {
        at = pressed->mapToGlobal(QPoint(0, pressed->height()));
    }
    popup->exec(at);
}

void Tfrmmain::OpenRowFile(TFileRow row) {
    if (row == TFileRow::frLoader && !work_.ConfirmLoaderChoice()) {
        return;
    }
    const TRowDialog dialog = DialogOf(row);
    const auto file = files_.OpenFile(this, QString::fromLatin1(dialog.title), dialog.filter,
                                      Q(work_.FileDialogFolder(row)));
    if (file) {
        work_.SetFileField(row, file->string());
    }
}

void Tfrmmain::ViewRow(TFileRow row) {
    Handle([&] { work_.ViewFile(row); });
}

void Tfrmmain::ShowStatus(const std::string& caption, TStatusColour /*colour*/) {
    // The step that runs is shown at once, even in the middle of a command.
    status_->setText(Q(caption));
    ScheduleRender();
}

void Tfrmmain::ShowFileRow(TFileRow /*row*/, const TRowStatus& /*status*/) {
    ScheduleRender();
}

void Tfrmmain::ShowFieldText(TFileRow /*row*/, const std::string& /*text*/) {
    ScheduleRender();
}

void Tfrmmain::ShowCardLayout(const TCardLayout& /*layout*/) {
    ScheduleRender();
}

void Tfrmmain::ShowDescription(const std::string& /*text*/) {
    ScheduleRender();
}

void Tfrmmain::ShowFuses(const TFuseChoices& /*fuses*/) {
    ScheduleRender();
}

void Tfrmmain::ShowWindowCaption(const std::string& /*caption*/) {
    ScheduleRender();
}

void Tfrmmain::ShowPortChoice(int /*comPort*/) {
    ScheduleRender();
}

void Tfrmmain::ShowSpeedChoice(TBaudRate /*rate*/) {
    ScheduleRender();
}

void Tfrmmain::ShowLanguage() {
    ScheduleRender();
}

void Tfrmmain::EnableCommands(bool enabled) {
    commandsEnabled_ = enabled;
    // Before the command sends anything, its entry points are off.
    Render();
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
    gauge_->SetValue(percent);
}

void Tfrmmain::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    bool mayClose = true;
    try {
        mayClose = work_.FormClose();
    } catch (const std::exception& error) {
        // The settings could not be saved: say so, and let the window go.
        prompts_.ShowMessage(TMessageKind::mkError, -1, DescribeError(error));
    }
    if (!mayClose) {
        // A command runs: it has been asked to stop, and the close timer
        // finishes the close once it has.
        event->ignore();
        closeTimer_.start();
        return;
    }
    closing_ = true;
    closeTimer_.stop();
    FlushLog();
    if (production_ != nullptr) {
        production_->close();
    }
    event->accept();
}

bool Tfrmmain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tbsSimple_ && event->type() == QEvent::Resize) {
        PlaceRows();
    }
    if (watched == image1_ && event->type() == QEvent::MouseButtonDblClick) {
        ToggleLogPanel();
        return true;
    }
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (watched != rows_[i].field) {
            continue;
        }
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (drag->mimeData()->hasUrls() && drag->mimeData()->urls().front().isLocalFile()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (drop->mimeData()->hasUrls() && drop->mimeData()->urls().front().isLocalFile()) {
                const std::string file = U(drop->mimeData()->urls().front().toLocalFile());
                const auto row = static_cast<TFileRow>(i);
                Handle([&] { work_.SetFileField(row, file); });
                drop->acceptProposedAction();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tfrmmain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!centred_ && screen() != nullptr) {
        centred_ = true;
        move(screen()->availableGeometry().center() - rect().center());
    }
}

} // namespace korvex::gui
