#pragma once
// A small vertical spin control: an up arrow over a down arrow, a position kept within a range.
// One press on an arrow moves the position by one; clicked() follows every press that moved it.

#include <QWidget>

namespace tavemo::calendar_view {

class UpDownStepper : public QWidget {
    Q_OBJECT
public:
    explicit UpDownStepper(QWidget* parent = nullptr);

    int position() const { return m_position; }
    // Clamped to the range, like the platform's spin control does.
    void setPosition(int position);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setRange(int minimum, int maximum);

    // What a press on the upper (up) or lower (down) arrow does; public so that hosts and tests can
    // drive the control without synthesising mouse events.
    void stepUp() { step(+1); }
    void stepDown() { step(-1); }

    QSize sizeHint() const override { return {17, 22}; }

signals:
    // After the position has changed by one step.
    void clicked(bool up);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void step(int delta);

    int m_position = 0;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_pressedHalf = 0; // +1 upper arrow held, -1 lower arrow held, 0 none
};

} // namespace tavemo::calendar_view
