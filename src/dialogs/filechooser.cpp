#include "dialogs/filechooser.h"

#include "dialogs/qtext.h"

#include <QFileDialog>

namespace korvex::gui {

std::optional<std::filesystem::path> TQtFileChooser::OpenFile(QWidget* parent, const QString& title,
                                                              std::string_view filter,
                                                              const QString& folder) {
    QFileDialog dialog(parent, title, folder, QtFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(U(dialog.selectedFiles().front()));
}

std::optional<std::filesystem::path> TQtFileChooser::SaveFile(QWidget* parent, const QString& title,
                                                              std::string_view filter,
                                                              const QString& folder) {
    QFileDialog dialog(parent, title, folder, QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(U(dialog.selectedFiles().front()));
}

} // namespace korvex::gui
