#pragma once

#include "workflows/presenter/snapshot.h"

#include <QWidget>

#include <string>
#include <vector>

class QLabel;

namespace korvex::gui {

class TGauge;

// The foot of the main window: the status panel (the programmer state, or
// the step of the command that runs), the gauge beside it, and under them
// why the port did not open or the remarks of the command in hand, in
// lines that wrap. The panel is as wide as its longest caption, so a step
// never squeezes the gauge.
class TStatusStrip final : public QWidget {
    Q_OBJECT
public:
    explicit TStatusStrip(QWidget* parent = nullptr);

    TGauge& Gauge() const { return *gauge_; }
    void Render(const TMainSnapshot& shot);
    // The step that runs, shown at once, even in the middle of a command.
    void ShowStatus(const std::string& caption);
    // A remark of the command in hand; a new command starts without any.
    void AddNote(const std::string& text);
    void ClearNotes();

private:
    void SizePanel(const std::vector<std::string>& captions);

    QLabel* status_ = nullptr;
    TGauge* gauge_ = nullptr;
    QLabel* portProblem_ = nullptr;
    QLabel* notes_ = nullptr;
    std::vector<std::string> sizedFor_;
};

} // namespace korvex::gui
