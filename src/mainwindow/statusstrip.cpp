#include "mainwindow/statusstrip.h"

#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "mainwindow/gauge.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace korvex::gui {

namespace {

// The lines of text the block under the panel holds: a port line, a result
// and two remarks, or any of them wrapped.
constexpr int kLinesShown = 5;

QLabel* WrappingLine(const char* name) {
    auto* line = Named(new QLabel, name);
    line->setWordWrap(true);
    line->setTextFormat(Qt::PlainText);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    line->hide();
    return line;
}

// Shows a line with its text, or hides it when there is none; what does not
// fit its place is in its tip.
void ShowLine(QLabel* line, const QString& text) {
    if (line->text() != text) {
        line->setText(text);
        line->setToolTip(text);
    }
    line->setVisible(!text.isEmpty());
}

} // namespace

TStatusStrip::TStatusStrip(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    status_ = Named(new QLabel(QStringLiteral("Not Connected")), "pnlWriterStatus");
    status_->setAlignment(Qt::AlignCenter);
    status_->setAutoFillBackground(true);
    status_->setFrameShape(QFrame::Panel);
    status_->setFrameShadow(QFrame::Sunken);
    status_->setMargin(2);
    gauge_ = new TGauge;
    gauge_->setMinimumWidth(gauge_->sizeHint().width());
    lines_ = Named(new QWidget, "pnlLines");
    auto* column = new QVBoxLayout(lines_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    portProblem_ = WrappingLine("lblPortProblem");
    Paint(portProblem_, QPalette::WindowText, QColor(170, 0, 0));
    portHint_ = WrappingLine("lblPortHint");
    result_ = WrappingLine("lblResult");
    notes_ = WrappingLine("lblNotes");
    for (QLabel* line : {portProblem_, portHint_, result_, notes_}) {
        column->addWidget(line);
    }
    column->addStretch(1);
    grid->addWidget(status_, 0, 0);
    grid->addWidget(gauge_, 0, 1);
    grid->addWidget(lines_, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    SizeLines();
}

void TStatusStrip::SizeLines() {
    lines_->setFixedHeight(kLinesShown * fontMetrics().lineSpacing());
}

void TStatusStrip::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        SizeLines();
    }
}

void TStatusStrip::SizePanel(const std::vector<std::string>& captions) {
    if (captions == sizedFor_) {
        return;
    }
    sizedFor_ = captions;
    int widest = 0;
    for (const std::string& caption : captions) {
        widest = std::max(widest, status_->fontMetrics().horizontalAdvance(Q(caption)));
    }
    status_->setFixedWidth(widest + 2 * (status_->margin() + status_->frameWidth()) + 12);
}

void TStatusStrip::Render(const TMainSnapshot& shot) {
    SizePanel(shot.statusCaptions);
    status_->setText(Q(shot.statusCaption));
    PaintStatus(status_, shot.statusColour);
    gauge_->SetValue(shot.gauge);
    // Why the chosen port is not open, where the user looks: in the CLI's words.
    ShowLine(portProblem_, Q(shot.portProblem));
    ShowLine(portHint_, Q(shot.portHint));
    Paint(result_, QPalette::WindowText,
          shot.result.succeeded ? QColor(0, 120, 0) : QColor(170, 0, 0));
    ShowLine(result_, Q(shot.result.text));
    QStringList notes;
    for (const std::string& note : shot.notes) {
        notes << Q(note);
    }
    ShowNotes(notes);
}

void TStatusStrip::ShowStatus(const std::string& caption) {
    status_->setText(Q(caption));
}

void TStatusStrip::AddNote(const std::string& text) {
    QStringList lines = notesShown_;
    lines << Q(text);
    ShowNotes(lines.mid(std::max<qsizetype>(0, lines.size() - 2)));
}

void TStatusStrip::ShowNotes(const QStringList& lines) {
    notesShown_ = lines;
    ShowLine(notes_, lines.join(QLatin1Char('\n')));
}

} // namespace korvex::gui
