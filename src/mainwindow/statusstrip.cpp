#include "mainwindow/statusstrip.h"

#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "mainwindow/gauge.h"

#include <QGridLayout>
#include <QLabel>
#include <QStyle>

#include <algorithm>

namespace korvex::gui {

namespace {

// The last remarks of a command are enough to tell what happened.
constexpr qsizetype kNotesShown = 3;

QLabel* WrappingLine(const char* name) {
    auto* line = Named(new QLabel, name);
    line->setWordWrap(true);
    line->setTextFormat(Qt::PlainText);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    line->hide();
    return line;
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
    portProblem_ = WrappingLine("lblPortProblem");
    Paint(portProblem_, QPalette::WindowText, QColor(170, 0, 0));
    notes_ = WrappingLine("lblNotes");
    grid->addWidget(status_, 0, 0);
    grid->addWidget(gauge_, 0, 1);
    grid->addWidget(portProblem_, 1, 0, 1, 2);
    grid->addWidget(notes_, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
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
    portProblem_->setText(Q(shot.portProblem));
    portProblem_->setVisible(!shot.portProblem.empty());
}

void TStatusStrip::ShowStatus(const std::string& caption) {
    status_->setText(Q(caption));
}

void TStatusStrip::AddNote(const std::string& text) {
    QStringList lines =
        notes_->text().isEmpty() ? QStringList() : notes_->text().split(QLatin1Char('\n'));
    lines << Q(text);
    if (lines.size() > kNotesShown) {
        lines = lines.mid(lines.size() - kNotesShown);
    }
    notes_->setText(lines.join(QLatin1Char('\n')));
    notes_->show();
}

void TStatusStrip::ClearNotes() {
    notes_->clear();
    notes_->hide();
}

} // namespace korvex::gui
