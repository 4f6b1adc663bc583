#include "mainwindow/filefield.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QSignalBlocker>
#include <QUrl>

namespace korvex::gui {

namespace {

// The local file a drag brings, or an empty string.
QString DroppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || !data->urls().front().isLocalFile()) {
        return {};
    }
    return data->urls().front().toLocalFile();
}

} // namespace

TFileField::TFileField(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(true);
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        path_ = text;
        setToolTip(path_.isEmpty() ? hint_ : path_);
        emit PathEdited(path_);
    });
}

void TFileField::SetPath(const QString& path) {
    if (path == path_) {
        return;
    }
    path_ = path;
    ShowPath();
}

void TFileField::SetHint(const QString& hint) {
    hint_ = hint;
    ShowPath();
}

void TFileField::ShowPath() {
    // Typing goes on where it was when the text is the one typed.
    const QString shown =
        editing_ || path_.endsWith(QLatin1Char('/')) ? path_ : QFileInfo(path_).fileName();
    if (text() != shown) {
        const QSignalBlocker blocker(this);
        setText(shown);
        // A long name shows its start.
        setCursorPosition(editing_ ? cursorPosition() : 0);
    }
    setToolTip(path_.isEmpty() ? hint_ : path_);
}

void TFileField::focusInEvent(QFocusEvent* event) {
    editing_ = true;
    ShowPath();
    QLineEdit::focusInEvent(event);
}

void TFileField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    editing_ = false;
    ShowPath();
}

void TFileField::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TFileField::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TFileField::dropEvent(QDropEvent* event) {
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    path_ = file;
    ShowPath();
    emit PathEdited(path_);
}

} // namespace korvex::gui
