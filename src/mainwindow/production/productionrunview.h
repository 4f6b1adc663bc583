#pragma once

#include "workflows/production/productionboard.h"

#include <QWidget>

#include <deque>

class QColor;
class QFrame;
class QLabel;
class QLayout;
class QVBoxLayout;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvex::gui {

class TGauge;

// What a production run shows, to be read from a metre away: the slot's
// state large, the card in hand and its gauge, the counters with the run's
// yield and pace, the serial values of the card in hand and of the last
// card, the last card in its colour and the recent cards. Everything has its
// fixed place and height, shown or empty, so nothing moves as the run goes;
// nothing here opens a box.
class TProductionRunView final : public QWidget {
    Q_OBJECT
public:
    explicit TProductionRunView(QWidget* parent = nullptr);

    void Render(const TProductionView& view);
    void ShowGauge(int percent);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLayout* BuildCounters();
    void BuildCards(QVBoxLayout& column);
    void RenderSlot(const TProductionView& view);
    void RenderLastCard(TLastCardColour colour);
    // The last card's line in its place: a long one cut short, whole in the
    // tip and the list.
    void FitLastCard();
    void RenderRecent(const TProductionView& view);
    // A double-click: the card's whole line, under the list.
    void ShowWhole(QTreeWidgetItem* item);

    QLabel* slot_ = nullptr;
    QLabel* cardInHand_ = nullptr;
    TGauge* gauge_ = nullptr;
    QLabel* goodCaption_ = nullptr;
    QLabel* good_ = nullptr;
    QLabel* failedCaption_ = nullptr;
    QLabel* failed_ = nullptr;
    QLabel* yieldCaption_ = nullptr;
    QLabel* yield_ = nullptr;
    QLabel* rateCaption_ = nullptr;
    QLabel* rate_ = nullptr;
    QLabel* inHandSerials_ = nullptr;
    QLabel* lastCardCaption_ = nullptr;
    QLabel* lastCard_ = nullptr;
    QLabel* lastSerials_ = nullptr;
    QLabel* recentCaption_ = nullptr;
    QTreeWidget* recent_ = nullptr;
    QLabel* whole_ = nullptr;
    QLabel* waiting_ = nullptr;
    // The recent cards drawn, to draw only what changed.
    std::deque<TRecentCard> recentShown_;
    QString lastCardText_;
};

// The colours of good and failed cards, in counters, lines and charts alike.
extern const QColor kGoodColour;
extern const QColor kFailedColour;

// A counter of a run: its caption over a large number (`scale` times the
// font) in the counter's colour.
QFrame* NewCounter(const char* captionName, QLabel*& caption, const char* numberName,
                   QLabel*& number, const QColor& colour, double scale);
// The slot's phase in its colours, and the last card in its own.
void PaintSlot(QLabel* label, TSlotPhase phase, TLastCardColour last);
void PaintLastCard(QLabel* label, TLastCardColour colour);

} // namespace korvex::gui
