#pragma once

#include "workflows/presenter/snapshot.h"

#include <QWidget>

#include <string>
#include <vector>

class QLabel;

namespace korvex::gui {

class TGauge;

// The foot of the main window: the status panel (the programmer state, or
// the step of the command that runs), the gauge beside it, and under them,
// in lines that wrap, why the port did not open or that it is the built-in
// simulator, the result of the last command (green or red) and the remarks
// of the command in hand. The panel is as wide as its longest caption, so a
// step never squeezes the gauge; the lines under it keep one height, so the
// window never grows or shrinks as a command comes and goes.
class TStatusStrip final : public QWidget {
    Q_OBJECT
public:
    explicit TStatusStrip(QWidget* parent = nullptr);

    TGauge& Gauge() const { return *gauge_; }
    void Render(const TMainSnapshot& shot);
    // The step that runs, shown at once, even in the middle of a command.
    void ShowStatus(const std::string& caption);
    // A remark of the command in hand, shown at once, even in the middle of
    // a command.
    void AddNote(const std::string& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    void SizePanel(const std::vector<std::string>& captions);
    // The lines' block as high as its lines of text in the font shown.
    void SizeLines();
    void ShowNotes(const QStringList& lines);

    QLabel* status_ = nullptr;
    TGauge* gauge_ = nullptr;
    QWidget* lines_ = nullptr;
    QLabel* portProblem_ = nullptr;
    QLabel* portHint_ = nullptr;
    QLabel* result_ = nullptr;
    QLabel* notes_ = nullptr;
    QStringList notesShown_;
    std::vector<std::string> sizedFor_;
};

} // namespace korvex::gui
