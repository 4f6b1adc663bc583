#include "dialogs/editcard.h"

#include "workflows/mainworkflows.h"

namespace korvex::gui {

TfrmEditCardType::TfrmEditCardType(TPMainWorkflows& work, TPrompts& prompts, QWidget* parent)
    : TCardTypeForm(work, prompts, work.EditCardTypeEditor(), TPCardTypeEditor::EditCaptions(),
                    {"frmEditCardType", "lblDescrip", "lblEe"}, parent) {
    // Unlike the add dialog a normal window: a long description may want room.
    setSizeGripEnabled(true);
}

TIntentResult TfrmEditCardType::Write(const TCardTypeFields& fields) {
    return Work().EditCardType(fields);
}

} // namespace korvex::gui
