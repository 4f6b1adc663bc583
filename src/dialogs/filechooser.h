#pragma once

#include <QString>

#include <filesystem>
#include <optional>

class QWidget;

namespace korvex::gui {

// The open and save file dialogs, behind an interface so the window's tests
// can script the names a user would pick.
class TFileChooser {
public:
    virtual ~TFileChooser() = default;
    // `filter` in the form "Hex Files (*.hex)|*.hex|...". nullopt: cancelled.
    virtual std::optional<std::filesystem::path> OpenFile(QWidget* parent, const QString& title,
                                                          std::string_view filter,
                                                          const QString& folder) = 0;
    virtual std::optional<std::filesystem::path> SaveFile(QWidget* parent, const QString& title,
                                                          std::string_view filter,
                                                          const QString& folder) = 0;
};

// QFileDialog. The open dialog lets the user pick several files and uses the
// first, hides the read-only box and can be resized; the save dialog asks no
// overwrite question of its own (the callers ask theirs).
class TQtFileChooser final : public TFileChooser {
public:
    std::optional<std::filesystem::path> OpenFile(QWidget* parent, const QString& title,
                                                  std::string_view filter,
                                                  const QString& folder) override;
    std::optional<std::filesystem::path> SaveFile(QWidget* parent, const QString& title,
                                                  std::string_view filter,
                                                  const QString& folder) override;
};

} // namespace korvex::gui
