#pragma once
// An owner-drawn grid of cells with sizes per column and row and a current cell. It has no
// painting of its own: every cell is drawn by the owner's callback. Before the current cell moves
// (mouse press, drag, navigation key or the owner setting it) the owner is asked whether the cell
// may become current.

#include <QPoint>
#include <QRect>
#include <QWidget>

#include <functional>
#include <vector>

class QMenu;

namespace tavemo::calendar_view {

class DayGrid : public QWidget {
    Q_OBJECT
public:
    struct CellState {
        bool selected = false; // the cell is the current cell
        bool focused = false;  // ... and the grid has the keyboard focus
    };
    // column, row, the cell in grid coordinates, its state
    using DrawCell = std::function<void(QPainter&, int, int, const QRect&, CellState)>;
    // column, row -> may the cell become current?
    using SelectCell = std::function<bool(int, int)>;

    DayGrid(int columns, int rows, QWidget* parent = nullptr);

    int columnCount() const { return static_cast<int>(m_colWidths.size()); }
    int rowCount() const { return static_cast<int>(m_rowHeights.size()); }
    int columnWidth(int column) const { return m_colWidths.at(column); }
    int rowHeight(int row) const { return m_rowHeights.at(row); }
    void setColumnWidth(int column, int width);
    void setRowHeight(int row, int height);
    QRect cellRect(int column, int row) const;
    // The cell under a point in grid coordinates, or (-1, -1) outside every cell.
    QPoint mouseToCell(QPoint pos) const;

    int currentColumn() const { return m_current.x(); }
    int currentRow() const { return m_current.y(); }
    // Asks the select-cell question and moves when it is allowed (also when the cell is current
    // already). Returns whether the move was allowed.
    bool focusCell(int column, int row);

    void setDrawCell(DrawCell draw) { m_drawCell = std::move(draw); }
    void setSelectCell(SelectCell select) { m_selectCell = std::move(select); }
    // The menu a right click opens, or none.
    void setContextMenu(QMenu* menu) { m_contextMenu = menu; }
    QMenu* contextMenu() const { return m_contextMenu; }

    void refreshCell(int column, int row);

signals:
    // After the grid has handled a press of any button itself.
    void pressed(Qt::MouseButton button);
    // The left button released, or a navigation key that proposed another cell; `pointer` is
    // where the pointer is then, in grid coordinates.
    void clicked(QPoint pointer);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int columnLeft(int column) const;
    int rowTop(int row) const;

    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    QPoint m_current{0, 0};
    QPoint m_dragCell{-1, -1}; // the cell the pointer is over while the left button is held
    bool m_dragging = false;
    DrawCell m_drawCell;
    SelectCell m_selectCell;
    QMenu* m_contextMenu = nullptr;
};

} // namespace tavemo::calendar_view
