#pragma once
// Where the main window's components stand: one table of {objectName, rect, anchors}. A rect is
// given at the window's design size (734 × 462) in its component's parent; an anchored right or
// bottom edge keeps its distance to the window's right or bottom edge, so a component anchored
// left and right grows with the window and one anchored right only moves with it. A rect without a
// size places the component and leaves its size alone (labels size themselves to their text, the
// caption buttons have their pictures' size).
//
// The window names its components as the table does, places each as it makes it, and places them
// all again on every resize. Components inside pnlABC are the note panel's (NotePanel lays them
// out): the table ends at pngRight.

#include <QRect>
#include <QSize>

#include <span>

class QWidget;

namespace tavemo::app {

struct LayoutEntry {
    const char* name;
    QRect rect;        // at the design size, in the parent; no size: keep the component's own
    Qt::Edges anchors; // Qt::RightEdge / Qt::BottomEdge follow the window; left and top always hold
};

// The main window's table, parents before their children.
std::span<const LayoutEntry> mainWindowLayout();

// Where `entry` stands in a window of `windowSize` (its size invalid when the entry has none).
QRect placeAt(const LayoutEntry& entry, QSize windowSize);

// Places `component` by the entry of its objectName in `table`; false when the table has none.
bool place(QWidget& component, QSize windowSize, std::span<const LayoutEntry> table = mainWindowLayout());

// Places every component below `window` that the table names, for the window's present size.
void layOut(QWidget& window, std::span<const LayoutEntry> table = mainWindowLayout());

} // namespace tavemo::app
