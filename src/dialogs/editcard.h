#pragma once

#include "dialogs/cardtypeform.h"

namespace korvex::gui {

class TFileChooser;
class TSerialFieldsBox;

// "Edit Card Type": changes the description, processor and EEPROM of the
// chosen card type, and its serial number fields; its name is shown but
// cannot be changed, since the card type's file is named after it.
class TfrmEditCardType final : public TCardTypeForm {
    Q_OBJECT
public:
    TfrmEditCardType(TPMainWorkflows& work, TPrompts& prompts, TFileChooser& files,
                     QWidget* parent = nullptr);

protected:
    TIntentResult Write(const TCardTypeFields& fields) override;

private:
    TSerialFieldsBox* serials_;
};

} // namespace korvex::gui
