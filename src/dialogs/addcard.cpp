#include "dialogs/addcard.h"

#include "workflows/presenter/mainworkflows.h"

#include <QLayout>

namespace korvex::gui {

TfrmAddCard::TfrmAddCard(TPMainWorkflows& work, TPrompts& prompts, QWidget* parent)
    : TCardTypeForm(work, prompts, work.AddCardTypeEditor(), TPCardTypeEditor::AddCaptions(),
                    {"frmAddCard", "lblDescip", "lblEeprom"}, parent) {
    // A fixed dialog frame: it is as big as its texts need, and no bigger.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TIntentResult TfrmAddCard::Write(const TCardTypeFields& fields) {
    return Work().AddCardType(fields);
}

} // namespace korvex::gui
