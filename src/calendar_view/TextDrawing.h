#pragma once
// One-line text in a box, placed the way the calendar's layout expects: the line box of a Chinese
// face is one em high with the ideographs filling it (the Debian CJK faces report much taller
// lines than the faces the layout was drawn for, which would push the text out of 27-pixel cells),
// Latin faces keep their own ascent and descent. Text is clipped to the box.

#include <QFont>
#include <QRect>
#include <QString>

class QPainter;
class QColor;

namespace tavemo::calendar_view {

struct LineMetrics {
    int height = 0; // the line box
    int ascent = 0; // from the top of the line box to the baseline
};

LineMetrics lineMetrics(const QFont& font);

// Width and line height of `text` in `font`, as a label sizing itself to its text needs.
QSize textExtent(const QFont& font, const QString& text);

struct TextBoxOptions {
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    bool endEllipsis = true;              // text wider than the box ends in "…"
    const QColor* opaqueGround = nullptr; // fill the text's own line box first, as opaque text does
};

// Draws `text` with the painter's font and pen in `box`.
void drawTextInBox(QPainter& painter, const QRect& box, const QString& text, const TextBoxOptions& options);

} // namespace tavemo::calendar_view
