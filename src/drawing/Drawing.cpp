#include "drawing/Drawing.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tavemo::drawing {
namespace {

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value)); // the default rounding mode sends halves to even
}

} // namespace

QColor toQColor(TColor color)
{
    if (color < 0)
        return QColor(Qt::black); // system colours: only the window text colour is ever used
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor fromQColor(const QColor& color) { return color.red() | (color.green() << 8) | (color.blue() << 16); }

bool DrawGradient(QPainter& target, const QRect& rect, int bands, int direction, TColor start, TColor end)
{
    if (bands < 1)
        return false;
    const QColor from = toQColor(start);
    const QColor to = toQColor(end);
    const double stepRed = double(to.red() - from.red()) / bands;
    const double stepGreen = double(to.green() - from.green()) / bands;
    const double stepBlue = double(to.blue() - from.blue()) / bands;
    const int w = rect.width();
    const int h = rect.height();
    const double bandSize = (direction == 0 ? h : w) / double(bands);
    for (int i = 0; i < bands; ++i) {
        const int bandStart = roundHalfEven(i * bandSize);
        const int bandEnd = roundHalfEven((i + 1) * bandSize);
        if (bandEnd <= bandStart)
            continue;
        const QColor color(std::clamp(from.red() + roundHalfEven((i + 1) * stepRed), 0, 255),
                           std::clamp(from.green() + roundHalfEven((i + 1) * stepGreen), 0, 255),
                           std::clamp(from.blue() + roundHalfEven((i + 1) * stepBlue), 0, 255));
        const QRect band =
            direction == 0 ? QRect(0, bandStart, w, bandEnd - bandStart) : QRect(bandStart, 0, bandEnd - bandStart, h);
        target.fillRect(band.translated(rect.topLeft()), color);
    }
    return true;
}

bool FitRect(int pw, int ph, int W, int H, bool centred, QRect& result)
{
    if (ph == 0)
        return false;
    const double ratio = double(pw) / double(ph);
    int w = 0;
    int h = 0;
    if (ph < pw) {
        w = W;
        h = static_cast<int>(std::trunc(W / ratio));
        if (h > H) {
            h = H;
            w = static_cast<int>(std::trunc(H * ratio));
        }
    } else {
        h = H;
        w = static_cast<int>(std::trunc(H * ratio));
        if (w > W) {
            w = W;
            // ratio is 0 only when pw is 0, and then w cannot exceed W >= 0
            h = static_cast<int>(std::trunc(W / ratio));
        }
    }
    QRect r(0, 0, w, h);
    if (centred)
        r.translate((W - w) / 2, (H - h) / 2);
    result = r;
    return true;
}

void BlendLayer(QImage& face, QImage& layer, QPoint origin, int percent, std::int64_t key)
{
    const int p = ((percent % 100) + 100) % 100;
    if (face.format() != QImage::Format_RGB32)
        face = face.convertToFormat(QImage::Format_RGB32);
    if (layer.format() != QImage::Format_RGB32)
        layer = layer.convertToFormat(QImage::Format_RGB32);
    if (layer.isNull() || face.isNull())
        return;
    auto asTColor = [](QRgb rgb) -> std::int64_t { return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16); };
    if (key == -1)
        key = asTColor(layer.pixel(0, 0));
    const int q = 100 - p;
    auto mix = [p, q](int f, int l) { return std::clamp((q * f + p * l) / 100, 0, 255); };
    // Only the overlap of the layer, shifted by origin, with the face is touched.
    const int x0 = std::max(0, -origin.x());
    const int x1 = std::min(layer.width(), face.width() - origin.x());
    const int y0 = std::max(0, -origin.y());
    const int y1 = std::min(layer.height(), face.height() - origin.y());
    for (int y = y0; y < y1; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(face.scanLine(origin.y() + y)) + origin.x();
        for (int x = x0; x < x1; ++x) {
            const QRgb l = src[x];
            if (asTColor(l) == key)
                continue;
            const QRgb f = dst[x];
            dst[x] = qRgb(mix(qRed(f), qRed(l)), mix(qGreen(f), qGreen(l)), mix(qBlue(f), qBlue(l)));
        }
    }
}

} // namespace tavemo::drawing
