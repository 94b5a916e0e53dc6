#include "widgets/WindowFrame.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tavemo::widgets {

WindowFrame::WindowFrame(QWidget* window, Sizing sizing) : QObject(window), m_window(window), m_sizing(sizing) {}

WindowFrame::~WindowFrame() { showBandCursor({}); }

void WindowFrame::attach()
{
    if (m_handle || !m_window->windowHandle())
        return;
    m_handle = m_window->windowHandle();
    m_handle->installEventFilter(this);
}

Qt::Edges WindowFrame::edgesAt(QPoint pos) const
{
    const int w = m_window->width();
    const int h = m_window->height();
    Qt::Edges edges;
    if (m_sizing == Sizing::None)
        return edges;
    if (pos.x() < 0 || pos.y() < 0 || pos.x() >= w || pos.y() >= h)
        return edges;
    if (pos.x() < kBandWidth)
        edges |= Qt::LeftEdge;
    else if (pos.x() >= w - kBandWidth)
        edges |= Qt::RightEdge;
    if (pos.y() < kBandWidth)
        edges |= Qt::TopEdge;
    else if (pos.y() >= h - kBandWidth)
        edges |= Qt::BottomEdge;
    return edges;
}

Qt::CursorShape WindowFrame::cursorFor(Qt::Edges edges)
{
    const bool left = edges & Qt::LeftEdge, right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge, bottom = edges & Qt::BottomEdge;
    if ((left && top) || (right && bottom))
        return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom))
        return Qt::SizeBDiagCursor;
    if (left || right)
        return Qt::SizeHorCursor;
    if (top || bottom)
        return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

void WindowFrame::showBandCursor(Qt::Edges edges)
{
    if (edges == m_cursorEdges)
        return;
    if (!edges)
        QGuiApplication::restoreOverrideCursor();
    else if (!m_cursorEdges)
        QGuiApplication::setOverrideCursor(cursorFor(edges));
    else
        QGuiApplication::changeOverrideCursor(cursorFor(edges));
    m_cursorEdges = edges;
}

void WindowFrame::startMove(QPoint globalPos)
{
    if (m_handle && m_handle->startSystemMove())
        return;
    m_following = true;
    m_followEdges = {};
    m_pressGlobal = globalPos;
    m_startGeometry = m_window->geometry();
}

void WindowFrame::follow(QPoint globalPos)
{
    const QPoint d = globalPos - m_pressGlobal;
    if (!m_followEdges) {
        m_window->move(m_startGeometry.topLeft() + d);
        return;
    }
    QRect r = m_startGeometry;
    const QSize minimum = m_window->minimumSize();
    if (m_followEdges & Qt::LeftEdge)
        r.setLeft(std::min(r.left() + d.x(), r.right() + 1 - minimum.width()));
    if (m_followEdges & Qt::RightEdge)
        r.setRight(std::max(r.right() + d.x(), r.left() - 1 + minimum.width()));
    if (m_followEdges & Qt::TopEdge)
        r.setTop(std::min(r.top() + d.y(), r.bottom() + 1 - minimum.height()));
    if (m_followEdges & Qt::BottomEdge)
        r.setBottom(std::max(r.bottom() + d.y(), r.top() - 1 + minimum.height()));
    m_window->setGeometry(r);
}

bool WindowFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_handle)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_following) {
            follow(mouse->globalPosition().toPoint());
            return true;
        }
        // A drag that began inside (selecting text) keeps its cursor.
        showBandCursor(mouse->buttons() == Qt::NoButton ? edgesAt(mouse->position().toPoint()) : m_cursorEdges);
        return false;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::Edges edges = edgesAt(mouse->position().toPoint());
        if (mouse->button() != Qt::LeftButton || !edges)
            return false;
        if (!m_handle->startSystemResize(edges)) {
            m_following = true;
            m_followEdges = edges;
            m_pressGlobal = mouse->globalPosition().toPoint();
            m_startGeometry = m_window->geometry();
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        // The release goes on to the widgets, which end their own press with it.
        m_following = false;
        return false;
    case QEvent::Leave:
        if (!m_following)
            showBandCursor({});
        return false;
    default:
        return false;
    }
}

} // namespace tavemo::widgets
