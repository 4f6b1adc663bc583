#pragma once

#include "catalogue/serialfield.h"

#include <QGroupBox>

#include <string>
#include <vector>

class QPushButton;
class QTableWidget;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

class TFileChooser;

// The serial number fields of the chosen card type in the card type dialog:
// a table of them, and buttons to add, change and remove one. The changes
// are kept until Apply hands them to the workflows together.
class TSerialFieldsBox final : public QGroupBox {
    Q_OBJECT
public:
    TSerialFieldsBox(TPMainWorkflows& work, TFileChooser& files, QWidget* parent = nullptr);

    // Writes the changes into the card type's file; false, the reason shown,
    // when a field cannot be right. True with nothing to write.
    bool Apply();

private:
    void AddField();
    void ChangeField();
    void RemoveField();
    // Keeps a field the user gave, by its line.
    void Take(const TSerialField& field, const std::string& line);
    void ShowFields();

    TPMainWorkflows& work_;
    TFileChooser& files_;
    // As the card type's file has them, and as the table shows them.
    std::vector<TSerialField> stored_;
    std::vector<TSerialField> fields_;
    std::vector<std::string> set_;
    std::vector<std::string> removed_;
    QTableWidget* table_ = nullptr;
    QPushButton* change_ = nullptr;
    QPushButton* remove_ = nullptr;
};

} // namespace korvex::gui
