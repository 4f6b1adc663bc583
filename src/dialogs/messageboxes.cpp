#include "dialogs/messageboxes.h"

#include "dialogs/qtext.h"

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

QString TitleOf(TMessageKind kind) {
    switch (kind) {
    case TMessageKind::mkError:
        return QStringLiteral("Error");
    case TMessageKind::mkWarning:
        return QStringLiteral("Warning");
    case TMessageKind::mkInformation:
        return QStringLiteral("Information");
    }
    return {};
}

} // namespace

void TQtPrompts::ShowMessage(TMessageKind kind, int /*entry*/, const std::string& text) {
    QMessageBox box(IconOf(kind), TitleOf(kind), Q(text), QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

bool TQtPrompts::Ask(int /*entry*/, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Confirm"), Q(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setObjectName(QStringLiteral("questionBox"));
    box.setDefaultButton(QMessageBox::Yes);
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
