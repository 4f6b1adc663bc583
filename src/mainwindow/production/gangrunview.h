#pragma once

#include "workflows/production/gangboard.h"

#include <QWidget>

#include <vector>

class QGridLayout;
class QLabel;

namespace korvex::gui {

class TGauge;

// A run with several programmers, to be read from a metre away: the totals,
// first-pass yield and rate of all slots above a panel per slot with its
// port, its state large, the card in hand and its gauge, the last card in
// its colour and the slot's counts. Nothing here opens a box.
class TGangRunView final : public QWidget {
    Q_OBJECT
public:
    explicit TGangRunView(QWidget* parent = nullptr);

    void Render(const TGangView& view, const TProductionView& words);

private:
    // One slot's panel; its widgets are named after the slot's place.
    struct TSlotPanel {
        QWidget* frame = nullptr;
        QLabel* port = nullptr;
        QLabel* phase = nullptr;
        QLabel* cardInHand = nullptr;
        TGauge* gauge = nullptr;
        QLabel* lastCard = nullptr;
        QLabel* counts = nullptr;
        QLabel* state = nullptr;
    };
    TSlotPanel NewPanel(std::size_t index);
    void RenderPanel(TSlotPanel& panel, const TSlotView& slot, const TProductionView& words);

    QLabel* totalsCaption_ = nullptr;
    QLabel* goodCaption_ = nullptr;
    QLabel* good_ = nullptr;
    QLabel* failedCaption_ = nullptr;
    QLabel* failed_ = nullptr;
    QLabel* yieldCaption_ = nullptr;
    QLabel* yield_ = nullptr;
    QLabel* rateCaption_ = nullptr;
    QLabel* rate_ = nullptr;
    QGridLayout* grid_ = nullptr;
    std::vector<TSlotPanel> panels_;
};

} // namespace korvex::gui
