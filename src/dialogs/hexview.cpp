#include "dialogs/hexview.h"

#include "dialogs/hexmemo.h"
#include "dialogs/qtext.h"
#include "workflows/filerows/fileview.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::gui {

TfrmHexView::TfrmHexView(const TPFileView& view, const THexViewWords& words, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmHexView"));
    setWindowTitle(Q(view.Caption(words.title)));

    QPlainTextEdit* memo = NewHexMemo(this);
    ShowHexLines(*memo, view.MemoLines());

    auto* btnClose = new QPushButton(Q(words.close), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnClose, QDialogButtonBox::RejectRole);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo);
    layout->addWidget(buttons);
}

} // namespace korvex::gui
