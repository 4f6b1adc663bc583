#include "dialogs/editcard.h"

#include "dialogs/serialfields.h"
#include "workflows/presenter/mainworkflows.h"

namespace korvex::gui {

TfrmEditCardType::TfrmEditCardType(TPMainWorkflows& work, TPrompts& prompts, TFileChooser& files,
                                   QWidget* parent)
    : TCardTypeForm(work, prompts, work.EditCardTypeEditor(), TPCardTypeEditor::EditCaptions(),
                    {"frmEditCardType", "lblDescrip", "lblEe"}, parent),
      serials_(new TSerialFieldsBox(work, files, this)) {
    AddPart(serials_);
    // Unlike the add dialog a normal window: a long description may want room.
    setSizeGripEnabled(true);
}

// The serial fields first: they are the card type shown, which a rescan of
// the list after the edit could change.
TIntentResult TfrmEditCardType::Write(const TCardTypeFields& fields) {
    if (!serials_->Apply()) {
        return TIntentResult::irFailed;
    }
    return Work().EditCardType(fields);
}

} // namespace korvex::gui
