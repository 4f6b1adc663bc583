#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace korvex {
class TPReadBack;
class TPrompts;
} // namespace korvex

namespace korvex::gui {

class TFileChooser;

// The read-back window: what a read brought back from the card, as a hex
// dump, and its Save button. A PIC-kind or external EEPROM read is saved in
// one press; an AVR-kind read in two, the program memory and then the data
// EEPROM, and the window shows the second part after the first press.
class TfrmGetHexView final : public QDialog {
    Q_OBJECT
public:
    TfrmGetHexView(TPReadBack& readBack, TFileChooser& files, TPrompts& prompts,
                   QWidget* parent = nullptr);

public slots:
    void btnSaveClick();

private:
    void ShowReadBack();

    TPReadBack& readBack_;
    TFileChooser& files_;
    TPrompts& prompts_;
    QPlainTextEdit* memo_;
    QLabel* lblMode_;
};

} // namespace korvex::gui
