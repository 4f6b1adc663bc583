#pragma once

#include "dialogs/hexmemo.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;

namespace korvex {
class TPReadBack;
class TPrompts;
} // namespace korvex

namespace korvex::gui {

class TFileChooser;

// The read-back window: what a read brought back from the card, as a hex
// dump, and its Save button. An AVR-kind read is saved in two parts, the
// program memory and then the data EEPROM, which the window shows once the
// first is saved. It closes only when its user closes it, so a cancelled or
// refused save never loses a read.
class TfrmGetHexView final : public QDialog {
    Q_OBJECT
public:
    TfrmGetHexView(TPReadBack& readBack, TFileChooser& files, TPrompts& prompts,
                   THexViewWords words = {}, QWidget* parent = nullptr);

public slots:
    void btnSaveClick();

private:
    void ShowReadBack();

    TPReadBack& readBack_;
    TFileChooser& files_;
    TPrompts& prompts_;
    THexViewWords words_;
    QPlainTextEdit* memo_;
    QLabel* lblMode_;
    QLabel* lblSaved_;
};

} // namespace korvex::gui
