#pragma once

#include "workflows/optionsdialog.h"

#include <QDialog>

class QCheckBox;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

// "Options": the eight on/off options of the auto program and the two write
// commands, as the options file holds them when the dialog opens. OK writes
// all eight; Cancel writes nothing.
class TfrmOptions final : public QDialog {
    Q_OBJECT
public:
    TfrmOptions(TPMainWorkflows& work, QWidget* parent = nullptr);

    TOptionBoxes Boxes() const;

public slots:
    void btnOkClick();

private:
    QCheckBox* Box(const TOptionField& field) const;
    void ShowBoxes(const TOptionBoxes& boxes);

    TPMainWorkflows& work_;
};

} // namespace korvex::gui
