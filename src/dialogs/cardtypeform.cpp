#include "dialogs/cardtypeform.h"

#include "dialogs/captiontargets.h"
#include "dialogs/enterkey.h"
#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "support/errors.h"
#include "workflows/presenter/mainworkflows.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace korvex::gui {

namespace {

// Wide enough for the longest catalogue names and a description of a few
// words, so the note under the fields wraps into few lines.
constexpr int kFieldChars = 40;

QComboBox* NameList(const char* name, const std::vector<std::string>& items, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditable(true);
    // A name typed by hand is taken as it stands, but it does not join the
    // catalogue's list.
    list->setInsertPolicy(QComboBox::NoInsert);
    for (const auto& item : items) {
        list->addItem(Q(item));
    }
    return list;
}

void ShowText(QComboBox& list, const std::string& text) {
    const int index = list.findText(Q(text), Qt::MatchFixedString);
    list.setCurrentIndex(index);
    if (index < 0) {
        list.setEditText(Q(text));
    }
}

} // namespace

TCardTypeForm::TCardTypeForm(TPMainWorkflows& work, TPrompts& prompts,
                             const TPCardTypeEditor& editor,
                             std::span<const TCaptionEntry> captions, TFormNames names,
                             QWidget* parent)
    : QDialog(parent), work_(work), prompts_(prompts) {
    setObjectName(QLatin1String(names.form));
    TCaptionTargets targets(*this);
    const auto label = [&](const char* name) {
        auto* caption = Named(new QLabel(this), name);
        targets.Add(caption);
        return caption;
    };

    edtName_ = new QLineEdit(this);
    edtName_->setObjectName(QStringLiteral("edtName"));
    edtName_->setReadOnly(editor.IsEdit());
    edtName_->setMinimumWidth(fontMetrics().averageCharWidth() * kFieldChars);
    mmoDescription_ = new QLineEdit(this);
    mmoDescription_->setObjectName(QStringLiteral("mmoDescription"));
    cmbPic_ = NameList("cmbPic", editor.ProcessorNames(), this);
    cmbEeprom_ = NameList("cmbEeprom", editor.EepromNames(), this);

    auto* fields = new QFormLayout;
    fields->addRow(label("lblCardName"), edtName_);
    fields->addRow(label(names.descriptionLabel), mmoDescription_);
    fields->addRow(label("lblProc"), cmbPic_);
    fields->addRow(label(names.eepromLabel), cmbEeprom_);

    auto* lblObs = label("lblObs");
    lblObs->setWordWrap(true);

    auto* btnCreate = Named(new QPushButton(this), "btnCreate");
    btnCreate->setDefault(true);
    auto* btnCancel = Named(new QPushButton(this), "btnCancel");
    targets.Add(btnCreate);
    targets.Add(btnCancel);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnCreate, QDialogButtonBox::AcceptRole);
    buttons->addButton(btnCancel, QDialogButtonBox::RejectRole);
    connect(btnCreate, &QPushButton::clicked, this, &TCardTypeForm::btnCreateClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    layout_ = new QVBoxLayout(this);
    layout_->addLayout(fields);
    layout_->addWidget(lblObs);
    layout_->addStretch();
    layout_->addWidget(buttons);

    for (const auto& caption : captions) {
        targets.Set(caption.control, Q(work.Text(caption.entry)));
    }
    ShowFields(editor.InitialFields());
    LetEnterPressDefault(*this);
}

TCardTypeFields TCardTypeForm::Fields() const {
    return {U(edtName_->text()), U(mmoDescription_->text()), U(cmbPic_->currentText()),
            U(cmbEeprom_->currentText())};
}

void TCardTypeForm::AddPart(QWidget* part) {
    // Under the note, above the space that keeps the buttons at the bottom.
    layout_->insertWidget(2, part, 1);
}

void TCardTypeForm::ShowFields(const TCardTypeFields& fields) {
    edtName_->setText(Q(fields.name));
    mmoDescription_->setText(Q(fields.description));
    // A long description shows its start, not its end.
    mmoDescription_->setCursorPosition(0);
    ShowText(*cmbPic_, fields.processor);
    ShowText(*cmbEeprom_, fields.eeprom);
}

void TCardTypeForm::btnCreateClick() {
    switch (Write(Fields())) {
    case TIntentResult::irDone:
        accept();
        break;
    case TIntentResult::irRefused:
        // A command is running; the fields stay for when it has ended.
    case TIntentResult::irFailed:
        // The workflows said why; the user can mend the name and try again.
        break;
    case TIntentResult::irDeclined:
        reject();
        break;
    }
}

} // namespace korvex::gui
