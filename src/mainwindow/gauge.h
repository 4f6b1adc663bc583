#pragma once

#include <QWidget>

namespace korvex::gui {

// The progress gauge: a navy bar on the button face colour, the percentage
// written in its middle.
class TGauge final : public QWidget {
    Q_OBJECT
public:
    explicit TGauge(QWidget* parent = nullptr);
    int Value() const { return value_; }
    // 0..100; values outside are held at the nearest end.
    void SetValue(int percent);
    QSize sizeHint() const override;

signals:
    void ValueChanged(int percent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
};

} // namespace korvex::gui
