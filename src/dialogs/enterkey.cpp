#include "dialogs/enterkey.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>

namespace korvex::gui {

namespace {

class TEnterToDefault final : public QObject {
public:
    explicit TEnterToDefault(QDialog& dialog) : QObject(&dialog), dialog_(dialog) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) {
            return false;
        }
        // An open list takes Enter as the choice of its item.
        auto* list = qobject_cast<QComboBox*>(watched);
        if (list == nullptr || list->view()->isVisible()) {
            return false;
        }
        for (QPushButton* button : dialog_.findChildren<QPushButton*>()) {
            if (button->isDefault() && button->isEnabled() && button->isVisible()) {
                button->click();
                return true;
            }
        }
        return false;
    }

private:
    QDialog& dialog_;
};

} // namespace

void LetEnterPressDefault(QDialog& dialog) {
    auto* filter = new TEnterToDefault(dialog);
    for (QComboBox* list : dialog.findChildren<QComboBox*>()) {
        if (list->isEditable()) {
            list->installEventFilter(filter);
        }
    }
}

} // namespace korvex::gui
