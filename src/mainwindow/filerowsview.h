#pragma once

#include "workflows/presenter/mainview.h"
#include "workflows/presenter/snapshot.h"

#include <QWidget>

#include <array>

class QGridLayout;
class QLabel;
class QToolButton;

namespace korvex {
class TPMainWorkflows;
}

namespace korvex::gui {

class TCaptionTargets;
class TFileField;

// The Simple tab: the image file rows, each a label, its field, the open and
// view buttons and the row's status, one grid row each in the order the card
// type's family puts them (an AVR's internal EEPROM row second); the Tab key
// follows them. The loader row is the card type's business: never shown.
class TFileRowsView final : public QWidget {
    Q_OBJECT
public:
    TFileRowsView(TPMainWorkflows& work, QWidget* parent = nullptr);

    void AddCaptions(TCaptionTargets& captions);
    void Render(const TMainSnapshot& shot, bool idle);
    // The field of a row, for a test that types into it.
    TFileField* Field(TFileRow row) const { return rows_[static_cast<std::size_t>(row)].field; }

signals:
    // The open button of a row: the file dialog is the window's.
    void OpenAsked(TFileRow row);
    // The user changed something; the window shows it as it is now.
    void Changed();

private:
    struct TRow {
        QLabel* label = nullptr;
        TFileField* field = nullptr;
        QToolButton* open = nullptr;
        QToolButton* view = nullptr;
        QLabel* status = nullptr;
    };

    // Puts the rows into the grid in the family's order.
    void Arrange(bool avr);
    void SizeStatuses(const TMainSnapshot& shot);

    TPMainWorkflows& work_;
    std::array<TRow, kFileRowCount> rows_;
    QGridLayout* grid_ = nullptr;
    int arrangedFor_ = -1; // 0 PIC, 1 AVR
    std::string statusesSizedFor_;
};

} // namespace korvex::gui
