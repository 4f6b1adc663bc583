#pragma once

#include "workflows/cardtype/cardtypeeditor.h"
#include "workflows/presenter/mainview.h"
#include "workflows/session/faceterms.h"

#include <QDialog>

#include <span>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

// What the add and edit card type dialogs share: the four fields over the
// catalogues' lists, the note on EEPROM names, and the accept rule. An empty
// field closes the dialog as cancelled with nothing written; a name no card
// type can have is explained in an error box and the dialog stays open so
// the user can mend it.
class TCardTypeForm : public QDialog {
    Q_OBJECT
public:
    TCardTypeFields Fields() const;

public slots:
    void btnCreateClick();

protected:
    // The object names that differ between the two dialogs.
    struct TFormNames {
        const char* form;
        const char* descriptionLabel;
        const char* eepromLabel;
    };

    TCardTypeForm(TPMainWorkflows& work, TPrompts& prompts, const TPCardTypeEditor& editor,
                  std::span<const TCaptionEntry> captions, TFormNames names, QWidget* parent);

    TPMainWorkflows& Work() { return work_; }
    // A part of a form of its own, under the fields and the note.
    void AddPart(QWidget* part);
    // Writes the card type through the workflows.
    virtual TIntentResult Write(const TCardTypeFields& fields) = 0;

private:
    void ShowFields(const TCardTypeFields& fields);

    TPMainWorkflows& work_;
    TPrompts& prompts_;
    QLineEdit* edtName_;
    QLineEdit* mmoDescription_;
    QComboBox* cmbPic_;
    QComboBox* cmbEeprom_;
    QVBoxLayout* layout_ = nullptr;
};

} // namespace korvex::gui
