#include "wallpaper/DefaultBackground.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tavemo::wallpaper {
namespace {

// A ridge line across the picture: a few long, slow waves around `base` (fractions of the height).
QPainterPath ridge(QSize size, double base, double amplitude, double phase, int seed)
{
    const double w = size.width();
    const double h = size.height();
    QPainterPath path;
    path.moveTo(0, h);
    for (int x = 0; x <= size.width(); x += 8) {
        const double t = x / w;
        const double y = base + amplitude * (0.55 * std::sin(2 * M_PI * (1.1 * t + phase)) +
                                             0.30 * std::sin(2 * M_PI * (2.3 * t + phase * 1.7 + seed * 0.13)) +
                                             0.15 * std::sin(2 * M_PI * (4.7 * t + seed * 0.29)));
        path.lineTo(x, y * h);
    }
    path.lineTo(w, h);
    path.closeSubpath();
    return path;
}

// A little fixed noise of ±1 level breaks the bands a smooth gradient shows in 8 bits per colour.
void dither(QImage& picture)
{
    std::uint32_t state = 0x2545F491u;
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int n = int(state % 3) - 1;
            const QRgb p = row[x];
            auto ch = [n](int v) { return std::clamp(v + n, 0, 255); };
            row[x] = qRgb(ch(qRed(p)), ch(qGreen(p)), ch(qBlue(p)));
        }
    }
}

} // namespace

QImage drawDefaultBackground(QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = size.width();
    const double h = size.height();

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0.00, QColor(186, 208, 228));
    sky.setColorAt(0.45, QColor(222, 232, 240));
    sky.setColorAt(0.70, QColor(240, 233, 222));
    sky.setColorAt(1.00, QColor(236, 222, 206));
    p.fillRect(picture.rect(), sky);

    // A low sun on the left, far from where the note goes.
    QRadialGradient glow(QPointF(0.22 * w, 0.62 * h), 0.45 * h);
    glow.setColorAt(0.0, QColor(255, 246, 226, 200));
    glow.setColorAt(0.25, QColor(255, 240, 214, 90));
    glow.setColorAt(1.0, QColor(255, 240, 214, 0));
    p.fillRect(picture.rect(), glow);

    // Ridges from far (pale) to near (deeper blue-green).
    struct Layer {
        double base, amplitude, phase;
        QColor top, bottom;
    };
    const Layer layers[] = {
        {0.66, 0.040, 0.10, QColor(176, 192, 206), QColor(190, 202, 212)},
        {0.73, 0.045, 0.45, QColor(146, 170, 186), QColor(166, 186, 198)},
        {0.81, 0.040, 0.80, QColor(112, 146, 160), QColor(134, 162, 172)},
        {0.89, 0.035, 0.25, QColor(84, 122, 132), QColor(104, 138, 144)},
    };
    int seed = 1;
    for (const Layer& layer : layers) {
        QLinearGradient fill(0, (layer.base - layer.amplitude) * h, 0, h);
        fill.setColorAt(0, layer.top);
        fill.setColorAt(1, layer.bottom);
        p.fillPath(ridge(size, layer.base, layer.amplitude, layer.phase, seed++), fill);
    }
    p.end();
    dither(picture);
    return picture;
}

} // namespace tavemo::wallpaper
