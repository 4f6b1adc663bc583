#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>
#include <QTableWidget>
#include <QTextDocumentFragment>

namespace korvex::testing {

// Every text a user reads on `form` (title, labels, buttons, group titles,
// tabs, tips, hints, the items of fixed lists, table headings and every
// menu's items), but those of the controls named in `data`.
inline QStringList ShownTexts(QWidget& form, const QStringList& data) {
    QStringList texts{form.windowTitle()};
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        if (!widget->isVisible() || data.contains(widget->objectName())) {
            continue;
        }
        texts << widget->toolTip();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            texts << QTextDocumentFragment::fromHtml(label->text()).toPlainText();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            texts << button->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            texts << group->title();
        } else if (auto* field = qobject_cast<QLineEdit*>(widget)) {
            texts << field->placeholderText();
        } else if (auto* list = qobject_cast<QComboBox*>(widget); list && !list->isEditable()) {
            for (int i = 0; i < list->count(); ++i) {
                texts << list->itemText(i);
            }
        } else if (auto* table = qobject_cast<QTableWidget*>(widget)) {
            for (int i = 0; i < table->columnCount(); ++i) {
                texts << table->horizontalHeaderItem(i)->text();
            }
        } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i) {
                texts << (tabs->isTabVisible(i) ? tabs->tabText(i) : QString());
            }
        } else if (auto* bar = qobject_cast<QMenuBar*>(widget)) {
            for (QList<QAction*> items = bar->actions(); !items.isEmpty();) {
                QAction* item = items.takeFirst();
                texts << (item->isVisible() ? item->text() : QString());
                items << (item->menu() != nullptr ? item->menu()->actions() : QList<QAction*>());
            }
        }
    }
    return texts;
}

// The words of `texts` that are English and not German by the system's word
// lists (wamerican, wngerman), once the `literal` phrases (the same in every
// language) are taken out; paths, addresses and names with digits are no
// words, nor the `loanwords` German uses as its own.
inline QStringList EnglishWords(QStringList texts, const QStringList& literal,
                                const QStringList& loanwords) {
    const auto words = [](const char* file) {
        QFile list(QString::fromLatin1(file));
        const QStringList lines = list.open(QIODevice::ReadOnly)
                                      ? QString::fromUtf8(list.readAll()).toLower().split('\n')
                                      : QStringList();
        return QSet<QString>(lines.begin(), lines.end());
    };
    static const QSet<QString> english = words("/usr/share/dict/american-english");
    static const QSet<QString> german = words("/usr/share/dict/ngerman");
    QStringList found;
    if (english.isEmpty() || german.isEmpty()) {
        found << QStringLiteral("<no word lists: install wamerican and wngerman>");
    }
    const QRegularExpression noWord(QStringLiteral("\\S*[/@\\d]\\S*|[^\\p{L}]+"));
    for (QString& text : texts) {
        for (const QString& phrase : literal + QStringList{QStringLiteral("&")}) {
            text.remove(phrase);
        }
        for (const QString& word : text.split(noWord, Qt::SkipEmptyParts)) {
            const QString lower = word.toLower();
            if (word.size() > 1 && english.contains(lower) && !german.contains(lower) &&
                !loanwords.contains(word, Qt::CaseInsensitive) && !found.contains(word)) {
                found << word;
            }
        }
    }
    return found;
}

} // namespace korvex::testing
