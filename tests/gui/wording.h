#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTabBar>
#include <QTableWidget>
#include <QTextDocumentFragment>

namespace korvex::testing {

// Every text a user reads on `form`: its title, labels, buttons, group
// titles, tabs, tips, hints, list items and table headings, and the items of
// every menu of its menu bar, opened or not. Texts that are data are left
// out: the controls named in `data` (a card type's description, versions)
// and the lists of names (card types, catalogue parts, formats).
inline QStringList ShownTexts(QWidget& form, const QStringList& data) {
    QStringList texts{form.windowTitle()};
    QList<QWidget*> widgets = form.findChildren<QWidget*>();
    widgets.prepend(&form);
    for (QWidget* widget : widgets) {
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
                if (tabs->isTabVisible(i)) {
                    texts << tabs->tabText(i);
                }
            }
        } else if (auto* bar = qobject_cast<QMenuBar*>(widget)) {
            QList<QAction*> items = bar->actions();
            while (!items.isEmpty()) {
                QAction* item = items.takeFirst();
                if (item->isVisible()) {
                    texts << item->text();
                    if (item->menu() != nullptr) {
                        items << item->menu()->actions();
                    }
                }
            }
        }
    }
    return texts;
}

// The words of `texts` that are English and not German, by the system's word
// lists (wamerican, wngerman), once the phrases in `literal` (texts kept as
// they are in every language) are taken out; paths, addresses and names with
// digits are no words. `loanwords`: English words a German text uses as its own.
inline QStringList EnglishWords(const QStringList& texts, const QStringList& literal,
                                const QStringList& loanwords) {
    const auto words = [](const char* file) {
        QSet<QString> list;
        QFile dictionary(QString::fromLatin1(file));
        if (dictionary.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : dictionary.readAll().split('\n')) {
                list.insert(QString::fromUtf8(line).toLower());
            }
        }
        return list;
    };
    static const QSet<QString> english = words("/usr/share/dict/american-english");
    static const QSet<QString> german = words("/usr/share/dict/ngerman");
    if (english.isEmpty() || german.isEmpty()) {
        return {QStringLiteral("<no word lists: install wamerican and wngerman>")};
    }
    QStringList found;
    for (QString text : texts) {
        for (const QString& phrase : literal) {
            text.remove(phrase);
        }
        text.remove(QLatin1Char('&'));
        for (const QString& token : text.split(QRegularExpression(QStringLiteral("\\s+")))) {
            if (token.contains(QRegularExpression(QStringLiteral("[/@\\d]")))) {
                continue;
            }
            for (const QString& word : token.split(QRegularExpression(QStringLiteral("[^\\p{L}]+")),
                                                   Qt::SkipEmptyParts)) {
                const QString lower = word.toLower();
                if (word.size() > 1 && english.contains(lower) && !german.contains(lower) &&
                    !loanwords.contains(word, Qt::CaseInsensitive) && !found.contains(word)) {
                    found << word;
                }
            }
        }
    }
    return found;
}

} // namespace korvex::testing
