#pragma once

#include "dialogs/cardtypeform.h"

namespace korvex::gui {

// "Add New Card Type": creates a card type file from the four fields. A card
// type that exists already is kept as it is. A missing or malformed
// catalogue makes the construction throw the reader's error.
class TfrmAddCard final : public TCardTypeForm {
    Q_OBJECT
public:
    TfrmAddCard(TPMainWorkflows& work, TPrompts& prompts, QWidget* parent = nullptr);

protected:
    TIntentResult Write(const TCardTypeFields& fields) override;
};

} // namespace korvex::gui
