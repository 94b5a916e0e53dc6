#include "widgets/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace tavemo::widgets {

PictureBox::PictureBox(Draw draw, QWidget* parent) : QWidget(parent), m_draw(std::move(draw))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::setDraw(Draw draw)
{
    m_draw = std::move(draw);
    m_cache = {};
    m_cacheDpr = 0;
    update();
}

void PictureBox::setStretch(bool stretch)
{
    m_stretch = stretch;
    update();
}

QImage PictureBox::picture() const
{
    const qreal dpr = devicePixelRatioF();
    if (m_draw && dpr != m_cacheDpr) {
        m_cache = m_draw(dpr);
        m_cacheDpr = dpr;
    }
    return m_cache;
}

void PictureBox::paintEvent(QPaintEvent*)
{
    const QImage image = picture();
    if (image.isNull())
        return;
    QPainter p(this);
    if (m_stretch) {
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(rect(), image);
    } else {
        p.drawImage(QPoint(0, 0), image);
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    emit mousePressed(event->button());
}

void PictureBox::mouseMoveEvent(QMouseEvent*) { emit mouseMoved(); }

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool wasPressed = m_leftPressed;
    m_leftPressed = false;
    if (wasPressed && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace tavemo::widgets
