#include "widgets/CaptionButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace tavemo::widgets {

CaptionButton::CaptionButton(Kind kind, int normalOffset, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_normalOffset(normalOffset)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    const QSize size = kind == Kind::Close ? widgets::kCloseButtonSize : widgets::kMinimiseButtonSize;
    setFixedSize(size.width() + normalOffset, size.height());
}

void CaptionButton::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    update();
}

QImage CaptionButton::visiblePicture() const
{
    const qreal dpr = devicePixelRatioF();
    return m_kind == Kind::Close ? widgets::closeButtonPicture(m_state, dpr)
                                 : widgets::minimiseButtonPicture(m_state, dpr);
}

QRect CaptionButton::pictureRect(State state) const
{
    const QSize size = m_kind == Kind::Close ? widgets::kCloseButtonSize : widgets::kMinimiseButtonSize;
    return QRect(QPoint(state == State::Normal ? m_normalOffset : 0, 0), size);
}

void CaptionButton::paintEvent(QPaintEvent*)
{
    // Three small pictures: drawn when shown rather than kept, which costs a few microseconds.
    QPainter p(this);
    p.drawImage(pictureRect(m_state).topLeft(), visiblePicture());
}

void CaptionButton::mouseMoveEvent(QMouseEvent* event)
{
    if (m_state == State::Normal && pictureRect(State::Normal).contains(event->position().toPoint()))
        emit normalMouseMove();
}

void CaptionButton::mousePressEvent(QMouseEvent* event)
{
    if (m_state != State::Highlight)
        return;
    m_clickArmed = event->button() == Qt::LeftButton;
    emit highlightMouseDown();
}

void CaptionButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_clickArmed)
        return;
    m_clickArmed = false;
    emit highlightMouseUp();
    if (pictureRect(State::Highlight).contains(event->position().toPoint()))
        emit highlightClick();
}

} // namespace tavemo::widgets
