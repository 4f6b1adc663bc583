#include "dialogs/captiontext.h"

#include "dialogs/qtext.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTabWidget>

#include <stdexcept>
#include <string>

namespace korvex::gui {

namespace {

// The tab widget whose page `page` is, with the page's index.
bool SetTabTitle(QWidget& page, const QString& text) {
    for (QWidget* up = page.parentWidget(); up != nullptr; up = up->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(up)) {
            const int index = tabs->indexOf(&page);
            if (index >= 0) {
                tabs->setTabText(index, text);
                return true;
            }
        }
    }
    return false;
}

} // namespace

void SetCaption(QWidget& form, std::string_view control, const QString& text) {
    if (control == "Caption") {
        form.setWindowTitle(text);
        return;
    }
    auto* widget = form.findChild<QWidget*>(Q(control));
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
        return;
    }
    if (widget != nullptr && SetTabTitle(*widget, text)) {
        return;
    }
    throw std::logic_error("The form " + U(form.objectName()) + " has no captioned control " +
                           std::string(control));
}

QString WithoutMnemonic(const QString& caption) {
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;
        }
        plain += caption[i];
    }
    return plain;
}

} // namespace korvex::gui
