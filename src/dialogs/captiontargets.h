#pragma once

#include <QString>

#include <functional>
#include <map>
#include <string>
#include <string_view>

class QObject;
class QTabWidget;
class QWidget;

namespace korvex::gui {

// The controls of a form that take language captions, under the names the
// workflows' caption tables give them: each is added once by its own type,
// and a caption for a name never added throws std::logic_error, so a control
// renamed on one side cannot silently keep its old text.
class TCaptionTargets {
public:
    // "Caption" names the form's title.
    explicit TCaptionTargets(QWidget& form);

    // A label, a button, a group box, an action or a menu, by its objectName.
    void Add(QObject* control);
    // A tab page, by its objectName: the caption is its tab's title.
    void AddTab(QTabWidget* tabs, QWidget* page);
    // Any other text (a tip, a hint), under a name of the caption tables.
    void AddText(std::string name, std::function<void(const QString&)> setter);
    // A control's tip, named "<objectName>/tip".
    void AddTip(QWidget* control);

    void Set(std::string_view control, const QString& text) const;

private:
    std::map<std::string, std::function<void(const QString&)>, std::less<>> setters_;
};

// A menu caption shown where no mnemonic applies: the single ampersands
// dropped, a doubled one kept as one.
QString WithoutMnemonic(const QString& caption);

} // namespace korvex::gui
