#include "mainwindow/production/productionrunview.h"

#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "mainwindow/gauge.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTextLayout>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvex::gui {

namespace {

// The recent cards a list shows without scrolling.
constexpr int kRecentRows = 3;
constexpr int kLastCardLines = 3;
constexpr double kCounterScale = 2.4;

// A line of text with a height of `lines` lines, whatever it holds.
QLabel* FixedLines(const char* name, int lines) {
    auto* label = Named(new QLabel, name);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFixedHeight(lines * label->fontMetrics().lineSpacing() + 2 * label->margin());
    return label;
}

// Sets a label's text and its tip, where what does not fit its place is.
void Show(QLabel* label, const std::string& text) {
    const QString shown = Q(text);
    if (label->text() != shown) {
        label->setText(shown);
        label->setToolTip(shown);
    }
}

// The text as `lines` lines of `width` show it, each line ending where the
// label would wrap it, the last cut short with an ellipsis when more is left.
QString FitLines(const QString& text, const QFont& font, int width, int lines) {
    QTextLayout layout(text, font);
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrapping);
    layout.beginLayout();
    QStringList shown;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (static_cast<int>(shown.size()) == lines - 1) {
            const QString rest = text.mid(line.textStart());
            shown << QFontMetrics(font).elidedText(rest, Qt::ElideRight, width);
            break;
        }
        shown << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return shown.join(QLatin1Char('\n'));
}

} // namespace

const QColor kGoodColour(0, 140, 0);
const QColor kFailedColour(200, 0, 0);

QFrame* NewCounter(const char* captionName, QLabel*& caption, const char* numberName,
                   QLabel*& number, const QColor& colour, double scale) {
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(panel);
    caption = Named(new QLabel, captionName);
    caption->setAlignment(Qt::AlignCenter);
    caption->setWordWrap(true);
    number = Named(new QLabel(QStringLiteral("0")), numberName);
    number->setAlignment(Qt::AlignCenter);
    number->setFont(Scaled(number->font(), scale, true));
    Paint(number, QPalette::WindowText, colour);
    column->addWidget(caption);
    column->addWidget(number);
    return panel;
}

TProductionRunView::TProductionRunView(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    slot_ = Named(new QLabel, "lblSlot");
    slot_->setAlignment(Qt::AlignCenter);
    slot_->setFont(Scaled(slot_->font(), 2.0, true));
    slot_->setAutoFillBackground(true);
    slot_->setFrameShape(QFrame::StyledPanel);
    slot_->setMargin(6);
    slot_->setFixedHeight(slot_->fontMetrics().lineSpacing() + 2 * slot_->margin() + 4);
    column->addWidget(slot_);

    // The card in hand: which one, its step, its serial values and how far
    // it is.
    auto* inHand = new QHBoxLayout;
    cardInHand_ = FixedLines("lblCardInHand", 1);
    inHandSerials_ = FixedLines("lblInHandSerials", 1);
    gauge_ = new TGauge;
    gauge_->setObjectName(QStringLiteral("ggeCardInHand"));
    gauge_->setFixedWidth(gauge_->sizeHint().width());
    inHand->addWidget(cardInHand_, 1);
    inHand->addWidget(inHandSerials_, 1);
    inHand->addWidget(gauge_);
    column->addLayout(inHand);

    column->addLayout(BuildCounters());
    BuildCards(*column);
}

QLayout* TProductionRunView::BuildCounters() {
    auto* counters = new QHBoxLayout;
    counters->addWidget(
        NewCounter("lblGoodCaption", goodCaption_, "lblGood", good_, kGoodColour, kCounterScale));
    counters->addWidget(NewCounter("lblFailedCaption", failedCaption_, "lblFailed", failed_,
                                   kFailedColour, kCounterScale));
    counters->addWidget(NewCounter("lblYieldCaption", yieldCaption_, "lblYield", yield_,
                                   palette().color(QPalette::WindowText), kCounterScale));
    counters->addWidget(NewCounter("lblRateCaption", rateCaption_, "lblRate", rate_,
                                   palette().color(QPalette::WindowText), kCounterScale));
    return counters;
}

void TProductionRunView::BuildCards(QVBoxLayout& column) {
    lastCardCaption_ = Named(new QLabel, "lblLastCardCaption");
    lastCard_ = FixedLines("lblLastCard", kLastCardLines);
    lastCard_->setAutoFillBackground(true);
    lastCard_->setFrameShape(QFrame::StyledPanel);
    lastCard_->setMargin(6);
    lastCard_->setFont(Scaled(lastCard_->font(), 1.0, true));
    // Room for a failure's step, message and where it happened; the list's
    // double-click shows a longer one whole.
    lastCard_->setFixedHeight(kLastCardLines * lastCard_->fontMetrics().lineSpacing() +
                              2 * (lastCard_->margin() + lastCard_->frameWidth()));
    lastSerials_ = FixedLines("lblLastSerials", 1);
    lastSerials_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    auto* lastRow = new QHBoxLayout;
    lastRow->addWidget(lastCardCaption_);
    lastRow->addWidget(lastSerials_, 1);
    column.addLayout(lastRow);
    column.addWidget(lastCard_);

    recentCaption_ = Named(new QLabel, "lblRecentCaption");
    recent_ = Named(new QTreeWidget, "lstRecent");
    recent_->setRootIsDecorated(false);
    recent_->setUniformRowHeights(true);
    recent_->setSelectionMode(QAbstractItemView::SingleSelection);
    recent_->setColumnCount(6);
    recent_->header()->setStretchLastSection(true);
    recent_->setMinimumHeight(kRecentRows * recent_->fontMetrics().lineSpacing() +
                              recent_->header()->sizeHint().height());
    connect(recent_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { ShowWhole(item); });
    whole_ = FixedLines("lblRecentWhole", 2);
    column.addWidget(recentCaption_);
    column.addWidget(recent_, 1);
    column.addWidget(whole_);

    waiting_ = FixedLines("lblWaiting", 2);
    QFont italic = waiting_->font();
    italic.setItalic(true);
    waiting_->setFont(italic);
    column.addWidget(waiting_);
}

void TProductionRunView::ShowGauge(int percent) {
    gauge_->SetValue(percent);
}

void TProductionRunView::Render(const TProductionView& view) {
    RenderSlot(view);
    Show(cardInHand_, view.cardInHand);
    if (view.cardInHand.empty()) {
        gauge_->SetValue(0);
    }
    Show(inHandSerials_,
         view.inHandSerials.empty() ? "" : view.inHandSerialsCaption + " " + view.inHandSerials);
    goodCaption_->setText(Q(view.goodCaption));
    good_->setText(QString::number(view.good));
    failedCaption_->setText(Q(view.failedCaption));
    failed_->setText(QString::number(view.failed));
    yieldCaption_->setText(Q(view.yieldCaption));
    yield_->setText(Q(view.yield));
    rateCaption_->setText(Q(view.rateCaption));
    rate_->setText(Q(view.rate));
    lastCardCaption_->setText(Q(view.lastCardCaption));
    if (lastCardText_ != Q(view.lastCard)) {
        lastCardText_ = Q(view.lastCard);
        FitLastCard();
    }
    Show(lastSerials_, view.lastSerials);
    RenderLastCard(view.lastColour);
    RenderRecent(view);
    Show(waiting_, view.state);
}

void TProductionRunView::FitLastCard() {
    const int width = lastCard_->contentsRect().width() - 2 * lastCard_->margin();
    lastCard_->setText(width > 0 ? FitLines(lastCardText_, lastCard_->font(), width, kLastCardLines)
                                 : lastCardText_);
    lastCard_->setToolTip(lastCardText_);
}

void TProductionRunView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitLastCard();
}

void TProductionRunView::RenderSlot(const TProductionView& view) {
    Show(slot_, view.slotText);
    PaintSlot(slot_, view.slot, view.lastColour);
}

void TProductionRunView::RenderLastCard(TLastCardColour colour) {
    PaintLastCard(lastCard_, colour);
}

void PaintSlot(QLabel* label, TSlotPhase phase, TLastCardColour last) {
    QColor back = label->palette().color(QPalette::Button);
    QColor text = label->palette().color(QPalette::ButtonText);
    switch (phase) {
    case TSlotPhase::spPutCardIn:
        back = QColor(255, 220, 64);
        text = Qt::black;
        break;
    case TSlotPhase::spProgramming:
        back = QColor(40, 90, 200);
        text = Qt::white;
        break;
    case TSlotPhase::spTakeCardOut:
        // In the last card's colour: the operator sees which pile it goes on.
        back = last == TLastCardColour::lcBad ? QColor(210, 30, 30) : QColor(64, 200, 64);
        text = last == TLastCardColour::lcBad ? Qt::white : Qt::black;
        break;
    case TSlotPhase::spStopped:
        break;
    }
    Paint(label, QPalette::Window, back);
    Paint(label, QPalette::WindowText, text);
}

void PaintLastCard(QLabel* label, TLastCardColour colour) {
    switch (colour) {
    case TLastCardColour::lcGood:
        Paint(label, QPalette::Window, QColor(64, 200, 64));
        Paint(label, QPalette::WindowText, Qt::black);
        break;
    case TLastCardColour::lcBad:
        Paint(label, QPalette::Window, QColor(210, 30, 30));
        Paint(label, QPalette::WindowText, Qt::white);
        break;
    case TLastCardColour::lcNone: {
        const QPalette plain =
            label->parentWidget() != nullptr ? label->parentWidget()->palette() : QPalette();
        Paint(label, QPalette::Window, plain.color(QPalette::Window));
        Paint(label, QPalette::WindowText, plain.color(QPalette::WindowText));
        break;
    }
    }
}

void TProductionRunView::RenderRecent(const TProductionView& view) {
    recentCaption_->setText(Q(view.recentCaption));
    QStringList headers;
    for (const std::string& column : view.recentColumns) {
        headers << Q(column);
    }
    recent_->setHeaderLabels(headers);
    if (view.recent == recentShown_) {
        return;
    }
    recentShown_ = view.recent;
    recent_->clear();
    if (view.recent.empty()) {
        whole_->clear();
    }
    for (const TRecentCard& card : view.recent) {
        auto* item = new QTreeWidgetItem(QStringList{Q(card.time), QString::number(card.sequence),
                                                     Q(card.outcome), Q(card.step),
                                                     Q(card.difference), Q(card.serials)});
        item->setData(0, Qt::UserRole, Q(card.line));
        item->setForeground(2, card.verdict == TCardVerdict::cvGood ? kGoodColour : kFailedColour);
        for (int column = 0; column < 6; ++column) {
            item->setToolTip(column, Q(card.line));
        }
        recent_->addTopLevelItem(item);
    }
    for (int column = 0; column < 5; ++column) {
        recent_->resizeColumnToContents(column);
    }
}

void TProductionRunView::ShowWhole(QTreeWidgetItem* item) {
    if (item != nullptr) {
        Show(whole_, U(item->data(0, Qt::UserRole).toString()));
    }
}

} // namespace korvex::gui
