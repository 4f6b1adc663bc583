#pragma once

#include "dialogs/cardtypeform.h"

namespace korvex::gui {

// "Edit Card Type": changes the description, processor and EEPROM of the
// chosen card type; its name is shown but cannot be changed, since the
// card type's file is named after it.
class TfrmEditCardType final : public TCardTypeForm {
    Q_OBJECT
public:
    TfrmEditCardType(TPMainWorkflows& work, TPrompts& prompts, QWidget* parent = nullptr);

protected:
    TIntentResult Write(const TCardTypeFields& fields) override;
};

} // namespace korvex::gui
