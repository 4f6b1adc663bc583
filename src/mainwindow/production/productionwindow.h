#pragma once

#include "mainwindow/production/gangparts.h"
#include "workflows/production/productionboard.h"

#include <string>
#include <vector>

#include <QWidget>

class QGridLayout;
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
class TGangRunView;
class TGangStation;
class TProductionRunView;

// The production window: a tool window beside the main window that runs the
// production line from one big button and shows the run (see
// TProductionRunView). A face over TPProductionBoard: the controls
// hand their events to the board, and everything shown is drawn from the
// board's view. Given the parts to drive programmers of its own, the user
// ticks them in a list, and a run drives each as a slot of its own
// (TGangStation), shown slot by slot; with none ticked, or only the main
// window's, the run is on the main window's programmer.
class TfrmProduction final : public QWidget {
    Q_OBJECT
public:
    TfrmProduction(TPMainWorkflows& work, TPrompts& prompts, TFileChooser& files, QWidget* parent,
                   const TGangParts* gang = nullptr);
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
    void BuildPorts(QGridLayout& plan);
    // The ticked ports' menu, afresh from the devices there are now.
    void ListPorts();
    void Tick(const std::string& device, bool ticked);
    // Whether a run drives programmers of its own (ticked, other than the
    // main window's alone).
    bool GangMode() const;
    // The main window's programmer, as it is between runs.
    void FollowMainPort();
    bool GangRunning() const;
    void StartGang();
    void DrawGang();
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

    TGangStation* gang_ = nullptr; // without gang parts, none
    std::vector<std::string> ticked_;
    std::string mainDevice_;
    QLabel* portsCaption_ = nullptr;
    QToolButton* ports_ = nullptr;
    TGangRunView* gangView_ = nullptr;
};

} // namespace korvex::gui
