#pragma once

#include "workflows/charts/chartboard.h"

#include <QWidget>

#include <atomic>
#include <memory>

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvex {
class TPMainWorkflows;
class TPProductionBoard;
} // namespace korvex

namespace korvex::gui {

// The production window's charts of a record: the choice of source, range
// and station, the totals, and three charts (cards per hour, failures by
// step, first-pass yield over time). A face over TPChartBoard; the record is
// read on a thread of the pool, so a database that is slow to answer leaves
// the window as it is, saying it reads meanwhile.
class TChartsTab final : public QWidget {
    Q_OBJECT
public:
    TChartsTab(TPMainWorkflows& work, const TPProductionBoard& production);
    ~TChartsTab() override;

    // Reads the record again, as the choices say.
    void Reload();
    // The run went on (`cards` done, or it started or ended): the charts of
    // this run or of today follow it while they are shown.
    void FollowRun(int cards, bool running);
    // Words everything afresh, e.g. after a change of language.
    void Refresh();
    // The size at which the charts can be read, within what the window's
    // screen offers.
    QSize ReadableSize() const;

    // The tab takes the size the run's page gives the window, not the other
    // way round: charts have no size of their own.
    QSize sizeHint() const override { return {}; }
    QSize minimumSizeHint() const override { return {}; }
    bool hasHeightForWidth() const override { return false; }
    int heightForWidth(int /*width*/) const override { return -1; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Build();
    QLayout* BuildChoices();
    void Draw();
    void DrawCards();
    void DrawSteps();
    void DrawYield();

    TPChartBoard board_;
    int followedCards_ = -1;
    bool followedRunning_ = false;
    // The read under way: given up when the tab goes.
    std::shared_ptr<std::atomic<bool>> reading_;

    QLabel* sourceCaption_ = nullptr;
    QComboBox* source_ = nullptr;
    QLabel* spanCaption_ = nullptr;
    QComboBox* span_ = nullptr;
    QLabel* sinceCaption_ = nullptr;
    QLineEdit* since_ = nullptr;
    QLabel* untilCaption_ = nullptr;
    QLineEdit* until_ = nullptr;
    QLabel* stationCaption_ = nullptr;
    QComboBox* station_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* totals_ = nullptr;
    QChartView* cards_ = nullptr;
    QChartView* steps_ = nullptr;
    QChartView* yield_ = nullptr;
};

} // namespace korvex::gui
