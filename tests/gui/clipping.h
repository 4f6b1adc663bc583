#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QStyle>
#include <QTabBar>

namespace korvex::testing {

// Every visible text of `form` that does not fit the widget showing it:
// labels (wrapped ones in their height), buttons, group titles, the file
// rows' names, tabs and the menu bar's titles, each as "name: text".
inline QStringList ClippedTexts(QWidget& form) {
    QStringList clipped;
    const auto note = [&](const QWidget* widget, const QString& text) {
        clipped << widget->objectName() + QStringLiteral(": ") + text;
    };
    QList<QWidget*> widgets = form.findChildren<QWidget*>();
    widgets.prepend(&form);
    for (QWidget* widget : widgets) {
        if (!widget->isVisible()) {
            continue;
        }
        const QSize room = widget->size();
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
            const bool fits = label->wordWrap()
                                  ? label->heightForWidth(room.width()) <= room.height()
                                  : label->sizeHint().width() <= room.width() &&
                                        label->sizeHint().height() <= room.height();
            if (!fits) {
                note(label, label->text());
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget);
                   button && !button->text().isEmpty()) {
            if (button->sizeHint().width() > room.width() ||
                button->sizeHint().height() > room.height()) {
                note(button, button->text());
            }
        } else if (auto* group = qobject_cast<QGroupBox*>(widget);
                   group && !group->title().isEmpty()) {
            if (group->minimumSizeHint().width() > room.width()) {
                note(group, group->title());
            }
        } else if (auto* field = qobject_cast<QLineEdit*>(widget);
                   field && field->objectName().startsWith(QStringLiteral("fle"))) {
            // A file row's field shows the name alone: it must show it whole.
            const QMargins margins = field->textMargins() + field->contentsMargins();
            const int room = field->width() - margins.left() - margins.right() - 2 * 4;
            if (field->fontMetrics().horizontalAdvance(field->text()) > room) {
                note(field, field->text());
            }
        } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i) {
                const QRect tab = tabs->tabRect(i);
                const int text = tabs->fontMetrics().horizontalAdvance(
                    QString(tabs->tabText(i)).remove(QLatin1Char('&')));
                const int space =
                    tabs->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, tabs);
                if (tabs->isTabVisible(i) &&
                    (tab.width() < text + space || tab.right() >= room.width())) {
                    note(tabs, tabs->tabText(i));
                }
            }
        } else if (auto* bar = qobject_cast<QMenuBar*>(widget)) {
            for (QAction* menu : bar->actions()) {
                if (menu->isVisible() && !bar->rect().contains(bar->actionGeometry(menu))) {
                    note(bar, menu->text());
                }
            }
        }
    }
    return clipped;
}

// The access letters of a menu's items that two of them share.
inline QStringList SharedAccessLetters(const QMenu& menu) {
    QStringList shared;
    QSet<QChar> seen;
    for (const QAction* item : menu.actions()) {
        const QString text = item->text();
        const qsizetype at = text.indexOf(QRegularExpression(QStringLiteral("&[^&]")));
        if (!item->isVisible() || at < 0) {
            continue;
        }
        const QChar letter = text[at + 1].toLower();
        if (seen.contains(letter)) {
            shared << menu.objectName() + QStringLiteral(": ") + text;
        }
        seen.insert(letter);
    }
    return shared;
}

} // namespace korvex::testing
