#pragma once
// The main window's measures and the look of its note editor: what the window lays out with, and
// what the pictures drawn off screen (the note on the wallpaper without the window) must match.

#include <QSize>

#include <optional>

class QTextEdit;
class QWidget;

namespace tavemo::widgets {

// Client area the positions of the window's components are given for; anchored components keep
// their distances to the right and bottom edges of this size.
inline constexpr QSize kDesignSize{734, 462};
inline constexpr QSize kMinimumWindowSize{650, 500};
inline constexpr QSize kDefaultWindowSize{750, 500};
// The note's panel: at (315, 80), 415 × 377 in the design size, anchored to all four edges, framed
// by two bevels of one pixel each.
inline constexpr QSize kNotePanelDesignSize{415, 377};
inline constexpr int kNotePanelBevel = 2;

// The size the note editor has in a window of `windowSize` (while no notice shows above it).
QSize noteEditorSize(QSize windowSize);

// The size a start gives the window: the saved one (none: the default), raised to the minimum.
QSize startWindowSize(std::optional<QSize> saved);

// The note editor's font (宋体, 15 pixels), white ground and black text, rich text accepted.
void setUpNoteEditor(QTextEdit& editor);

// A plain white panel of the window (pngRight, pnlWeb): it fills its ground with white itself.
void setWhiteGround(QWidget& panel);

} // namespace tavemo::widgets
