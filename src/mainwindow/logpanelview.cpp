// The log panel beyond the window's normal width, and the status bar.
#include "dialogs/filechooser.h"
#include "dialogs/qtext.h"
#include "mainwindow/gauge.h"
#include "mainwindow/mainwindow.h"
#include "support/logmemo.h"
#include "workflows/mainworkflows.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace korvex::gui {

namespace {

constexpr int kLogFlushMs = 30;

} // namespace

QWidget* Tfrmmain::BuildLogPanel() {
    auto* panel = new QGroupBox(QStringLiteral("Log"));
    panel->setObjectName(QStringLiteral("grpLog"));
    auto* layout = new QGridLayout(panel);

    memo_ = new QPlainTextEdit;
    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The memo shows what the log memo keeps: its newest lines.
    memo_->setMaximumBlockCount(work_.LogMemo().MaxLines());
    layout->addWidget(memo_, 0, 0, 1, 4);

    startLog_ = new QPushButton(QStringLiteral("Start log"));
    startLog_->setObjectName(QStringLiteral("btnStartLog"));
    connect(startLog_, &QPushButton::clicked, this,
            [this] { Handle([this] { work_.ToggleLog(); }); });
    auto* save = new QPushButton(QStringLiteral("Save log"));
    save->setObjectName(QStringLiteral("btnSave"));
    connect(save, &QPushButton::clicked, this, [this] { Handle([this] { SaveLog(); }); });
    auto* clear = new QPushButton(QStringLiteral("Clear log"));
    clear->setObjectName(QStringLiteral("btnClear"));
    connect(clear, &QPushButton::clicked, this, [this] {
        Handle([this] {
            work_.ClearLog();
            pendingLog_.clear();
            memo_->clear();
        });
    });
    layout->addWidget(startLog_, 1, 0);
    layout->addWidget(save, 1, 1);
    layout->addWidget(clear, 1, 2);

    auto* physic = new QLabel(QStringLiteral("Physic"));
    physic->setObjectName(QStringLiteral("Label4"));
    auto* delayLabel = new QLabel(QStringLiteral("Delay"));
    delayLabel->setObjectName(QStringLiteral("Label5"));
    auto* labels = new QVBoxLayout;
    labels->setSpacing(0);
    labels->addWidget(physic);
    labels->addWidget(delayLabel);
    delay_ = new QLineEdit(QStringLiteral("3"));
    delay_->setObjectName(QStringLiteral("Edit3"));
    delay_->setMaximumWidth(50);
    delay_->setToolTip(QStringLiteral("Pause between blocks, in milliseconds"));
    auto* set = new QPushButton(QStringLiteral("Set Delay"));
    set->setObjectName(QStringLiteral("btnSet"));
    connect(set, &QPushButton::clicked, this,
            [this] { Handle([this] { work_.SetDelay(U(delay_->text())); }); });
    auto* delayRow = new QHBoxLayout;
    delayRow->addLayout(labels);
    delayRow->addWidget(delay_);
    delayRow->addWidget(set);
    delayRow->addStretch(1);
    layout->addLayout(delayRow, 2, 0, 1, 4);

    // Lines come in bursts during a transfer: gathered, then shown together.
    logTimer_.setSingleShot(true);
    logTimer_.setInterval(kLogFlushMs);
    connect(&logTimer_, &QTimer::timeout, this, &Tfrmmain::FlushLog);
    work_.LogPanel().OnLineAdded = [this](const std::string& line) {
        pendingLog_ << Q(DisplayLogLine(line));
        if (!logTimer_.isActive()) {
            logTimer_.start();
        }
    };
    return panel;
}

void Tfrmmain::FlushLog() {
    if (pendingLog_.isEmpty()) {
        return;
    }
    // Only the newest lines can stay in the memo; older ones need not be drawn.
    const qsizetype keep = memo_->maximumBlockCount();
    if (keep > 0 && pendingLog_.size() > keep) {
        pendingLog_ = pendingLog_.mid(pendingLog_.size() - keep);
    }
    memo_->appendPlainText(pendingLog_.join(QLatin1Char('\n')));
    pendingLog_.clear();
}

void Tfrmmain::SaveLog() {
    const auto file =
        files_.SaveFile(this, QStringLiteral("Save log"), "Text File (*.txt)|*.txt", QString());
    if (file) {
        work_.SaveLog(*file);
    }
}

void Tfrmmain::ToggleLogPanel() {
    setFixedSize(TPLogPanel::ToggledWidth(width()), WindowHeight());
}

void Tfrmmain::BuildStatusBar() {
    status_ = new QLabel(QStringLiteral("Not Connected"));
    status_->setObjectName(QStringLiteral("pnlWriterStatus"));
    status_->setAlignment(Qt::AlignCenter);
    status_->setAutoFillBackground(true);
    status_->setMinimumWidth(150);
    status_->setFrameShape(QFrame::Panel);
    status_->setFrameShadow(QFrame::Sunken);
    gauge_ = new TGauge;
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(status_, 0);
    statusBar()->addWidget(gauge_, 1);
}

} // namespace korvex::gui
