#pragma once

#include "workflows/presenter/optionsdialog.h"

#include <QDialog>

#include <map>
#include <string>
#include <string_view>

class QCheckBox;
class QSpinBox;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

// "Options": the eight on/off options of the auto program and the two write
// commands, and how often a step that failed on the line is tried again, as
// the options file holds them when the dialog opens. OK writes them all;
// Cancel writes nothing.
class TfrmOptions final : public QDialog {
    Q_OBJECT
public:
    TfrmOptions(TPMainWorkflows& work, QWidget* parent = nullptr);

    TOptionBoxes Boxes() const;

public slots:
    void btnOkClick();

private:
    QCheckBox* Box(std::string_view name) const;
    void ShowBoxes(const TOptionBoxes& boxes);

    TPMainWorkflows& work_;
    std::map<std::string, QCheckBox*, std::less<>> boxes_;
    QSpinBox* retries_ = nullptr;
};

} // namespace korvex::gui
