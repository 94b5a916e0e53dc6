#include "calendar_view/CaptionLabel.h"

#include "calendar_view/TextDrawing.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tavemo::calendar_view {

CaptionLabel::CaptionLabel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    fitToText();
}

void CaptionLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    fitToText();
    update();
}

void CaptionLabel::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void CaptionLabel::setLabelFont(const QFont& font)
{
    setFont(font);
    fitToText();
    update();
}

void CaptionLabel::anchorRightEdgeAt(int x)
{
    m_rightEdge = x;
    fitToText();
}

QSize CaptionLabel::sizeHint() const { return textExtent(font(), m_text); }

void CaptionLabel::fitToText()
{
    const QSize size = sizeHint();
    if (m_rightEdge >= 0)
        setGeometry(m_rightEdge - size.width(), y(), size.width(), size.height());
    else
        resize(size);
}

void CaptionLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(m_color);
    drawTextInBox(p, rect(), m_text, {Qt::AlignLeft | Qt::AlignTop, false, nullptr});
}

void CaptionLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit leftClicked(event->globalPosition().toPoint());
}

void CaptionLabel::contextMenuEvent(QContextMenuEvent* event) { emit contextMenuAt(event->globalPos()); }

} // namespace tavemo::calendar_view
