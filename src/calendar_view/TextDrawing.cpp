#include "calendar_view/TextDrawing.h"

#include <QColor>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>
#include <unordered_map>

namespace tavemo::calendar_view {

namespace {

// Share of the em above the baseline in the ideographic em box of the CJK faces.
constexpr double kIdeographicAscent = 0.88;

} // namespace

LineMetrics lineMetrics(const QFont& font)
{
    // Resolving the face is the slow part and a calendar paints with a handful of fonts.
    static std::unordered_map<QString, LineMetrics> cache;
    const QString key = font.key();
    if (auto it = cache.find(key); it != cache.end())
        return it->second;

    LineMetrics m;
    const QFontInfo info(font);
    if (info.family().contains(QLatin1String("CJK"))) {
        const int em = info.pixelSize();
        m.height = em;
        m.ascent = static_cast<int>(std::lround(em * kIdeographicAscent));
    } else {
        const QFontMetrics fm(font);
        m.height = fm.ascent() + fm.descent();
        m.ascent = fm.ascent();
    }
    cache.emplace(key, m);
    return m;
}

QSize textExtent(const QFont& font, const QString& text)
{
    return {QFontMetrics(font).horizontalAdvance(text), lineMetrics(font).height};
}

void drawTextInBox(QPainter& painter, const QRect& box, const QString& text, const TextBoxOptions& options)
{
    if (text.isEmpty() || box.isEmpty())
        return;
    const QFontMetrics fm(painter.font());
    const LineMetrics m = lineMetrics(painter.font());
    const QString shown = options.endEllipsis ? fm.elidedText(text, Qt::ElideRight, box.width()) : text;
    const int width = fm.horizontalAdvance(shown);

    int x = box.left();
    if (options.align & Qt::AlignHCenter)
        x += (box.width() - width) / 2;
    else if (options.align & Qt::AlignRight)
        x = box.left() + box.width() - width;
    int top = box.top();
    if (options.align & Qt::AlignVCenter)
        top += (box.height() - m.height) / 2;
    else if (options.align & Qt::AlignBottom)
        top = box.top() + box.height() - m.height;

    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    if (options.opaqueGround)
        painter.fillRect(QRect(x, top, width, m.height), *options.opaqueGround);
    painter.drawText(QPoint(x, top + m.ascent), shown);
    painter.restore();
}

} // namespace tavemo::calendar_view
