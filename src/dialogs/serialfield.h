#pragma once

#include "catalogue/serialfield.h"

#include <QDialog>

#include <optional>
#include <string>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

class TFileChooser;

// One serial number field of a card type: where it lies, how a value becomes
// its bytes and where its values come from. OK checks the field as the card
// type's file would (the dialog stays open, the reason shown, for one that
// cannot be right) and keeps it written on one line, as the workflows take it.
class TfrmSerialField final : public QDialog {
    Q_OBJECT
public:
    // `field` to change, or a new field of that name.
    TfrmSerialField(TPMainWorkflows& work, TFileChooser& files, const TSerialField& field,
                    bool isNew, QWidget* parent = nullptr);

    // After OK: the field and its line.
    const std::optional<TSerialField>& Field() const { return field_; }
    const std::string& Line() const { return line_; }

public slots:
    void btnOkClick();

private:
    void Show(const TSerialField& field);
    std::string ComposeLine() const;
    void FollowSource();

    TPMainWorkflows& work_;
    TFileChooser& files_;
    std::optional<TSerialField> field_;
    std::string line_;
    QLineEdit* name_ = nullptr;
    QComboBox* memory_ = nullptr;
    QLineEdit* address_ = nullptr;
    QSpinBox* length_ = nullptr;
    QComboBox* format_ = nullptr;
    QRadioButton* counter_ = nullptr;
    QRadioButton* list_ = nullptr;
    QLineEdit* first_ = nullptr;
    QLineEdit* step_ = nullptr;
    QLineEdit* last_ = nullptr;
    QLineEdit* listFile_ = nullptr;
    QWidget* browse_ = nullptr;
};

} // namespace korvex::gui
