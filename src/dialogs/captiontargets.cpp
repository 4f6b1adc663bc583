#include "dialogs/captiontargets.h"

#include "dialogs/qtext.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QWidget>

#include <stdexcept>

namespace korvex::gui {

TCaptionTargets::TCaptionTargets(QWidget& form) {
    setters_["Caption"] = [&form](const QString& text) { form.setWindowTitle(text); };
}

void TCaptionTargets::Add(QObject* control) {
    std::function<void(const QString&)> setter;
    if (auto* label = qobject_cast<QLabel*>(control)) {
        setter = [label](const QString& text) { label->setText(text); };
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        setter = [button](const QString& text) { button->setText(text); };
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        setter = [group](const QString& text) { group->setTitle(text); };
    } else if (auto* action = qobject_cast<QAction*>(control)) {
        setter = [action](const QString& text) { action->setText(text); };
    } else if (auto* menu = qobject_cast<QMenu*>(control)) {
        setter = [menu](const QString& text) { menu->setTitle(text); };
    } else {
        throw std::logic_error("no caption can be put on " + U(control->objectName()));
    }
    setters_[U(control->objectName())] = std::move(setter);
}

void TCaptionTargets::AddTab(QTabWidget* tabs, QWidget* page) {
    setters_[U(page->objectName())] = [tabs, page](const QString& text) {
        tabs->setTabText(tabs->indexOf(page), text);
    };
}

void TCaptionTargets::AddText(std::string name, std::function<void(const QString&)> setter) {
    setters_[std::move(name)] = std::move(setter);
}

void TCaptionTargets::AddTip(QWidget* control) {
    AddText(U(control->objectName()) + "/tip",
            [control](const QString& text) { control->setToolTip(text); });
}

void TCaptionTargets::Set(std::string_view control, const QString& text) const {
    const auto setter = setters_.find(control);
    if (setter == setters_.end()) {
        throw std::logic_error("no captioned control " + std::string(control));
    }
    setter->second(text);
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
