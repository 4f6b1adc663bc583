#include "mainwindow/production/productionwindow.h"

#include "dialogs/filechooser.h"
#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "mainwindow/production/chartstab.h"
#include "mainwindow/production/gangrunview.h"
#include "mainwindow/production/gangstation.h"
#include "mainwindow/production/productionrunview.h"
#include "workflows/entries.h"
#include "workflows/presenter/mainworkflows.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace korvex::gui {

namespace {

constexpr std::string_view kRecordFilter = "CSV Files (*.csv)|*.csv";
// More cards than a line makes in a year; the box only needs a bound.
constexpr int kMostCards = 999'999;
// What a window's title bar and frame take of the screen's height, about.
constexpr int kTitleRoom = 48;

// A text field whose every edit goes to the board at once.
QLineEdit* PlanField(const char* name, QLabel* caption) {
    auto* field = Named(new QLineEdit, name);
    caption->setBuddy(field);
    return field;
}

} // namespace

TfrmProduction::TfrmProduction(TPMainWorkflows& work, TPrompts& prompts, TFileChooser& files,
                               QWidget* parent, const TGangParts* gang)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), work_(work),
      prompts_(prompts), files_(files), board_(work) {
    setObjectName(QStringLiteral("frmProduction"));
    if (gang != nullptr && gang->listDevices && gang->opener) {
        gang_ = new TGangStation(work_, *gang, this);
        gang_->OnChange = [this] { DrawGang(); };
    }
    Build();
    board_.OnChange = [this] { Draw(); };
    FollowMainPort();
    Draw();
    if (gang_ != nullptr) {
        DrawGang();
    }
    // The recent cards as many as the screen has room for, the rest of the
    // run in its own fixed places.
    QSize start = sizeHint();
    if (screen() != nullptr) {
        start.setHeight(
            std::min(start.height(), screen()->availableGeometry().height() - kTitleRoom));
    }
    resize(start.expandedTo(minimumSizeHint()));
}

TfrmProduction::~TfrmProduction() {
    board_.OnChange = nullptr;
    if (gang_ != nullptr) {
        gang_->OnChange = nullptr;
    }
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
    // The database and the station it is known by, side by side: the run
    // below keeps the height.
    auto* shared = new QHBoxLayout;
    shared->addWidget(database_, 3);
    shared->addWidget(stationCaption_);
    shared->addWidget(station_, 1);
    plan->addWidget(databaseCaption_, 2, 0);
    plan->addLayout(shared, 2, 1, 1, 2);
    plan->setColumnStretch(1, 1);
    if (gang_ != nullptr) {
        BuildPorts(*plan);
    }
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
    column->setSpacing(6);
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

    runView_ = new TProductionRunView;
    column->addWidget(runView_, 1);
    gangView_ = new TGangRunView;
    gangView_->setObjectName(QStringLiteral("gangRunView"));
    gangView_->setVisible(false);
    column->addWidget(gangView_, 1);

    setMinimumWidth(560);
}

void TfrmProduction::Refresh() {
    FollowMainPort();
    board_.Refresh();
    if (gang_ != nullptr) {
        gang_->Board().Refresh();
    }
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
    runView_->ShowGauge(percent);
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
    if (GangRunning()) {
        gang_->Stop();
        Draw();
        return;
    }
    if (GangMode() && !work_.Busy()) {
        Handle(prompts_, [this] { StartGang(); });
        Draw();
        return;
    }
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
    if (GangRunning()) {
        // Every slot finishes its card in hand; the window goes when the
        // last has ended.
        gang_->Stop();
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
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
    // Every part of the run has its fixed height: only what the plan needs
    // at least (a long record name wraps) can call for more.
    const int needed = layout()->totalMinimumSize().height();
    if (needed > height()) {
        resize(width(), needed);
    }
}

void TfrmProduction::Draw() {
    const TProductionView& view = board_.View();
    const bool gangShown = GangMode() || GangRunning();
    const bool gangRunning = GangRunning();
    setWindowTitle(Q(view.title));
    tabs_->setTabText(0, Q(work_.Text(entries::kRunTab)));
    tabs_->setTabText(tabs_->indexOf(charts_), Q(work_.Text(entries::kChartsTab)));
    if (gangShown) {
        const TGangView& gangView = gang_->Board().View();
        charts_->FollowRun(gangView.good + gangView.failed, gangView.running);
    } else {
        charts_->FollowRun(view.good + view.failed, view.running);
    }

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
        plan->setEnabled(view.planEnabled && !gangRunning);
    }
    if (ports_ != nullptr) {
        portsCaption_->setText(Q(work_.Text(entries::kProductionPorts)));
        ports_->setToolTip(Q(work_.Text(entries::kProductionPortsTip)));
        ports_->setEnabled(view.planEnabled && !gangRunning && !view.running);
    }

    run_->setText(Q(gangRunning ? work_.Text(entries::kProductionStop) : view.buttonCaption));
    run_->setEnabled(gangRunning || view.buttonEnabled);
    runView_->setVisible(!gangShown);
    gangView_->setVisible(gangShown);
    if (gangShown) {
        gangView_->Render(gang_->Board().View(), view);
    } else {
        runView_->Render(view);
    }
    FitHeight();
}

} // namespace korvex::gui
