#include "dialogs/widgettools.h"

#include "support/errors.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QWidget>

namespace korvex::gui {

void Paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    if (palette.color(role) != colour) {
        palette.setColor(role, colour);
        widget->setPalette(palette);
    }
}

QColor ColourOf(TStatusColour colour, const QPalette& palette) {
    switch (colour) {
    case TStatusColour::scRed:
        return {255, 0, 0};
    case TStatusColour::scYellow:
        return {255, 255, 0};
    case TStatusColour::scLime:
        return {0, 255, 0};
    case TStatusColour::scButtonFace:
        break;
    }
    return palette.color(QPalette::Button);
}

void PaintStatus(QWidget* widget, TStatusColour colour) {
    const QColor background =
        ColourOf(colour, widget->parentWidget() != nullptr ? widget->parentWidget()->palette()
                                                           : widget->palette());
    Paint(widget, QPalette::Window, background);
    Paint(widget, QPalette::WindowText, Qt::black);
}

QFont Scaled(QFont font, double factor, bool bold) {
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

bool EveryCharacterAsWide(const QFont& font) {
    // What a dump or a frame line shows; a face that calls itself monospaced
    // is not always marked fixed-pitch, so its widths are what counts.
    static const QString kShown = QStringLiteral("0123456789ABCDEFabcdef .:-|iWM");
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(kShown.front());
    for (const QChar c : kShown) {
        if (metrics.horizontalAdvance(c) != width) {
            return false;
        }
    }
    return true;
}

QFont FixedPitchFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (EveryCharacterAsWide(font)) {
        return font;
    }
    // The desktop's monospace alias led to a proportional face: take the
    // first installed family that is fixed-pitch, at the same size.
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isFixedPitch(family)) {
            continue;
        }
        QFont candidate = font;
        candidate.setFamilies({family});
        if (EveryCharacterAsWide(candidate)) {
            return candidate;
        }
    }
    return font;
}

void Handle(TPrompts& prompts, const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        prompts.ShowMessage(TMessageKind::mkError, -1, DescribeError(error));
    }
}

} // namespace korvex::gui
