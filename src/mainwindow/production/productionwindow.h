#pragma once

#include "workflows/production/productionboard.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace korvex {
class TPMainWorkflows;
class TPrompts;
} // namespace korvex

namespace korvex::gui {

class TChartsTab;
class TFileChooser;
class TProductionRunView;

// The production window: a tool window beside the main window that runs the
// production line from one big button and shows the run (see
// TProductionRunView). A face over TPProductionBoard: the controls
// hand their events to the board, and everything shown is drawn from the
// board's view.
class TfrmProduction final : public QWidget {
    Q_OBJECT
public:
    TfrmProduction(TPMainWorkflows& work, TPrompts& prompts, TFileChooser& files, QWidget* parent);
    ~TfrmProduction() override;

    // Words the view afresh and draws it, e.g. after a command started or
    // ended, a step began or the language changed.
    void Refresh();
    // The card in hand's progress.
    void ShowGauge(int percent);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Build();
    QLayout* BuildPlan();
    void ChooseRecordFile();
    void Toggle();
    void TabChosen(int index);
    void Draw();
    // Taller when what it holds needs it at least, never shorter on its own.
    void FitHeight();

    TPMainWorkflows& work_;
    TPrompts& prompts_;
    TFileChooser& files_;
    TPProductionBoard board_;
    // The window was closed during a run: it goes once the run has ended.
    bool closeAfterRun_ = false;

    QTabWidget* tabs_ = nullptr;
    TChartsTab* charts_ = nullptr;
    QSize runSize_; // the window's size on the run's page while charts show

    QLabel* recordCaption_ = nullptr;
    QLineEdit* recordFile_ = nullptr;
    QToolButton* browse_ = nullptr;
    QLabel* recordName_ = nullptr;
    QLabel* databaseCaption_ = nullptr;
    QLineEdit* database_ = nullptr;
    QLabel* stationCaption_ = nullptr;
    QLineEdit* station_ = nullptr;
    QSpinBox* count_ = nullptr;
    QPushButton* run_ = nullptr;
    TProductionRunView* runView_ = nullptr;
};

} // namespace korvex::gui
