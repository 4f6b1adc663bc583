#include "dialogs/hexmemo.h"

#include "dialogs/qtext.h"
#include "dialogs/widgettools.h"
#include "workflows/entries.h"
#include "workflows/presenter/mainworkflows.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringList>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace korvex::gui {

THexViewWords HexViewWords(const TPMainWorkflows& work) {
    return {work.Text(entries::kHexViewCaption), work.Text(entries::kSaveButton),
            work.Text(entries::kCloseButton), work.Text(entries::kSaveAsTitle),
            work.Text(entries::kReadBackSaved)};
}

namespace {

// " 0000 : " with a five-digit address, then 32 bytes: the widest line of a
// program memory dump.
constexpr int kTypicalLineChars = 1 + 5 + 3 + 64;
constexpr int kShownLines = 24;

} // namespace

QPlainTextEdit* NewHexMemo(QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QStringLiteral("mmoHexview"));
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setFont(FixedPitchFont());
    ShowHexLines(*memo, {});
    return memo;
}

void ShowHexLines(QPlainTextEdit& memo, const std::vector<std::string>& lines) {
    QStringList text;
    int chars = kTypicalLineChars;
    for (const auto& line : lines) {
        text << Q(line);
        chars = std::max(chars, static_cast<int>(line.size()));
    }
    memo.setPlainText(text.join(QLatin1Char('\n')));

    const QFontMetrics metrics(memo.font());
    const int margins =
        2 * (memo.frameWidth() + static_cast<int>(std::ceil(memo.document()->documentMargin())));
    const int width = metrics.horizontalAdvance(QString(chars + 1, QLatin1Char('0'))) + margins +
                      memo.verticalScrollBar()->sizeHint().width();
    memo.setMinimumWidth(std::max(memo.minimumWidth(), width));
    memo.setMinimumHeight(metrics.lineSpacing() * kShownLines + margins);
}

} // namespace korvex::gui
