#include "dialogs/options.h"

#include "dialogs/captiontargets.h"
#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "support/optionreader.h"
#include "workflows/entries.h"
#include "workflows/presenter/mainworkflows.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <initializer_list>
#include <stdexcept>
#include <string>

namespace korvex::gui {

TfrmOptions::TfrmOptions(TPMainWorkflows& work, QWidget* parent) : QDialog(parent), work_(work) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(WithoutMnemonic(Q(work.Text(entries::kOptionsMenu))));
    TCaptionTargets captions(*this);

    auto* tabs = Named(new QTabWidget(this), "pgcOptions");
    // A tab page: its heading label, then its check boxes top to bottom.
    const auto page = [&](const char* name) {
        auto* widget = Named(new QWidget(tabs), name);
        auto* column = new QVBoxLayout(widget);
        column->setAlignment(Qt::AlignTop);
        tabs->addTab(widget, QString());
        captions.AddTab(tabs, widget);
        return column;
    };
    const auto label = [&](QVBoxLayout* column, const char* name) {
        auto* heading = Named(new QLabel, name);
        captions.Add(heading);
        column->addWidget(heading);
    };
    const auto boxes = [&](QVBoxLayout* column, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            auto* box = Named(new QCheckBox, name);
            captions.Add(box);
            boxes_[name] = box;
            column->addWidget(box);
        }
    };
    QVBoxLayout* autoPage = page("tbsAuto");
    label(autoPage, "lnlAutoCaption");
    boxes(autoPage, {"chkawEeprom", "chkavEeprom", "chkawPic", "chkavPic"});
    QVBoxLayout* writePage = page("tbsWrite");
    label(writePage, "lblPicPressed");
    boxes(writePage, {"chkwwPic", "chkwvPic"});
    label(writePage, "lblVerify");
    boxes(writePage, {"chkwwEeprom", "chkwvEeprom"});
    tabs->setCurrentIndex(0);

    // A noisy line is the line's, not a tab's: below both pages.
    auto* retriesLabel = Named(new QLabel, "lblStepRetries");
    captions.Add(retriesLabel);
    retries_ = Named(new QSpinBox, "spnStepRetries");
    retries_->setRange(0, TPOptionReader::kMostStepRetries);
    retriesLabel->setBuddy(retries_);
    auto* retriesRow = new QHBoxLayout;
    retriesRow->addWidget(retriesLabel);
    retriesRow->addWidget(retries_);
    retriesRow->addStretch(1);

    auto* btnOk = Named(new QPushButton, "btnOk");
    btnOk->setDefault(true);
    auto* btnCancel = Named(new QPushButton, "btnCancel");
    captions.Add(btnOk);
    captions.Add(btnCancel);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(btnOk, QDialogButtonBox::AcceptRole);
    buttons->addButton(btnCancel, QDialogButtonBox::RejectRole);
    connect(btnOk, &QPushButton::clicked, this, &TfrmOptions::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(retriesRow);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (const auto& caption : TPOptionsDialog::Captions()) {
        captions.Set(caption.control, Q(work.Text(caption.entry)));
    }
    // Every box starts checked; an option that cannot be read leaves its box
    // so, as an unreadable option counts as on.
    TOptionBoxes shown;
    work.ReadOptions(shown);
    ShowBoxes(shown);
}

QCheckBox* TfrmOptions::Box(std::string_view name) const {
    const auto box = boxes_.find(name);
    if (box == boxes_.end()) {
        throw std::logic_error("The options dialog has no check box " + std::string(name));
    }
    return box->second;
}

TOptionBoxes TfrmOptions::Boxes() const {
    TOptionBoxes boxes;
    for (const auto& field : TPOptionsDialog::Fields()) {
        boxes.*field.box = Box(field.checkBox)->isChecked();
    }
    boxes.stepRetries = retries_->value();
    return boxes;
}

void TfrmOptions::ShowBoxes(const TOptionBoxes& boxes) {
    for (const auto& field : TPOptionsDialog::Fields()) {
        Box(field.checkBox)->setChecked(boxes.*field.box);
    }
    retries_->setValue(boxes.stepRetries);
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
