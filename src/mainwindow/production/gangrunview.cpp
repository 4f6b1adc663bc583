#include "mainwindow/production/gangrunview.h"

#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "mainwindow/gauge.h"
#include "mainwindow/production/productionrunview.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace korvex::gui {

namespace {

// Two slots side by side: four fit a window a person reads at the line.
constexpr int kColumns = 2;

QLabel* Line(const QString& name, double scale, bool bold) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFont(Scaled(label->font(), scale, bold));
    label->setFixedHeight(label->fontMetrics().lineSpacing() + 4);
    // Its width is the panel's, whatever it holds: a long text is cut short.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return label;
}

// A counter of all slots, beside the others in `row`.
QLabel* Counter(QHBoxLayout& row, const char* captionName, QLabel*& caption, const char* numberName,
                const QColor& colour) {
    QLabel* number = nullptr;
    row.addWidget(NewCounter(captionName, caption, numberName, number, colour, 2.0), 1);
    return number;
}

// The text whole in the tip, and as much as the label's width shows.
void Show(QLabel* label, const std::string& text) {
    const QString whole = Q(text);
    const int width = label->contentsRect().width();
    const QString shown =
        width > 0 ? label->fontMetrics().elidedText(whole, Qt::ElideRight, width) : whole;
    if (label->text() != shown || label->toolTip() != whole) {
        label->setText(shown);
        label->setToolTip(whole);
    }
}

// A few lines of text, wrapped, the tip holding it whole.
void ShowWrapped(QLabel* label, const std::string& text) {
    const QString whole = Q(text);
    if (label->text() != whole) {
        label->setText(whole);
        label->setToolTip(whole);
    }
}

} // namespace

TGangRunView::TGangRunView(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    totalsCaption_ = Named(new QLabel, "lblGangTotals");
    totalsCaption_->setFont(Scaled(totalsCaption_->font(), 1.0, true));
    column->addWidget(totalsCaption_);
    auto* row = new QHBoxLayout;
    const QColor plain = palette().color(QPalette::WindowText);
    good_ = Counter(*row, "lblGangGoodCaption", goodCaption_, "lblGangGood", kGoodColour);
    failed_ = Counter(*row, "lblGangFailedCaption", failedCaption_, "lblGangFailed", kFailedColour);
    yield_ = Counter(*row, "lblGangYieldCaption", yieldCaption_, "lblGangYield", plain);
    rate_ = Counter(*row, "lblGangRateCaption", rateCaption_, "lblGangRate", plain);
    column->addLayout(row);
    grid_ = new QGridLayout;
    grid_->setSpacing(6);
    column->addLayout(grid_);
    column->addStretch(1);
}

TGangRunView::TSlotPanel TGangRunView::NewPanel(std::size_t index) {
    const QString at = QString::number(index + 1);
    TSlotPanel panel;
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("frmSlot") + at);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(frame);
    column->setSpacing(3);
    panel.frame = frame;
    panel.port = Line(QStringLiteral("lblSlotPort") + at, 1.0, true);
    panel.phase = Line(QStringLiteral("lblSlotPhase") + at, 1.4, true);
    panel.phase->setAlignment(Qt::AlignCenter);
    panel.phase->setAutoFillBackground(true);
    auto* inHand = new QHBoxLayout;
    panel.cardInHand = Line(QStringLiteral("lblSlotCardInHand") + at, 1.0, false);
    panel.gauge = new TGauge;
    panel.gauge->setObjectName(QStringLiteral("ggeSlot") + at);
    panel.gauge->setFixedWidth(panel.gauge->sizeHint().width());
    inHand->addWidget(panel.cardInHand, 1);
    inHand->addWidget(panel.gauge);
    panel.lastCard = Line(QStringLiteral("lblSlotLastCard") + at, 1.0, true);
    panel.lastCard->setAutoFillBackground(true);
    panel.counts = Line(QStringLiteral("lblSlotCounts") + at, 1.0, false);
    panel.state = Line(QStringLiteral("lblSlotState") + at, 1.0, false);
    panel.state->setWordWrap(true);
    panel.state->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for the longest reason a slot stops for, in either language, at
    // the width of two slots side by side: the person must read what to do.
    panel.state->setFixedHeight(9 * panel.state->fontMetrics().lineSpacing() + 4);
    QFont italic = panel.state->font();
    italic.setItalic(true);
    panel.state->setFont(italic);
    column->addWidget(panel.port);
    column->addWidget(panel.phase);
    column->addLayout(inHand);
    column->addWidget(panel.lastCard);
    column->addWidget(panel.counts);
    column->addWidget(panel.state);
    const int place = static_cast<int>(index);
    grid_->addWidget(frame, place / kColumns, place % kColumns);
    return panel;
}

void TGangRunView::RenderPanel(TSlotPanel& panel, const TSlotView& slot,
                               const TProductionView& words) {
    Show(panel.port, slot.port);
    Show(panel.phase, slot.phaseText);
    PaintSlot(panel.phase, slot.phase, slot.lastColour);
    if (slot.stoppedAlone) {
        // The slot that needs the person's hand stands out from those that ended as asked.
        Paint(panel.phase, QPalette::Window, QColor(210, 30, 30));
        Paint(panel.phase, QPalette::WindowText, Qt::white);
    }
    Show(panel.cardInHand, slot.cardInHand);
    panel.gauge->SetValue(slot.cardInHand.empty() ? 0 : slot.percent);
    Show(panel.lastCard, slot.lastCard + (slot.lastSerials.empty() ? "" : " " + slot.lastSerials));
    PaintLastCard(panel.lastCard, slot.lastColour);
    Show(panel.counts, words.goodCaption + " " + std::to_string(slot.good) + "    " +
                           words.failedCaption + " " + std::to_string(slot.failed));
    ShowWrapped(panel.state, slot.state);
    Paint(panel.state, QPalette::WindowText,
          slot.stoppedAlone ? QColor(170, 0, 0) : palette().color(QPalette::WindowText));
}

void TGangRunView::Render(const TGangView& view, const TProductionView& words) {
    totalsCaption_->setText(Q(view.totalsCaption));
    goodCaption_->setText(Q(words.goodCaption));
    good_->setText(QString::number(view.good));
    failedCaption_->setText(Q(words.failedCaption));
    failed_->setText(QString::number(view.failed));
    yieldCaption_->setText(Q(words.yieldCaption));
    yield_->setText(Q(view.yield));
    rateCaption_->setText(Q(words.rateCaption));
    rate_->setText(Q(view.rate));
    while (panels_.size() > view.slotViews.size()) {
        delete panels_.back().frame;
        panels_.pop_back();
    }
    while (panels_.size() < view.slotViews.size()) {
        panels_.push_back(NewPanel(panels_.size()));
    }
    for (std::size_t i = 0; i < view.slotViews.size(); ++i) {
        RenderPanel(panels_[i], view.slotViews[i], words);
    }
}

} // namespace korvex::gui
