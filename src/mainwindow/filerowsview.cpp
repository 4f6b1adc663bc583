#include "mainwindow/filerowsview.h"

#include "dialogs/captiontargets.h"
#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "mainwindow/filefield.h"
#include "workflows/entries.h"
#include "workflows/filerows/filerows.h"
#include "workflows/presenter/mainworkflows.h"

#include <QGridLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace korvex::gui {

namespace {

struct TRowNames {
    TFileRow row;
    const char* label;
    const char* labelText;
    const char* field;
    const char* open;
    const char* view;
    const char* status;
};

constexpr TRowNames kRows[] = {
    {TFileRow::frProgram, "lblPicCaption", "File to Pic :", "flePicfile", "BitBtn1", "btnViewPic",
     "edtPicStatus"},
    {TFileRow::frEeprom, "lblEeprom", "File to Eeprom :", "fleEeprom", "btnOpenEe", "btnViewEeprom",
     "edtEestatus"},
    {TFileRow::frIntEeprom, "lblIntEe", "File to Int Ee. :", "fleIntEe", "btnOpenIntEe",
     "btnViewIntEe", "edtIneEeStatus"},
    {TFileRow::frLoader, "lblLoader", "Loader :", "fleLoader", "btnOpenLoader", "btnViewLoader",
     "edtLoaderStatus"},
};

// Wide enough for a file name such as "sampleavr_eeprom.hex" in full: the
// field, not the status beside it, is what the user reads.
constexpr int kFieldChars = 24;
constexpr int kFieldMargin = 6;

} // namespace

TFileRowsView::TFileRowsView(TPMainWorkflows& work, QWidget* parent)
    : QWidget(parent), work_(work) {
    setObjectName(QStringLiteral("tbsSimple"));
    grid_ = new QGridLayout(this);
    grid_->setColumnStretch(1, 1);
    grid_->setHorizontalSpacing(4);
    for (const TRowNames& names : kRows) {
        TRow& row = rows_[static_cast<std::size_t>(names.row)];
        row.label = Named(new QLabel(QString::fromLatin1(names.labelText)), names.label);
        row.field = Named(new TFileField, names.field);
        // The characters, and the frame and margins around them.
        row.field->setMinimumWidth(row.field->fontMetrics().averageCharWidth() * kFieldChars +
                                   2 * kFieldMargin);
        row.label->setBuddy(row.field);
        row.open = Named(new QToolButton, names.open);
        row.open->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
        row.view = Named(new QToolButton, names.view);
        row.view->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
        row.status = Named(new QLabel, names.status);
        row.status->setAlignment(Qt::AlignCenter);
        row.status->setAutoFillBackground(true);
        row.status->setFrameShape(QFrame::StyledPanel);
        row.status->setFrameShadow(QFrame::Sunken);
        row.status->setMargin(2);

        const TFileRow which = names.row;
        connect(row.field, &TFileField::PathEdited, this, [this, which](const QString& path) {
            work_.SetFileField(which, U(path));
            emit Changed();
        });
        connect(row.open, &QToolButton::clicked, this, [this, which] { emit OpenAsked(which); });
        connect(row.view, &QToolButton::clicked, this, [this, which] { work_.ViewFile(which); });
    }
    Arrange(false);
}

void TFileRowsView::AddCaptions(TCaptionTargets& captions) {
    for (const TRow& row : rows_) {
        captions.Add(row.label);
    }
    const auto forEveryRow = [this](auto set) {
        return [this, set](const QString& text) {
            for (const TRow& row : rows_) {
                set(row, text);
            }
        };
    };
    captions.AddText("rows/hint", forEveryRow([](const TRow& row, const QString& text) {
                         row.field->SetHint(text);
                     }));
    captions.AddText("rows/open", forEveryRow([](const TRow& row, const QString& text) {
                         row.open->setToolTip(text);
                     }));
    captions.AddText("rows/view", forEveryRow([](const TRow& row, const QString& text) {
                         row.view->setToolTip(text);
                     }));
}

void TFileRowsView::Arrange(bool avr) {
    const int family = avr ? 1 : 0;
    if (family == arrangedFor_) {
        return;
    }
    arrangedFor_ = family;
    const std::array<TFileRow, kFileRowCount> order =
        avr ? std::array{TFileRow::frProgram, TFileRow::frIntEeprom, TFileRow::frEeprom,
                         TFileRow::frLoader}
            : std::array{TFileRow::frProgram, TFileRow::frEeprom, TFileRow::frIntEeprom,
                         TFileRow::frLoader};
    QWidget* previous = nullptr;
    for (int line = 0; line < kFileRowCount; ++line) {
        const TRow& row = rows_[static_cast<std::size_t>(order[static_cast<std::size_t>(line)])];
        grid_->addWidget(row.label, line, 0);
        grid_->addWidget(row.field, line, 1);
        grid_->addWidget(row.open, line, 2);
        grid_->addWidget(row.view, line, 3);
        grid_->addWidget(row.status, line, 4);
        // Tab goes along each row, then down to the next.
        for (QWidget* control : {static_cast<QWidget*>(row.field), static_cast<QWidget*>(row.open),
                                 static_cast<QWidget*>(row.view)}) {
            if (previous != nullptr) {
                setTabOrder(previous, control);
            }
            previous = control;
        }
    }
    grid_->setRowStretch(kFileRowCount, 1);
    const TRow& intEe = rows_[static_cast<std::size_t>(TFileRow::frIntEeprom)];
    const TRow& loader = rows_[static_cast<std::size_t>(TFileRow::frLoader)];
    for (const TRow* row : {&intEe, &loader}) {
        const bool shown = row == &intEe && avr;
        for (QWidget* control :
             {static_cast<QWidget*>(row->label), static_cast<QWidget*>(row->field),
              static_cast<QWidget*>(row->open), static_cast<QWidget*>(row->view),
              static_cast<QWidget*>(row->status)}) {
            control->setVisible(shown);
        }
    }
}

// The status column keeps one width whatever a row shows, wide enough for
// every state's word in the language shown, so no field jumps.
void TFileRowsView::SizeStatuses(const TMainSnapshot& shot) {
    std::vector<std::string> words{work_.Text(entries::kNoFile), work_.Text(entries::kFileFound),
                                   TPFileRows::kDefaultState, TPFileRows::kMissingState};
    for (const TRowView& row : shot.rows) {
        words.push_back(row.status.text);
    }
    std::string key;
    for (const std::string& word : words) {
        key += word + '\n';
    }
    if (key == statusesSizedFor_) {
        return;
    }
    statusesSizedFor_ = key;
    const QLabel* sample = rows_[0].status;
    int widest = 0;
    for (const std::string& word : words) {
        widest = std::max(widest, sample->fontMetrics().horizontalAdvance(Q(word)));
    }
    // A little air on either side of the word, as on a button.
    const int width = widest + 2 * (sample->margin() + sample->frameWidth()) + 8;
    for (const TRow& row : rows_) {
        row.status->setMinimumWidth(width);
    }
}

void TFileRowsView::Render(const TMainSnapshot& shot, bool idle) {
    Arrange(shot.layout.avrKind);
    SizeStatuses(shot);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const TRow& row = rows_[i];
        const TRowView& view = shot.rows[i];
        row.field->SetPath(Q(view.field));
        row.status->setText(Q(view.status.text));
        // Why a named file shows no file, for the user who wonders.
        row.status->setToolTip(Q(view.problem));
        PaintStatus(row.status, view.status.colour);
        row.view->setEnabled(view.status.viewEnabled);
    }
    const bool eeprom = shot.layout.eepromRowEnabled;
    for (const TFileRow which : {TFileRow::frEeprom, TFileRow::frLoader}) {
        const TRow& row = rows_[static_cast<std::size_t>(which)];
        row.field->setEnabled(eeprom);
        row.open->setEnabled(eeprom);
        row.label->setEnabled(eeprom);
        if (!eeprom) {
            row.view->setEnabled(false);
        }
    }
    setEnabled(idle);
}

} // namespace korvex::gui
