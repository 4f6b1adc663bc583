#include "dialogs/qtext.h"

#include <QStringList>

namespace korvex::gui {

QString QtFilter(std::string_view filter) {
    const QStringList parts = Q(filter).split(QLatin1Char('|'));
    QStringList descriptions;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        descriptions << parts[i];
    }
    return descriptions.join(QStringLiteral(";;"));
}

} // namespace korvex::gui
