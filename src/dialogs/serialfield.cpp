#include "dialogs/serialfield.h"

#include "dialogs/captiontargets.h"
#include "dialogs/filechooser.h"
#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "workflows/entries.h"
#include "workflows/presenter/mainworkflows.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvex::gui {

namespace {

// Longer fields than any processor's memory needs; the check says the rest.
constexpr int kLongestField = 64;
constexpr std::pair<TSerialMemory, int> kMemories[] = {
    {TSerialMemory::smEeprom, entries::kRoleEeprom},
    {TSerialMemory::smIntEeprom, entries::kRoleIntEeprom},
    {TSerialMemory::smProgram, entries::kRoleProgram}};
constexpr TSerialFormat kFormats[] = {TSerialFormat::sfBinaryBigEndian,
                                      TSerialFormat::sfBinaryLittleEndian, TSerialFormat::sfBcd,
                                      TSerialFormat::sfAsciiDecimal, TSerialFormat::sfAsciiHex};

QLabel* Caption(TPMainWorkflows& work, const char* name, int entry) {
    auto* label = Named(new QLabel(Q(work.Text(entry))), name);
    return label;
}

QString Hex(std::uint32_t value) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

TfrmSerialField::TfrmSerialField(TPMainWorkflows& work, TFileChooser& files,
                                 const TSerialField& field, bool isNew, QWidget* parent)
    : QDialog(parent), work_(work), files_(files) {
    setObjectName(QStringLiteral("frmSerialField"));
    setWindowTitle(Q(work.Text(entries::kSerialFieldCaption)));

    name_ = Named(new QLineEdit, "edtSerialName");
    // The field's claims are kept under its name: a field keeps the one it has.
    name_->setReadOnly(!isNew);
    memory_ = Named(new QComboBox, "cmbSerialMemory");
    // Named in the language shown; the line written names it as the file does.
    for (const auto& [memory, entry] : kMemories) {
        memory_->addItem(Q(work.Text(entry)), static_cast<int>(memory));
    }
    address_ = Named(new QLineEdit, "edtSerialAddress");
    length_ = Named(new QSpinBox, "spnSerialLength");
    length_->setRange(1, kLongestField);
    format_ = Named(new QComboBox, "cmbSerialFormat");
    for (const TSerialFormat format : kFormats) {
        format_->addItem(Q(SerialFormatName(format)), static_cast<int>(format));
    }
    counter_ = Named(new QRadioButton(Q(work.Text(entries::kSerialCounter))), "rdbSerialCounter");
    list_ = Named(new QRadioButton(Q(work.Text(entries::kSerialListFile))), "rdbSerialList");
    auto* source = new QButtonGroup(this);
    source->addButton(counter_);
    source->addButton(list_);
    connect(counter_, &QRadioButton::toggled, this, [this] { FollowSource(); });
    first_ = Named(new QLineEdit, "edtSerialFirst");
    step_ = Named(new QLineEdit, "edtSerialStep");
    last_ = Named(new QLineEdit, "edtSerialLast");
    listFile_ = Named(new QLineEdit, "edtSerialList");
    auto* browse = Named(new QToolButton, "btnSerialList");
    browse->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    browse->setToolTip(Q(work.Text(entries::kSerialListFile)));
    browse_ = browse;
    connect(browse, &QToolButton::clicked, this, [this] {
        if (const auto file =
                files_.OpenFile(this, Q(work_.Text(entries::kSerialListFile)),
                                "Text Files (*.txt)|*.txt|All Files (*)|*", QString())) {
            listFile_->setText(Q(file->string()));
        }
    });

    auto* form = new QFormLayout;
    form->addRow(Caption(work, "lblSerialName", entries::kSerialName), name_);
    form->addRow(Caption(work, "lblSerialMemory", entries::kSerialMemory), memory_);
    form->addRow(Caption(work, "lblSerialAddress", entries::kSerialAddress), address_);
    form->addRow(Caption(work, "lblSerialLength", entries::kSerialLength), length_);
    form->addRow(Caption(work, "lblSerialFormat", entries::kSerialFormat), format_);
    form->addRow(counter_);
    form->addRow(Caption(work, "lblSerialFirst", entries::kSerialFirst), first_);
    form->addRow(Caption(work, "lblSerialStep", entries::kSerialIncrement), step_);
    form->addRow(Caption(work, "lblSerialLast", entries::kSerialLast), last_);
    form->addRow(list_);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(listFile_, 1);
    listRow->addWidget(browse);
    form->addRow(listRow);

    auto* btnOk = Named(new QPushButton(WithoutMnemonic(Q(work.Text(entries::kEditOk)))), "btnOk");
    btnOk->setDefault(true);
    auto* btnCancel =
        Named(new QPushButton(WithoutMnemonic(Q(work.Text(entries::kEditCancel)))), "btnCancel");
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(btnOk, QDialogButtonBox::AcceptRole);
    buttons->addButton(btnCancel, QDialogButtonBox::RejectRole);
    connect(btnOk, &QPushButton::clicked, this, &TfrmSerialField::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Show(field);
}

void TfrmSerialField::Show(const TSerialField& field) {
    name_->setText(Q(field.name));
    memory_->setCurrentIndex(memory_->findData(static_cast<int>(field.memory)));
    address_->setText(Hex(field.address));
    length_->setValue(static_cast<int>(field.length));
    format_->setCurrentIndex(format_->findData(static_cast<int>(field.format)));
    const bool counter = field.source == TSerialSource::ssCounter;
    (counter ? counter_ : list_)->setChecked(true);
    first_->setText(QString::number(field.first));
    step_->setText(QString::number(field.step));
    last_->setText(QString::number(field.last));
    listFile_->setText(Q(field.list.string()));
    FollowSource();
}

void TfrmSerialField::FollowSource() {
    const bool counter = counter_->isChecked();
    for (QWidget* part : {static_cast<QWidget*>(first_), static_cast<QWidget*>(step_),
                          static_cast<QWidget*>(last_)}) {
        part->setEnabled(counter);
    }
    listFile_->setEnabled(!counter);
    browse_->setEnabled(!counter);
}

std::string TfrmSerialField::ComposeLine() const {
    const auto memory = static_cast<TSerialMemory>(memory_->currentData().toInt());
    std::string line =
        U(name_->text().trimmed()) + ":memory=" + std::string(SerialMemoryName(memory)) +
        ",address=" + U(address_->text().trimmed()) +
        ",length=" + std::to_string(length_->value()) + ",format=" + U(format_->currentText());
    if (counter_->isChecked()) {
        line += ",first=" + U(first_->text().trimmed()) + ",step=" + U(step_->text().trimmed()) +
                ",last=" + U(last_->text().trimmed());
    } else {
        line += ",list=" + U(listFile_->text().trimmed());
    }
    return line;
}

void TfrmSerialField::btnOkClick() {
    const std::string line = ComposeLine();
    if (auto field = work_.CheckSerialField(line)) {
        field_ = std::move(field);
        line_ = line;
        accept();
    }
}

} // namespace korvex::gui
