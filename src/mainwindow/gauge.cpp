#include "mainwindow/gauge.h"

#include <QPainter>
#include <QStyleOptionFrame>

#include <algorithm>

namespace korvex::gui {

TGauge::TGauge(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ggeWriteProgress"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TGauge::SetValue(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent != value_) {
        value_ = percent;
        update();
        emit ValueChanged(percent);
    }
}

QSize TGauge::sizeHint() const {
    return {120, fontMetrics().height() + 6};
}

void TGauge::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    const QColor face = palette().color(QPalette::Button);
    const QColor navy(0, 0, 128);
    painter.fillRect(rect(), face);
    const QRect inner = frame.adjusted(1, 1, 0, 0);
    const int barWidth = inner.width() * value_ / 100;
    const QRect bar(inner.left(), inner.top(), barWidth, inner.height());
    painter.fillRect(bar, navy);

    // The percentage reads white over the bar and black beside it.
    const QString text = QString::number(value_) + QLatin1Char('%');
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.setClipRect(inner.adjusted(barWidth, 0, 0, 0));
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.setPen(Qt::white);
    painter.setClipRect(bar);
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.setClipping(false);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
}

} // namespace korvex::gui
