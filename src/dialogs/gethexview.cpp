#include "dialogs/gethexview.h"

#include "dialogs/filechooser.h"
#include "dialogs/hexmemo.h"
#include "dialogs/qtext.h"
#include "support/errors.h"
#include "workflows/fillin.h"
#include "workflows/presenter/mainview.h"
#include "workflows/session/readback.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::gui {

TfrmGetHexView::TfrmGetHexView(TPReadBack& readBack, TFileChooser& files, TPrompts& prompts,
                               THexViewWords words, QWidget* parent)
    : QDialog(parent), readBack_(readBack), files_(files), prompts_(prompts),
      words_(std::move(words)) {
    setObjectName(QStringLiteral("frmGetHexView"));
    setWindowTitle(Q(words_.title));

    memo_ = NewHexMemo(this);
    lblMode_ = new QLabel(this);
    lblMode_->setObjectName(QStringLiteral("lblMode"));
    QFont bold = lblMode_->font();
    bold.setBold(true);
    lblMode_->setFont(bold);
    lblSaved_ = new QLabel(this);
    lblSaved_->setObjectName(QStringLiteral("lblSaved"));
    lblSaved_->setWordWrap(true);
    lblSaved_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* btnSave = new QPushButton(Q(words_.save), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setDefault(true);
    auto* btnClose = new QPushButton(Q(words_.close), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnSave, QDialogButtonBox::ActionRole);
    buttons->addButton(btnClose, QDialogButtonBox::RejectRole);
    connect(btnSave, &QPushButton::clicked, this, &TfrmGetHexView::btnSaveClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_);
    layout->addWidget(lblMode_);
    layout->addWidget(lblSaved_);
    layout->addWidget(buttons);
    ShowReadBack();
}

void TfrmGetHexView::ShowReadBack() {
    lblMode_->setText(Q(readBack_.ModeLabel()));
    ShowHexLines(*memo_, readBack_.MemoLines());
}

void TfrmGetHexView::btnSaveClick() {
    const auto chosen = files_.SaveFile(this, Q(words_.saveAs), TPReadBack::kSaveFilter, QString());
    const auto ask = [this](const std::filesystem::path& existing) {
        return prompts_.Ask(-1, "File exists overwrite ?\n" + existing.string(), TAnswer::anNo);
    };
    try {
        if (readBack_.Save(chosen, ask)) {
            lblSaved_->setText(
                Q(FillIn(words_.saved, {TPReadBack::SaveName(chosen->string()).string()})));
        }
    } catch (const std::exception& error) {
        // Nothing has moved on: the user may pick another file.
        prompts_.ShowMessage(TMessageKind::mkError, -1, DescribeError(error));
    }
    ShowReadBack();
}

} // namespace korvex::gui
