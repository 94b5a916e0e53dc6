#include "widgets/WindowPictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace tavemo::widgets {
namespace {

const QColor kFace(216, 227, 243);
const QColor kBorder(150, 174, 210);
const QColor kGlyph(86, 104, 132);
const QColor kCloseRed(222, 48, 48);
const QColor kCloseRedDown(160, 24, 24);
const QColor kMiniBlue(52, 120, 210);
const QColor kMiniBlueDown(28, 78, 160);
const QColor kBrandBlue(30, 84, 160);
const QColor kBrandRed(176, 36, 36);

// An image of `size` logical pixels at `dpr`, transparent, with a painter that draws in logical
// pixels.
QImage blankImage(QSize size, qreal dpr)
{
    dpr = std::max<qreal>(dpr, 1.0);
    QImage image(QSize(qRound(size.width() * dpr), qRound(size.height() * dpr)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

// A font of the faces Debian ships, in logical pixels; Han text always in the simplified Chinese face.
QFont pictureFont(const QStringList& families, qreal pixelSize, int weight, bool italic = false)
{
    QFont font;
    QStringList all = families;
    all << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("DejaVu Sans");
    font.setFamilies(all);
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont latinFont(qreal pixelSize, int weight, bool italic = false)
{
    return pictureFont({QStringLiteral("Liberation Sans")}, pixelSize, weight, italic);
}

QFont hanFont(qreal pixelSize, int weight)
{
    return pictureFont({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")}, pixelSize, weight);
}

// A 1-logical-pixel outline of `r` from fills, so that it covers whole pixels at any ratio.
void outline(QPainter& p, const QRect& r, const QColor& color)
{
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), color);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), color);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), color);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), color);
}

void drawCross(QPainter& p, const QRectF& box, const QColor& color, qreal width)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(color, width, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(box.topLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomLeft());
    p.restore();
}

QImage captionButtonAt(QSize size, ButtonState state, const QColor& hot, const QColor& down, bool cross, qreal dpr)
{
    QImage image = blankImage(size, dpr);
    QPainter p(&image);
    const int w = size.width();
    const int h = size.height();
    if (state == ButtonState::Normal) {
        // A small frame around the glyph, centred, on the transparent ground (the face shows).
        const QRect frame((w - 15) / 2, (h - 13) / 2, 15, 13);
        outline(p, frame, kGlyph);
        if (cross)
            drawCross(p, QRectF(frame).adjusted(4.5, 3.5, -4.5, -3.5), kGlyph, 1.4);
        else
            p.fillRect(QRect(frame.left() + 4, frame.top() + 6, 7, 1), kGlyph);
    } else {
        p.fillRect(QRect(0, 0, w, h), state == ButtonState::Highlight ? hot : down);
        const QRectF glyph((w - 8) / 2.0, (h - 8) / 2.0, 8, 8);
        if (cross)
            drawCross(p, glyph, Qt::white, 1.6);
        else
            p.fillRect(QRect((w - 9) / 2, h / 2, 9, 2), Qt::white);
    }
    return image;
}

void drawCentredText(QPainter& p, const QRect& r, const QString& text, const QFont& font, const QColor& color)
{
    p.setFont(font);
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

} // namespace

QColor windowFaceColor() { return kFace; }
QColor windowBorderColor() { return kBorder; }

void paintWindowFace(QPainter& painter, const QRect& rect)
{
    painter.fillRect(rect, kFace);
    outline(painter, rect, kBorder);
}

QImage closeButtonPicture(ButtonState state, qreal dpr)
{
    return captionButtonAt(kCloseButtonSize, state, kCloseRed, kCloseRedDown, true, dpr);
}

QImage minimiseButtonPicture(ButtonState state, qreal dpr)
{
    return captionButtonAt(kMinimiseButtonSize, state, kMiniBlue, kMiniBlueDown, false, dpr);
}

QImage logoPicture(qreal dpr)
{
    QImage image = blankImage(kLogoSize, dpr);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QFont brand = latinFont(30, QFont::Bold, true);
    const QFont words = hanFont(22, QFont::Bold);
    const QString name = QStringLiteral("Tavemo");
    const QString title = QStringLiteral("桌面日历");
    const int nameWidth = QFontMetrics(brand).horizontalAdvance(name);
    const int gap = 6;
    const int baseline = 38;
    p.setFont(brand);
    p.setPen(kBrandBlue);
    p.drawText(QPoint(2, baseline), name);
    p.setFont(words);
    p.setPen(kBrandRed);
    p.drawText(QPoint(2 + nameWidth + gap, baseline), title);
    // A thin underline ties the two words together.
    p.fillRect(QRect(2, baseline + 7, kLogoSize.width() - 8, 1),
               QColor(kBrandBlue.red(), kBrandBlue.green(), kBrandBlue.blue(), 110));
    return image;
}

QImage titlePicture(const QString& text, QSize size, qreal dpr)
{
    QImage image = blankImage(size, dpr);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QFont font = hanFont(std::clamp(size.height() * 0.42, 10.0, 40.0), QFont::Bold);
    p.setFont(font);
    p.setPen(kBrandBlue);
    p.drawText(QRect(6, 0, size.width() - 6, size.height() - 8), Qt::AlignLeft | Qt::AlignVCenter, text);
    p.fillRect(QRect(6, size.height() - 10, size.width() - 16, 1),
               QColor(kBrandBlue.red(), kBrandBlue.green(), kBrandBlue.blue(), 110));
    return image;
}

QImage pictureButton(const QString& text, QSize size, qreal dpr)
{
    QImage image = blankImage(size, dpr);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF body = QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    const qreal radius = std::min<qreal>(5.0, size.height() / 5.0);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0.0, QColor(92, 156, 232));
    fill.setColorAt(1.0, QColor(40, 104, 196));
    QPainterPath path;
    path.addRoundedRect(body, radius, radius);
    p.fillPath(path, fill);
    p.setPen(QPen(QColor(28, 76, 150), 1.0));
    p.drawPath(path);
    // A light line under the top edge gives the button its relief.
    p.setPen(QPen(QColor(255, 255, 255, 90), 1.0));
    p.drawLine(QPointF(radius, 1.5), QPointF(size.width() - radius, 1.5));
    p.setRenderHint(QPainter::TextAntialiasing, true);
    drawCentredText(p, QRect(QPoint(0, 0), size), text,
                    hanFont(std::clamp(size.height() * 0.44, 9.0, 24.0), QFont::Bold), Qt::white);
    return image;
}

QImage smallPictureButton(const QString& text, QSize size, qreal dpr)
{
    QImage image = blankImage(size, dpr);
    QPainter p(&image);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0.0, QColor(255, 255, 255));
    fill.setColorAt(1.0, QColor(222, 232, 246));
    p.fillRect(QRect(QPoint(0, 0), size), fill);
    outline(p, QRect(QPoint(0, 0), size), kBorder);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    drawCentredText(p, QRect(QPoint(0, 0), size), text,
                    hanFont(std::clamp(size.height() * 0.58, 9.0, 20.0), QFont::Normal), kBrandBlue);
    return image;
}

QImage fontToolPicture(qreal dpr)
{
    QImage image = blankImage(kFontToolSize, dpr);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    drawCentredText(p, QRect(QPoint(0, 0), kFontToolSize), QStringLiteral("T"),
                    pictureFont({QStringLiteral("Liberation Serif")}, 17, QFont::Black), QColor(30, 30, 30));
    return image;
}

QImage colourSwatchPicture(qreal dpr)
{
    QImage image = blankImage(kColourSwatchSize, dpr);
    QPainter p(&image);
    p.fillRect(QRect(QPoint(0, 0), kColourSwatchSize), QColor(230, 0, 0));
    outline(p, QRect(QPoint(0, 0), kColourSwatchSize), QColor(140, 0, 0));
    return image;
}

QImage exclamationPicture(qreal dpr)
{
    QImage image = blankImage(kExclamationSize, dpr);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF disc(1.5, 2.0, 42.0, 42.0);
    QLinearGradient fill(0, disc.top(), 0, disc.bottom());
    fill.setColorAt(0.0, QColor(255, 176, 64));
    fill.setColorAt(1.0, QColor(236, 112, 0));
    p.setBrush(fill);
    p.setPen(QPen(QColor(196, 90, 0), 1.0));
    p.drawEllipse(disc);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const qreal cx = disc.center().x();
    QPainterPath bar;
    bar.moveTo(cx - 3.5, 10.0);
    bar.lineTo(cx + 3.5, 10.0);
    bar.lineTo(cx + 2.0, 29.0);
    bar.lineTo(cx - 2.0, 29.0);
    bar.closeSubpath();
    p.drawPath(bar);
    p.drawEllipse(QPointF(cx, 35.0), 3.0, 3.0);
    return image;
}

QImage checkMarkPicture(qreal dpr)
{
    QImage image = blankImage(kCheckMarkSize, dpr);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(24, 150, 40), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(2.5, 8.5);
    tick.lineTo(6.5, 12.5);
    tick.lineTo(13.5, 3.5);
    p.drawPath(tick);
    return image;
}

QImage programIcon(int size)
{
    size = std::max(size, 16);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 64.0, size / 64.0); // drawn on a 64 x 64 grid
    const QRectF leaf(4, 6, 56, 54);
    QPainterPath page;
    page.addRoundedRect(leaf, 8, 8);
    p.fillPath(page, Qt::white);
    // The blue head of the leaf.
    p.save();
    p.setClipPath(page);
    p.fillRect(QRectF(leaf.left(), leaf.top(), leaf.width(), 17), QColor(40, 104, 196));
    p.restore();
    p.setPen(QPen(QColor(28, 76, 150), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(page);
    // Two rings that hold the leaves.
    p.setPen(QPen(QColor(60, 60, 70), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 2.5), QPointF(19, 12));
    p.drawLine(QPointF(45, 2.5), QPointF(45, 12));
    // The day.
    QFont font = hanFont(30, QFont::Bold);
    p.setFont(font);
    p.setPen(kBrandRed);
    p.drawText(QRectF(leaf.left(), leaf.top() + 17, leaf.width(), leaf.height() - 17), Qt::AlignCenter,
               QStringLiteral("日"));
    return image;
}

} // namespace tavemo::widgets
