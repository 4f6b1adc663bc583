#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace korvex::gui {

// The core keeps every text in UTF-8.
inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string U(const QString& text) {
    return text.toStdString();
}

// A filter of the form "Hex Files (*.hex)|*.hex|Binary Files (*.bin)|*.bin"
// as a Qt file dialog takes it: the descriptions, one per line.
QString QtFilter(std::string_view filter);

} // namespace korvex::gui
