#include "mainwindow/productionwindow.h"

#include "dialogs/filechooser.h"
#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "mainwindow/chartstab.h"
#include "mainwindow/gauge.h"
#include "workflows/entries.h"
#include "workflows/session/mainworkflows.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvex::gui {

namespace {

constexpr std::string_view kRecordFilter = "CSV Files (*.csv)|*.csv";
// More cards than a line makes in a year; the box only needs a bound.
constexpr int kMostCards = 999'999;

// A counter: its caption over a large number in the counter's colour.
QFrame* NewCounter(const char* captionName, QLabel*& caption, const char* numberName,
                   QLabel*& number, const QColor& colour) {
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(panel);
    caption = Named(new QLabel, captionName);
    caption->setAlignment(Qt::AlignCenter);
    number = Named(new QLabel(QStringLiteral("0")), numberName);
    number->setAlignment(Qt::AlignCenter);
    number->setFont(Scaled(number->font(), 3.0, true));
    Paint(number, QPalette::WindowText, colour);
    column->addWidget(caption);
    column->addWidget(number);
    return panel;
}

// A text field whose every edit goes to the board at once.
QLineEdit* PlanField(const char* name, QLabel* caption) {
    auto* field = Named(new QLineEdit, name);
    caption->setBuddy(field);
    return field;
}

} // namespace

TfrmProduction::TfrmProduction(TPMainWorkflows& work, TPrompts& prompts, TFileChooser& files,
                               QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), work_(work),
      prompts_(prompts), files_(files), board_(work) {
    setObjectName(QStringLiteral("frmProduction"));
    Build();
    board_.OnChange = [this] { Draw(); };
    Draw();
}

TfrmProduction::~TfrmProduction() {
    board_.OnChange = nullptr;
}

QLayout* TfrmProduction::BuildPlan() {
    auto* plan = new QGridLayout;
    plan->setHorizontalSpacing(6);
    plan->setVerticalSpacing(2);
    recordCaption_ = Named(new QLabel, "lblRecordFile");
    recordFile_ = PlanField("edtRecordFile", recordCaption_);
    connect(recordFile_, &QLineEdit::textEdited, this,
            [this](const QString& text) { board_.SetRecordFile(U(text)); });
    browse_ = Named(new QToolButton, "btnRecordFile");
    browse_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    connect(browse_, &QToolButton::clicked, this,
            [this] { Handle(prompts_, [this] { ChooseRecordFile(); }); });
    recordName_ = Named(new QLabel, "lblRecordName");
    recordName_->setFont(Scaled(recordName_->font(), 0.9, false));
    recordName_->setForegroundRole(QPalette::PlaceholderText);
    recordName_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    recordName_->setWordWrap(true);
    databaseCaption_ = Named(new QLabel, "lblDatabase");
    database_ = PlanField("edtDatabase", databaseCaption_);
    database_->setPlaceholderText(QStringLiteral("postgresql://"));
    connect(database_, &QLineEdit::textEdited, this,
            [this](const QString& text) { board_.SetDatabase(U(text.trimmed())); });
    stationCaption_ = Named(new QLabel, "lblStation");
    station_ = PlanField("edtStation", stationCaption_);
    connect(station_, &QLineEdit::textEdited, this,
            [this](const QString& text) { board_.SetStation(U(text.trimmed())); });
    plan->addWidget(recordCaption_, 0, 0);
    plan->addWidget(recordFile_, 0, 1);
    plan->addWidget(browse_, 0, 2);
    plan->addWidget(recordName_, 1, 1, 1, 2);
    plan->addWidget(databaseCaption_, 2, 0);
    plan->addWidget(database_, 2, 1, 1, 2);
    plan->addWidget(stationCaption_, 3, 0);
    plan->addWidget(station_, 3, 1, 1, 2);
    plan->setColumnStretch(1, 1);
    return plan;
}

void TfrmProduction::Build() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    tabs_ = Named(new QTabWidget, "tabsProduction");
    auto* runPage = Named(new QWidget, "tabRun");
    charts_ = new TChartsTab(work_, board_);
    tabs_->addTab(runPage, QString());
    tabs_->addTab(charts_, QString());
    connect(tabs_, &QTabWidget::currentChanged, this, &TfrmProduction::TabChosen);
    outer->addWidget(tabs_);

    auto* column = new QVBoxLayout(runPage);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(8);
    column->addLayout(BuildPlan());

    auto* runRow = new QHBoxLayout;
    run_ = Named(new QPushButton, "btnProductionRun");
    run_->setFont(Scaled(run_->font(), 1.6, true));
    run_->setMinimumHeight(56);
    run_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(run_, &QPushButton::clicked, this, &TfrmProduction::Toggle);
    // "Start × 25": the cards a run is asked for; ∞ until it is stopped.
    auto* times = Named(new QLabel(QStringLiteral("\u00D7")), "lblCountSign");
    times->setFont(Scaled(times->font(), 1.6, true));
    count_ = Named(new QSpinBox, "spnCount");
    count_->setRange(0, kMostCards);
    count_->setSpecialValueText(QStringLiteral("\u221E"));
    count_->setFont(Scaled(count_->font(), 1.6, false));
    count_->setMinimumHeight(56);
    count_->setMinimumWidth(110);
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(count_, &QSpinBox::valueChanged, this, [this](int value) { board_.SetCount(value); });
    runRow->addWidget(run_, 1);
    runRow->addWidget(times);
    runRow->addWidget(count_);
    column->addLayout(runRow);

    // The card in hand: which one, its step and how far it is.
    cardInHand_ = Named(new QLabel, "lblCardInHand");
    cardInHand_->setWordWrap(true);
    gauge_ = new TGauge;
    gauge_->setObjectName(QStringLiteral("ggeCardInHand"));
    column->addWidget(cardInHand_);
    column->addWidget(gauge_);

    auto* counters = new QHBoxLayout;
    counters->addWidget(
        NewCounter("lblGoodCaption", goodCaption_, "lblGood", good_, QColor(0, 140, 0)));
    counters->addWidget(
        NewCounter("lblFailedCaption", failedCaption_, "lblFailed", failed_, QColor(200, 0, 0)));
    column->addLayout(counters);

    lastCardCaption_ = Named(new QLabel, "lblLastCardCaption");
    lastCard_ = Named(new QLabel, "lblLastCard");
    lastCard_->setWordWrap(true);
    lastCard_->setAutoFillBackground(true);
    lastCard_->setFrameShape(QFrame::StyledPanel);
    lastCard_->setMargin(6);
    lastCard_->setFont(Scaled(lastCard_->font(), 1.15, true));
    lastCard_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lastCard_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lastCard_->setMinimumHeight(3 * lastCard_->fontMetrics().lineSpacing() + 12);
    lastCard_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::MinimumExpanding);
    lastSerials_ = Named(new QLabel, "lblLastSerials");
    lastSerials_->setWordWrap(true);
    lastSerials_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(lastCardCaption_);
    column->addWidget(lastCard_, 1);
    column->addWidget(lastSerials_);

    waiting_ = Named(new QLabel, "lblWaiting");
    QFont italic = waiting_->font();
    italic.setItalic(true);
    waiting_->setFont(italic);
    waiting_->setWordWrap(true);
    column->addWidget(waiting_);

    setMinimumWidth(440);
}

void TfrmProduction::Refresh() {
    board_.Refresh();
    charts_->Refresh();
}

void TfrmProduction::TabChosen(int index) {
    // Charts want room a run's counters do not: the window grows for them
    // and goes back to the run's size with the run's page.
    if (tabs_->widget(index) == charts_) {
        runSize_ = size();
        resize(size().expandedTo(charts_->ReadableSize()));
    } else if (runSize_.isValid()) {
        resize(runSize_);
        runSize_ = QSize();
    }
}

void TfrmProduction::ShowGauge(int percent) {
    gauge_->SetValue(percent);
}

void TfrmProduction::ChooseRecordFile() {
    const std::filesystem::path current = board_.RecordFile();
    const auto file = files_.SaveFile(this, Q(work_.Text(entries::kChooseRecordFile)),
                                      kRecordFilter, Q(current.parent_path().string()));
    if (file) {
        board_.SetRecordFile(*file);
    }
}

void TfrmProduction::Toggle() {
    // Starting returns when the run has ended; this window's events, the
    // Stop among them, run meanwhile.
    Handle(prompts_, [this] { board_.Toggle(); });
    Draw();
    if (closeAfterRun_ && !work_.ProductionRunning()) {
        closeAfterRun_ = false;
        close();
    }
}

void TfrmProduction::closeEvent(QCloseEvent* event) {
    if (work_.ProductionRunning()) {
        // The card in hand is finished and recorded first; the window goes
        // when the run has ended.
        work_.StopProduction();
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

void TfrmProduction::FitHeight() {
    if (layout() == nullptr) {
        return;
    }
    const int needed = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                     : layout()->totalMinimumSize().height();
    if (needed > height()) {
        resize(width(), needed);
    }
}

void TfrmProduction::Draw() {
    const TProductionView& view = board_.View();
    setWindowTitle(Q(view.title));
    tabs_->setTabText(0, Q(work_.Text(entries::kRunTab)));
    tabs_->setTabText(tabs_->indexOf(charts_), Q(work_.Text(entries::kChartsTab)));
    charts_->FollowRun(view.good + view.failed, view.running);

    recordCaption_->setText(Q(view.recordCaption));
    browse_->setToolTip(Q(work_.Text(entries::kChooseRecordFile)));
    recordFile_->setToolTip(Q(work_.Text(entries::kRecordFileTip)));
    count_->setToolTip(Q(work_.Text(entries::kCountTip)));
    databaseCaption_->setText(Q(view.databaseCaption));
    database_->setToolTip(Q(view.databaseTip));
    stationCaption_->setText(Q(view.stationCaption));
    station_->setPlaceholderText(Q(view.defaultStation));
    // Typing goes on where it was when the text is the one typed.
    const auto show = [](QLineEdit* field, const QString& text) {
        if (field->text() != text) {
            const QSignalBlocker blocker(field);
            field->setText(text);
        }
    };
    show(recordFile_, Q(board_.RecordFile().string()));
    show(database_, Q(board_.Database()));
    show(station_, Q(board_.Station()));
    recordName_->setText(Q(view.recordName));
    {
        const QSignalBlocker blocker(count_);
        count_->setValue(board_.Count());
    }
    for (QWidget* plan : {static_cast<QWidget*>(recordFile_), static_cast<QWidget*>(browse_),
                          static_cast<QWidget*>(count_), static_cast<QWidget*>(database_),
                          static_cast<QWidget*>(station_)}) {
        plan->setEnabled(view.planEnabled);
    }

    run_->setText(Q(view.buttonCaption));
    run_->setEnabled(view.buttonEnabled);
    cardInHand_->setText(Q(view.cardInHand));
    cardInHand_->setVisible(!view.cardInHand.empty());
    gauge_->setVisible(view.running);
    if (view.cardInHand.empty()) {
        gauge_->SetValue(0);
    }
    goodCaption_->setText(Q(view.goodCaption));
    good_->setText(QString::number(view.good));
    failedCaption_->setText(Q(view.failedCaption));
    failed_->setText(QString::number(view.failed));

    lastCardCaption_->setText(Q(view.lastCardCaption));
    lastCard_->setText(Q(view.lastCard));
    lastSerials_->setText(Q(view.lastSerials));
    lastSerials_->setVisible(!view.lastSerials.empty());
    switch (view.lastColour) {
    case TLastCardColour::lcGood:
        Paint(lastCard_, QPalette::Window, QColor(64, 200, 64));
        Paint(lastCard_, QPalette::WindowText, Qt::black);
        break;
    case TLastCardColour::lcBad:
        Paint(lastCard_, QPalette::Window, QColor(210, 30, 30));
        Paint(lastCard_, QPalette::WindowText, Qt::white);
        break;
    case TLastCardColour::lcNone:
        Paint(lastCard_, QPalette::Window, palette().color(QPalette::Window));
        Paint(lastCard_, QPalette::WindowText, palette().color(QPalette::WindowText));
        break;
    }
    waiting_->setText(Q(view.state));
    FitHeight();
}

} // namespace korvex::gui
