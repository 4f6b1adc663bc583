#pragma once

class QDialog;

namespace korvex::gui {

// Enter presses the dialog's default button wherever the cursor stands, as
// it does in a line edit: an editable drop-down list (a processor or EEPROM
// typed by hand) keeps the key for itself otherwise, and the dialog stays
// open. Covers the lists the dialog has when called.
void LetEnterPressDefault(QDialog& dialog);

} // namespace korvex::gui
