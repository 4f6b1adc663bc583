#pragma once

#include <QLineEdit>

namespace korvex::gui {

// A file row's field: typed into, dropped onto, or filled from the open
// dialog. Away from the keyboard it shows the file's name, with the whole
// path in its tooltip; while the user edits it, the whole path.
class TFileField final : public QLineEdit {
    Q_OBJECT
public:
    explicit TFileField(QWidget* parent = nullptr);

    // The field's text as the workflows have it; what the user sees follows.
    void SetPath(const QString& path);
    const QString& Path() const { return path_; }
    // The tooltip of an empty field.
    void SetHint(const QString& hint);

signals:
    // The user typed, or dropped a file: the whole path as it is now.
    void PathEdited(const QString& path);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ShowPath();

    QString path_;
    QString hint_;
    bool editing_ = false;
};

} // namespace korvex::gui
