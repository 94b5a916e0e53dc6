#include "calendar_view/UpDownStepper.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace tavemo::calendar_view {

UpDownStepper::UpDownStepper(QWidget* parent) : QWidget(parent)
{
    resize(sizeHint());
    setFocusPolicy(Qt::NoFocus);
}

void UpDownStepper::setPosition(int position)
{
    position = std::clamp(position, m_minimum, m_maximum);
    if (position == m_position)
        return;
    m_position = position;
    update(); // an arrow greys out at either end of the range
}

void UpDownStepper::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setPosition(m_position);
}

void UpDownStepper::step(int delta)
{
    const int before = m_position;
    setPosition(m_position + delta);
    if (m_position != before)
        emit clicked(delta > 0);
}

void UpDownStepper::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressedHalf = event->position().y() < height() / 2.0 ? +1 : -1;
    update();
    step(m_pressedHalf);
}

void UpDownStepper::mouseReleaseEvent(QMouseEvent*)
{
    m_pressedHalf = 0;
    update();
}

void UpDownStepper::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int w = width();
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, w, half), QRect(0, half, w, height() - half)};
    for (int i = 0; i < 2; ++i) {
        const QRect r = halves[i];
        const bool pressed = m_pressedHalf == (i == 0 ? +1 : -1);
        p.fillRect(r, pressed ? QColor(0xCC, 0xCC, 0xCC) : QColor(0xF0, 0xF0, 0xF0));
        p.setPen(QColor(0xA0, 0xA0, 0xA0));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        // A small solid triangle pointing up or down in the middle of the half.
        const int cx = r.center().x();
        const int cy = r.center().y();
        const bool enabledArrow = i == 0 ? m_position < m_maximum : m_position > m_minimum;
        p.setPen(Qt::NoPen);
        p.setBrush(enabledArrow ? QColor(0x40, 0x40, 0x40) : QColor(0xA0, 0xA0, 0xA0));
        QPolygon arrow;
        if (i == 0)
            arrow << QPoint(cx - 3, cy + 2) << QPoint(cx + 4, cy + 2) << QPoint(cx, cy - 2);
        else
            arrow << QPoint(cx - 3, cy - 1) << QPoint(cx + 4, cy - 1) << QPoint(cx, cy + 3);
        p.drawPolygon(arrow);
        p.setBrush(Qt::NoBrush);
    }
}

} // namespace tavemo::calendar_view
