#include "dialogs/messageboxes.h"

#include "dialogs/qtext.h"
#include "workflows/entries.h"

#include <QMessageBox>

namespace korvex::gui {

namespace {

QMessageBox::Icon IconOf(TMessageKind kind) {
    switch (kind) {
    case TMessageKind::mkError:
        return QMessageBox::Critical;
    case TMessageKind::mkWarning:
        return QMessageBox::Warning;
    case TMessageKind::mkInformation:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString TQtPrompts::Title(int entry, const char* english) const {
    return text_ ? text_(entry) : QString::fromLatin1(english);
}

void TQtPrompts::ShowMessage(TMessageKind kind, int /*entry*/, const std::string& text) {
    QString title;
    switch (kind) {
    case TMessageKind::mkError:
        title = Title(entries::kErrorTitle, "Error");
        break;
    case TMessageKind::mkWarning:
        title = Title(entries::kWarningTitle, "Warning");
        break;
    case TMessageKind::mkInformation:
        title = Title(entries::kInformationTitle, "Information");
        break;
    }
    QMessageBox box(IconOf(kind), title, Q(text), QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

bool TQtPrompts::Ask(int /*entry*/, const std::string& text, TAnswer preset) {
    QMessageBox box(QMessageBox::Warning, Title(entries::kConfirmTitle, "Confirm"), Q(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setObjectName(QStringLiteral("questionBox"));
    box.setDefaultButton(preset == TAnswer::anNo ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void TQtPrompts::ShowPlain(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, Q(title), Q(text), QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("plainBox"));
    box.exec();
}

void TQtPrompts::ShowLinkError(const std::string& text) {
    ShowMessage(TMessageKind::mkError, -1, text);
}

} // namespace korvex::gui
