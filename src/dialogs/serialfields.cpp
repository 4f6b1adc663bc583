#include "dialogs/serialfields.h"

#include "dialogs/qtext.h"
#include "dialogs/serialfield.h"
#include "dialogs/widgettools.h"
#include "support/textconv.h"
#include "workflows/entries.h"
#include "workflows/presenter/mainworkflows.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace korvex::gui {

namespace {

// A label's caption as a column's heading: without its colon.
QString Heading(const std::string& caption) {
    return Q(caption).remove(QLatin1Char(':')).trimmed();
}

QString Values(const TSerialField& field) {
    if (field.source == TSerialSource::ssList) {
        return Q(field.list.filename().string());
    }
    return QStringLiteral("%1 \u2013 %2, +%3").arg(field.first).arg(field.last).arg(field.step);
}

bool SameName(const std::string& a, const std::string& b) {
    return SameTextAscii(a, b);
}

} // namespace

TSerialFieldsBox::TSerialFieldsBox(TPMainWorkflows& work, TFileChooser& files, QWidget* parent)
    : QGroupBox(Q(work.Text(entries::kSerialFields)), parent), work_(work), files_(files),
      stored_(work.SerialFields()), fields_(stored_) {
    setObjectName(QStringLiteral("grbSerials"));
    table_ = Named(new QTableWidget(0, 6), "tblSerials");
    table_->setHorizontalHeaderLabels(
        {Heading(work.Text(entries::kSerialName)), Heading(work.Text(entries::kSerialMemory)),
         Heading(work.Text(entries::kSerialAddress)), Heading(work.Text(entries::kSerialLength)),
         Heading(work.Text(entries::kSerialFormat)), Q(work.Text(entries::kSerialValues))});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Room for a few fields; a card rarely has more.
    table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height() +
                             3 * table_->verticalHeader()->defaultSectionSize() + 4);
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
        const bool chosen = !table_->selectedItems().isEmpty();
        change_->setEnabled(chosen);
        remove_->setEnabled(chosen);
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { ChangeField(); });

    auto* add = Named(new QPushButton(Q(work.Text(entries::kSerialAdd))), "btnSerialAdd");
    change_ = Named(new QPushButton(Q(work.Text(entries::kSerialChange))), "btnSerialChange");
    remove_ = Named(new QPushButton(Q(work.Text(entries::kSerialRemove))), "btnSerialRemove");
    connect(add, &QPushButton::clicked, this, [this] { AddField(); });
    connect(change_, &QPushButton::clicked, this, [this] { ChangeField(); });
    connect(remove_, &QPushButton::clicked, this, [this] { RemoveField(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(change_);
    buttons->addWidget(remove_);
    buttons->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->addWidget(table_);
    column->addLayout(buttons);
    ShowFields();
}

void TSerialFieldsBox::ShowFields() {
    table_->setRowCount(static_cast<int>(fields_.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const TSerialField& field = fields_[static_cast<std::size_t>(row)];
        const QStringList cells{Q(field.name),
                                Q(SerialMemoryName(field.memory)),
                                QStringLiteral("0x%1").arg(field.address, 4, 16, QLatin1Char('0')),
                                QString::number(field.length),
                                Q(SerialFormatName(field.format)),
                                Values(field)};
        for (int column = 0; column < cells.size(); ++column) {
            table_->setItem(row, column, new QTableWidgetItem(cells[column]));
        }
    }
    // Every column in sight, the values' too; the last takes what is left.
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->resizeColumnsToContents();
    int width = 2 * table_->frameWidth() + table_->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < table_->columnCount(); ++column) {
        width += table_->columnWidth(column);
    }
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumWidth(width);
    change_->setEnabled(false);
    remove_->setEnabled(false);
}

void TSerialFieldsBox::Take(const TSerialField& field, const std::string& line) {
    const auto same = [&](const TSerialField& other) { return SameName(other.name, field.name); };
    if (const auto old = std::find_if(fields_.begin(), fields_.end(), same); old != fields_.end()) {
        *old = field;
    } else {
        fields_.push_back(field);
    }
    std::erase_if(set_, [&](const std::string& earlier) {
        return SameName(earlier.substr(0, earlier.find(':')), field.name);
    });
    std::erase_if(removed_, [&](const std::string& name) { return SameName(name, field.name); });
    set_.push_back(line);
    ShowFields();
}

void TSerialFieldsBox::AddField() {
    // The first "SerialN" no field has yet.
    TSerialField field;
    for (int n = 1;; ++n) {
        field.name = "Serial" + std::to_string(n);
        const bool taken = std::any_of(fields_.begin(), fields_.end(), [&](const auto& other) {
            return SameName(other.name, field.name);
        });
        if (!taken) {
            break;
        }
    }
    TfrmSerialField dialog(work_, files_, field, true, this);
    if (dialog.exec() == QDialog::Accepted && dialog.Field()) {
        Take(*dialog.Field(), dialog.Line());
    }
}

void TSerialFieldsBox::ChangeField() {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(fields_.size())) {
        return;
    }
    TfrmSerialField dialog(work_, files_, fields_[static_cast<std::size_t>(row)], false, this);
    if (dialog.exec() == QDialog::Accepted && dialog.Field()) {
        Take(*dialog.Field(), dialog.Line());
    }
}

void TSerialFieldsBox::RemoveField() {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(fields_.size())) {
        return;
    }
    const std::string name = fields_[static_cast<std::size_t>(row)].name;
    fields_.erase(fields_.begin() + row);
    std::erase_if(set_, [&](const std::string& line) {
        return SameName(line.substr(0, line.find(':')), name);
    });
    // A field added in this dialog goes without a trace; one the file has, by name.
    if (std::any_of(stored_.begin(), stored_.end(),
                    [&](const auto& field) { return SameName(field.name, name); })) {
        removed_.push_back(name);
    }
    ShowFields();
}

bool TSerialFieldsBox::Apply() {
    if (set_.empty() && removed_.empty()) {
        return true;
    }
    return work_.EditSerialFields(set_, removed_) == TIntentResult::irDone;
}

} // namespace korvex::gui
