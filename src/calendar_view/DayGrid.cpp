#include "calendar_view/DayGrid.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <numeric>

namespace tavemo::calendar_view {

DayGrid::DayGrid(int columns, int rows, QWidget* parent)
    : QWidget(parent), m_colWidths(static_cast<size_t>(columns), 64), m_rowHeights(static_cast<size_t>(rows), 24)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
}

void DayGrid::setColumnWidth(int column, int width)
{
    m_colWidths.at(column) = width;
    update();
}

void DayGrid::setRowHeight(int row, int height)
{
    m_rowHeights.at(row) = height;
    update();
}

int DayGrid::columnLeft(int column) const
{
    return std::accumulate(m_colWidths.begin(), m_colWidths.begin() + column, 0);
}

int DayGrid::rowTop(int row) const { return std::accumulate(m_rowHeights.begin(), m_rowHeights.begin() + row, 0); }

QRect DayGrid::cellRect(int column, int row) const
{
    return {columnLeft(column), rowTop(row), m_colWidths.at(column), m_rowHeights.at(row)};
}

QPoint DayGrid::mouseToCell(QPoint pos) const
{
    auto find = [](const std::vector<int>& sizes, int at) {
        if (at < 0)
            return -1;
        int edge = 0;
        for (size_t i = 0; i < sizes.size(); ++i) {
            edge += sizes[i];
            if (at < edge)
                return static_cast<int>(i);
        }
        return -1;
    };
    const int column = find(m_colWidths, pos.x());
    const int row = find(m_rowHeights, pos.y());
    if (column < 0 || row < 0)
        return {-1, -1};
    return {column, row};
}

bool DayGrid::focusCell(int column, int row)
{
    if (column < 0 || row < 0 || column >= columnCount() || row >= rowCount())
        return false;
    if (m_selectCell && !m_selectCell(column, row))
        return false;
    const QPoint previous = m_current;
    m_current = {column, row};
    refreshCell(previous.x(), previous.y());
    refreshCell(column, row);
    return true;
}

void DayGrid::refreshCell(int column, int row) { update(cellRect(column, row)); }

void DayGrid::paintEvent(QPaintEvent* event)
{
    if (!m_drawCell)
        return;
    QPainter painter(this);
    const QRect dirty = event->rect();
    int top = 0;
    for (int row = 0; row < rowCount(); ++row) {
        const int h = m_rowHeights[static_cast<size_t>(row)];
        int left = 0;
        for (int column = 0; column < columnCount(); ++column) {
            const int w = m_colWidths[static_cast<size_t>(column)];
            const QRect cell(left, top, w, h);
            if (w > 0 && h > 0 && cell.intersects(dirty)) {
                CellState state;
                state.selected = m_current == QPoint(column, row);
                state.focused = state.selected && hasFocus();
                m_drawCell(painter, column, row, cell, state);
            }
            left += w;
        }
        top += h;
    }
}

void DayGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        const QPoint cell = mouseToCell(event->position().toPoint());
        m_dragging = true;
        m_dragCell = cell;
        if (cell.x() >= 0)
            focusCell(cell.x(), cell.y());
    }
    emit pressed(event->button());
}

void DayGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click moves nothing but is still a press.
    emit pressed(event->button());
}

void DayGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint cell = mouseToCell(event->position().toPoint());
    if (cell.x() < 0 || cell == m_dragCell)
        return;
    m_dragCell = cell;
    if (cell != m_current)
        focusCell(cell.x(), cell.y());
}

void DayGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_dragCell = {-1, -1};
    emit clicked(event->position().toPoint());
}

void DayGrid::keyPressEvent(QKeyEvent* event)
{
    QPoint target = m_current;
    // A page is every row below the top one, since the whole grid is always visible.
    const int page = std::max(1, rowCount() - 1);
    switch (event->key()) {
    case Qt::Key_Left:
        target.rx() -= 1;
        break;
    case Qt::Key_Right:
        target.rx() += 1;
        break;
    case Qt::Key_Up:
        target.ry() -= 1;
        break;
    case Qt::Key_Down:
        target.ry() += 1;
        break;
    case Qt::Key_Home:
        target.setX(0);
        break;
    case Qt::Key_End:
        target.setX(columnCount() - 1);
        break;
    case Qt::Key_PageUp:
        target.ry() -= page;
        break;
    case Qt::Key_PageDown:
        target.ry() += page;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    target.setX(std::clamp(target.x(), 0, columnCount() - 1));
    target.setY(std::clamp(target.y(), 0, rowCount() - 1));
    if (target == m_current)
        return;
    focusCell(target.x(), target.y());
    emit clicked(mapFromGlobal(QCursor::pos()));
}

void DayGrid::focusInEvent(QFocusEvent*) { refreshCell(m_current.x(), m_current.y()); }

void DayGrid::focusOutEvent(QFocusEvent*) { refreshCell(m_current.x(), m_current.y()); }

void DayGrid::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_contextMenu)
        m_contextMenu->popup(event->globalPos());
    else
        event->ignore();
}

} // namespace tavemo::calendar_view
