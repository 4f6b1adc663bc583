#include "dialogs/messageboxes.h"

#include "dialogs/qtext.h"
#include "workflows/entries.h"

#include <QAbstractButton>
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

// Qt words its standard buttons in English unless a translation of its own
// is loaded: they take the language of the program instead.
void TQtPrompts::Word(QMessageBox& box) const {
    const struct {
        QMessageBox::StandardButton button;
        int entry;
        const char* english;
    } kWords[] = {
        {QMessageBox::Ok, entries::kOk, "OK"},
        {QMessageBox::Yes, entries::kYes, "&Yes"},
        {QMessageBox::No, entries::kNo, "&No"},
    };
    for (const auto& word : kWords) {
        if (QAbstractButton* button = box.button(word.button)) {
            button->setText(Title(word.entry, word.english));
        }
    }
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
    Word(box);
    box.exec();
}

bool TQtPrompts::Ask(int /*entry*/, const std::string& text, TAnswer preset) {
    QMessageBox box(QMessageBox::Warning, Title(entries::kConfirmTitle, "Confirm"), Q(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setObjectName(QStringLiteral("questionBox"));
    Word(box);
    box.setDefaultButton(preset == TAnswer::anNo ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void TQtPrompts::ShowPlain(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, Q(title), Q(text), QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("plainBox"));
    Word(box);
    box.exec();
}

void TQtPrompts::ShowLinkError(const std::string& text) {
    ShowMessage(TMessageKind::mkError, -1, text);
}

} // namespace korvex::gui
