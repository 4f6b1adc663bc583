#include "dialogs/options.h"

#include "dialogs/captiontext.h"
#include "dialogs/qtext.h"
#include "workflows/mainworkflows.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <initializer_list>
#include <stdexcept>
#include <string>

namespace korvex::gui {

namespace {

// A tab page: its heading label, then its check boxes top to bottom.
QWidget* Page(const char* name, QTabWidget* tabs) {
    auto* page = new QWidget(tabs);
    page->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(page);
    layout->setAlignment(Qt::AlignTop);
    return page;
}

void AddLabel(QWidget* page, const char* name) {
    auto* label = new QLabel(page);
    label->setObjectName(QLatin1String(name));
    page->layout()->addWidget(label);
}

void AddBoxes(QWidget* page, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        auto* box = new QCheckBox(page);
        box->setObjectName(QLatin1String(name));
        page->layout()->addWidget(box);
    }
}

} // namespace

TfrmOptions::TfrmOptions(TPMainWorkflows& work, QWidget* parent) : QDialog(parent), work_(work) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("pgcOptions"));
    QWidget* tbsAuto = Page("tbsAuto", tabs);
    AddLabel(tbsAuto, "lnlAutoCaption");
    AddBoxes(tbsAuto, {"chkawEeprom", "chkavEeprom", "chkawPic", "chkavPic"});
    QWidget* tbsWrite = Page("tbsWrite", tabs);
    AddLabel(tbsWrite, "lblPicPressed");
    AddBoxes(tbsWrite, {"chkwwPic", "chkwvPic"});
    AddLabel(tbsWrite, "lblVerify");
    AddBoxes(tbsWrite, {"chkwwEeprom", "chkwvEeprom"});
    tabs->addTab(tbsAuto, QString());
    tabs->addTab(tbsWrite, QString());
    tabs->setCurrentIndex(0);

    auto* btnOk = new QPushButton(this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    auto* btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnOk, QDialogButtonBox::AcceptRole);
    buttons->addButton(btnCancel, QDialogButtonBox::RejectRole);
    connect(btnOk, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (const auto& caption : TPOptionsDialog::Captions()) {
        SetCaption(*this, caption.control, Q(work.Text(caption.entry)));
    }
    // Every box starts checked; an option that cannot be read leaves its box
    // so, as an unreadable option counts as on.
    TOptionBoxes boxes;
    work.ReadOptions(boxes);
    ShowBoxes(boxes);
}

QCheckBox* TfrmOptions::Box(const TOptionField& field) const {
    auto* box = findChild<QCheckBox*>(Q(field.checkBox));
    if (box == nullptr) {
        throw std::logic_error("The options dialog has no check box " +
                               std::string(field.checkBox));
    }
    return box;
}

TOptionBoxes TfrmOptions::Boxes() const {
    TOptionBoxes boxes;
    for (const auto& field : TPOptionsDialog::Fields()) {
        boxes.*field.box = Box(field)->isChecked();
    }
    return boxes;
}

void TfrmOptions::ShowBoxes(const TOptionBoxes& boxes) {
    for (const auto& field : TPOptionsDialog::Fields()) {
        Box(field)->setChecked(boxes.*field.box);
    }
}

void TfrmOptions::btnOkClick() {
    // A file that cannot be written has been reported by the workflows; the
    // dialog closes all the same, as there is nothing the user could change
    // in it to mend that. Only a running command keeps it open.
    if (work_.AcceptOptions(Boxes()) != TIntentResult::irRefused) {
        accept();
    }
}

} // namespace korvex::gui
