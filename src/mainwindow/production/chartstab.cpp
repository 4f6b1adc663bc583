#include "mainwindow/production/chartstab.h"

#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "mainwindow/production/productionrunview.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStackedBarSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QtConcurrent/QtConcurrentRun>

namespace korvex::gui {

namespace {

QChartView* NewChartView(const char* name) {
    auto* view = Named(new QChartView, name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(160, 120);
    return view;
}

// A chart without the frame and margins that would take a small window's
// room from the bars.
QChart* NewChart(const std::string& title) {
    auto* chart = new QChart;
    chart->setTitle(Q(title));
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

// The view takes the new chart; the one it held before is ours to delete.
void Show(QChartView* view, QChart* chart) {
    QChart* before = view->chart();
    view->setChart(chart);
    delete before;
}

QValueAxis* CountAxis(const TChartAxis& axis) {
    auto* values = new QValueAxis;
    values->setRange(0, axis.top);
    values->setTickCount(axis.ticks);
    values->setLabelFormat(QStringLiteral("%d"));
    return values;
}

QBarSet* NewBarSet(const std::string& name, const QColor& colour) {
    auto* set = new QBarSet(Q(name));
    set->setColor(colour);
    set->setBorderColor(colour.darker(120));
    return set;
}

QStringList Labels(const std::vector<TChartBucket>& buckets) {
    QStringList labels;
    for (const TChartBucket& bucket : buckets) {
        labels.append(Q(bucket.label));
    }
    return labels;
}

} // namespace

TChartsTab::TChartsTab(TPMainWorkflows& work, const TPProductionBoard& production)
    : board_(work, production) {
    setObjectName(QStringLiteral("tabCharts"));
    Build();
    board_.OnChange = [this] { Draw(); };
    Draw();
}

TChartsTab::~TChartsTab() {
    board_.OnChange = nullptr;
    // A read still under way gives its waits up; its result goes nowhere.
    if (reading_) {
        reading_->store(true);
    }
}

QLayout* TChartsTab::BuildChoices() {
    auto* choices = new QGridLayout;
    choices->setHorizontalSpacing(6);
    choices->setVerticalSpacing(2);
    sourceCaption_ = Named(new QLabel, "lblChartSource");
    source_ = Named(new QComboBox, "cbxChartSource");
    sourceCaption_->setBuddy(source_);
    connect(source_, &QComboBox::activated, this, [this](int index) {
        board_.SetSource(static_cast<TChartSource>(index));
        Reload();
    });
    spanCaption_ = Named(new QLabel, "lblChartSpan");
    span_ = Named(new QComboBox, "cbxChartSpan");
    spanCaption_->setBuddy(span_);
    connect(span_, &QComboBox::activated, this, [this](int index) {
        board_.SetSpan(static_cast<TChartSpan>(index));
        Reload();
    });
    sinceCaption_ = Named(new QLabel, "lblChartSince");
    since_ = Named(new QLineEdit, "edtChartSince");
    sinceCaption_->setBuddy(since_);
    connect(since_, &QLineEdit::textEdited, this,
            [this](const QString& text) { board_.SetSince(U(text.trimmed())); });
    connect(since_, &QLineEdit::returnPressed, this, &TChartsTab::Reload);
    untilCaption_ = Named(new QLabel, "lblChartUntil");
    until_ = Named(new QLineEdit, "edtChartUntil");
    untilCaption_->setBuddy(until_);
    connect(until_, &QLineEdit::textEdited, this,
            [this](const QString& text) { board_.SetUntil(U(text.trimmed())); });
    connect(until_, &QLineEdit::returnPressed, this, &TChartsTab::Reload);
    stationCaption_ = Named(new QLabel, "lblChartStation");
    station_ = Named(new QComboBox, "cbxChartStation");
    stationCaption_->setBuddy(station_);
    connect(station_, &QComboBox::activated, this, [this](int index) { board_.SetStation(index); });
    refresh_ = Named(new QPushButton, "btnChartRefresh");
    connect(refresh_, &QPushButton::clicked, this, &TChartsTab::Reload);

    choices->addWidget(sourceCaption_, 0, 0);
    choices->addWidget(source_, 0, 1);
    choices->addWidget(spanCaption_, 0, 2);
    choices->addWidget(span_, 0, 3);
    choices->addWidget(stationCaption_, 0, 4);
    choices->addWidget(station_, 0, 5);
    choices->addWidget(sinceCaption_, 1, 0);
    choices->addWidget(since_, 1, 1);
    choices->addWidget(untilCaption_, 1, 2);
    choices->addWidget(until_, 1, 3);
    choices->addWidget(refresh_, 1, 5);
    for (const int column : {1, 3, 5}) {
        choices->setColumnStretch(column, 1);
    }
    return choices;
}

void TChartsTab::Build() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(4);
    column->addLayout(BuildChoices());
    state_ = Named(new QLabel, "lblChartState");
    state_->setWordWrap(true);
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    totals_ = Named(new QLabel, "lblChartTotals");
    totals_->setWordWrap(true);
    totals_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(state_);
    column->addWidget(totals_);

    cards_ = NewChartView("chtCardsPerHour");
    steps_ = NewChartView("chtFailuresByStep");
    yield_ = NewChartView("chtFirstPassYield");
    column->addWidget(cards_, 3);
    auto* lower = new QHBoxLayout;
    lower->addWidget(steps_, 1);
    lower->addWidget(yield_, 1);
    column->addLayout(lower, 2);
}

void TChartsTab::Reload() {
    const std::optional<TPChartBoard::TJob> job = board_.Read();
    if (!job) {
        reading_.reset();
        return;
    }
    reading_ = job->query.cancelled;
    // The watcher goes with the tab; the read itself holds all it needs.
    auto* watcher = new QFutureWatcher<TChartRead>(this);
    const int ticket = job->ticket;
    connect(watcher, &QFutureWatcher<TChartRead>::finished, this, [this, watcher, ticket] {
        const TChartRead read = watcher->result();
        watcher->deleteLater();
        board_.Delivered(ticket, read);
    });
    watcher->setFuture(QtConcurrent::run([query = job->query] { return ReadChart(query); }));
}

void TChartsTab::FollowRun(int cards, bool running) {
    if (cards == followedCards_ && running == followedRunning_) {
        return;
    }
    followedCards_ = cards;
    followedRunning_ = running;
    if (isVisible() && board_.FollowsTheRun()) {
        Reload();
    }
}

void TChartsTab::Refresh() {
    board_.Refresh();
}

QSize TChartsTab::ReadableSize() const {
    QSize readable(960, 720);
    if (const QScreen* shown = screen()) {
        readable = readable.boundedTo(shown->availableGeometry().size() * 9 / 10);
    }
    return readable;
}

void TChartsTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Cards may have come since it was shown last.
    Reload();
}

void TChartsTab::Draw() {
    const TChartsView& view = board_.View();
    const auto fill = [](QComboBox* box, const std::vector<std::string>& items, int index) {
        const QSignalBlocker blocker(box);
        QStringList texts;
        for (const std::string& item : items) {
            texts.append(Q(item));
        }
        QStringList shown;
        for (int each = 0; each < box->count(); ++each) {
            shown.append(box->itemText(each));
        }
        if (shown != texts) {
            box->clear();
            box->addItems(texts);
        }
        box->setCurrentIndex(index);
    };
    const auto show = [](QLineEdit* field, const std::string& text) {
        if (field->text() != Q(text)) {
            const QSignalBlocker blocker(field);
            field->setText(Q(text));
        }
    };
    sourceCaption_->setText(Q(view.sourceCaption));
    fill(source_, view.sources, view.source);
    spanCaption_->setText(Q(view.spanCaption));
    fill(span_, view.spans, view.span);
    sinceCaption_->setText(Q(view.sinceCaption));
    untilCaption_->setText(Q(view.untilCaption));
    show(since_, view.since);
    show(until_, view.until);
    for (QWidget* range : {static_cast<QWidget*>(since_), static_cast<QWidget*>(until_)}) {
        range->setEnabled(view.rangeEnabled);
        range->setToolTip(Q(view.rangeTip));
    }
    stationCaption_->setText(Q(view.stationCaption));
    fill(station_, view.stations, view.station);
    station_->setEnabled(view.stationEnabled);
    refresh_->setText(Q(view.refreshCaption));

    state_->setText(Q(view.state));
    state_->setVisible(!view.state.empty());
    Paint(state_, QPalette::WindowText,
          view.failed ? kFailedColour : palette().color(QPalette::WindowText));
    totals_->setText(Q(view.totals));
    totals_->setVisible(!view.totals.empty());
    DrawCards();
    DrawSteps();
    DrawYield();
}

void TChartsTab::DrawCards() {
    const TChartsView& view = board_.View();
    QChart* chart = NewChart(view.cardsTitle);
    auto* good = NewBarSet(view.goodName, kGoodColour);
    auto* failed = NewBarSet(view.failedName, kFailedColour);
    for (const TChartBucket& bucket : view.data.buckets) {
        good->append(bucket.good);
        failed->append(bucket.failed);
    }
    auto* series = new QStackedBarSeries;
    series->append(good);
    series->append(failed);
    chart->addSeries(series);
    auto* times = new QBarCategoryAxis;
    times->append(Labels(view.data.buckets));
    times->setLabelsAngle(view.data.buckets.size() > 12 ? -90 : 0);
    chart->addAxis(times, Qt::AlignBottom);
    series->attachAxis(times);
    QValueAxis* counts = CountAxis(view.data.cardsAxis);
    chart->addAxis(counts, Qt::AlignLeft);
    series->attachAxis(counts);
    Show(cards_, chart);
}

void TChartsTab::DrawSteps() {
    const TChartsView& view = board_.View();
    QChart* chart = NewChart(view.stepsTitle);
    chart->legend()->hide();
    // The step with the most failures on top: a horizontal chart draws its
    // first category at the bottom.
    auto* failed = NewBarSet(view.failedName, kFailedColour);
    QStringList names;
    for (std::size_t index = view.data.steps.size(); index-- > 0;) {
        failed->append(view.data.steps[index].second);
        names.append(Q(view.stepNames[index]));
    }
    auto* series = new QHorizontalBarSeries;
    series->append(failed);
    chart->addSeries(series);
    auto* steps = new QBarCategoryAxis;
    steps->append(names);
    chart->addAxis(steps, Qt::AlignLeft);
    series->attachAxis(steps);
    QValueAxis* counts = CountAxis(view.data.stepsAxis);
    chart->addAxis(counts, Qt::AlignBottom);
    series->attachAxis(counts);
    Show(steps_, chart);
}

void TChartsTab::DrawYield() {
    const TChartsView& view = board_.View();
    QChart* chart = NewChart(view.yieldTitle);
    chart->legend()->hide();
    auto* series = new QLineSeries;
    series->setPointsVisible(true);
    series->setColor(kGoodColour);
    // An hour without a judged card has no yield: no point, the line joins
    // the hours around it.
    for (std::size_t index = 0; index < view.data.buckets.size(); ++index) {
        if (const auto yield = view.data.buckets[index].firstPassYield) {
            series->append(static_cast<qreal>(index), *yield * 100);
        }
    }
    chart->addSeries(series);
    auto* times = new QBarCategoryAxis;
    times->append(Labels(view.data.buckets));
    times->setLabelsAngle(view.data.buckets.size() > 8 ? -90 : 0);
    chart->addAxis(times, Qt::AlignBottom);
    series->attachAxis(times);
    auto* percent = new QValueAxis;
    percent->setRange(0, 100);
    percent->setTickCount(6);
    percent->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(percent, Qt::AlignLeft);
    series->attachAxis(percent);
    Show(yield_, chart);
}

} // namespace korvex::gui
