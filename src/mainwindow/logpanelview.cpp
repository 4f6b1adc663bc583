#include "mainwindow/logpanelview.h"

#include "dialogs/captiontargets.h"
#include "dialogs/filechooser.h"
#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "support/logmemo.h"
#include "workflows/presenter/mainworkflows.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvex::gui {

namespace {

constexpr int kFlushMs = 30;
// Wide enough for a frame's line; the window gives it more when it can.
constexpr int kMemoChars = 36;

} // namespace

TLogPanelView::TLogPanelView(TPMainWorkflows& work, TFileChooser& files, QWidget* parent)
    : QGroupBox(parent), work_(work), files_(files) {
    setObjectName(QStringLiteral("grpLog"));
    auto* layout = new QGridLayout(this);

    memo_ = Named(new QPlainTextEdit, "Memo1");
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setFont(FixedPitchFont());
    memo_->setMinimumWidth(memo_->fontMetrics().averageCharWidth() * kMemoChars);
    // The memo shows what the log memo keeps: its newest lines.
    memo_->setMaximumBlockCount(work_.LogMemo().MaxLines());
    layout->addWidget(memo_, 0, 0, 1, 3);

    startLog_ = Named(new QPushButton(QStringLiteral("Start log")), "btnStartLog");
    connect(startLog_, &QPushButton::clicked, this, [this] {
        work_.ToggleLog();
        emit Changed();
    });
    auto* save = Named(new QPushButton(QStringLiteral("Save log")), "btnSave");
    connect(save, &QPushButton::clicked, this, [this] { SaveLog(); });
    auto* clear = Named(new QPushButton(QStringLiteral("Clear log")), "btnClear");
    connect(clear, &QPushButton::clicked, this, [this] {
        work_.ClearLog();
        pending_.clear();
        memo_->clear();
    });
    layout->addWidget(startLog_, 1, 0);
    layout->addWidget(save, 1, 1);
    layout->addWidget(clear, 1, 2);

    auto* physic = Named(new QLabel(QStringLiteral("Physic")), "Label4");
    auto* delayLabel = Named(new QLabel(QStringLiteral("Delay")), "Label5");
    // Side by side, as the two words of one caption: stacked, they read as two.
    auto* labels = new QHBoxLayout;
    labels->setSpacing(physic->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    labels->addWidget(physic);
    labels->addWidget(delayLabel);
    delay_ = Named(new QLineEdit(QStringLiteral("3")), "Edit3");
    delay_->setMaximumWidth(delay_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    delayLabel->setBuddy(delay_);
    auto* set = Named(new QPushButton(QStringLiteral("Set Delay")), "btnSet");
    connect(set, &QPushButton::clicked, this, [this] {
        work_.SetDelay(U(delay_->text()));
        emit Changed();
    });
    auto* delayRow = new QHBoxLayout;
    delayRow->addLayout(labels);
    delayRow->addWidget(delay_);
    delayRow->addWidget(set);
    delayRow->addStretch(1);
    layout->addLayout(delayRow, 2, 0, 1, 3);

    hidePolls_ = Named(new QCheckBox, "chkHidePolls");
    connect(hidePolls_, &QCheckBox::toggled, this, [this](bool hidden) {
        work_.HidePolls(hidden);
        emit Changed();
    });
    layout->addWidget(hidePolls_, 3, 0, 1, 3);

    // Lines come in bursts during a transfer: gathered, then shown together.
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(kFlushMs);
    connect(&flushTimer_, &QTimer::timeout, this, &TLogPanelView::Flush);
    work_.LogPanel().OnLineAdded = [this](const std::string& line) {
        pending_ << Q(DisplayLogLine(line));
        if (!flushTimer_.isActive()) {
            flushTimer_.start();
        }
    };
}

TLogPanelView::~TLogPanelView() {
    work_.LogPanel().OnLineAdded = nullptr;
}

void TLogPanelView::AddCaptions(TCaptionTargets& captions) {
    captions.Add(this);
    captions.Add(hidePolls_);
    captions.AddTip(delay_);
}

void TLogPanelView::Render(const TMainSnapshot& shot) {
    startLog_->setText(Q(shot.logButtonCaption));
    const QSignalBlocker blocker(hidePolls_);
    hidePolls_->setChecked(shot.pollsHidden);
}

void TLogPanelView::Flush() {
    if (pending_.isEmpty()) {
        return;
    }
    // Only the newest lines can stay in the memo; older ones need not be drawn.
    const qsizetype keep = memo_->maximumBlockCount();
    if (keep > 0 && pending_.size() > keep) {
        pending_ = pending_.mid(pending_.size() - keep);
    }
    memo_->appendPlainText(pending_.join(QLatin1Char('\n')));
    pending_.clear();
}

void TLogPanelView::SaveLog() {
    const auto file =
        files_.SaveFile(this, QStringLiteral("Save log"), "Text File (*.txt)|*.txt", QString());
    if (file) {
        work_.SaveLog(*file);
    }
}

} // namespace korvex::gui
