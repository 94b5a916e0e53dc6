#include "wallpaper/MixPictures.h"

#include <algorithm>
#include <cstdint>

namespace tavemo::wallpaper {
namespace {

void toRgb32(QImage& picture)
{
    if (picture.format() != QImage::Format_RGB32)
        picture = picture.convertToFormat(QImage::Format_RGB32);
}

// d + (s − d) × percent / 100 with C++'s truncating division, as a byte.
inline std::uint8_t mixByte(int d, int s, int percent)
{
    const std::int64_t mixed = d + std::int64_t(s - d) * percent / 100;
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(mixed, 0, 255));
}

} // namespace

QImage& MixPictures(QImage& first, QImage& second, int offset, int top, int percent)
{
    toRgb32(first);
    toRgb32(second);
    const int minH = std::min(first.height(), second.height());
    const int minW = std::min(first.width(), second.width());
    const int maxW = std::max(first.width(), second.width());
    const bool ontoFirst = second.height() == minH;
    QImage& destination = ontoFirst ? first : second;
    const QImage& source = ontoFirst ? second : first;
    const std::int64_t y0 = ontoFirst ? 0 : top;
    const std::int64_t x0 = std::int64_t(maxW) - 10 - (offset > 0 ? offset : minW);
    if (destination.isNull() || source.isNull())
        return destination;

    // The part of the source that lands inside the destination.
    const int rowFirst = int(std::clamp<std::int64_t>(-y0, 0, minH));
    const int rowEnd = int(std::clamp<std::int64_t>(destination.height() - y0, 0, minH));
    const int colFirst = int(std::clamp<std::int64_t>(-x0, 0, minW));
    const int colEnd = int(std::clamp<std::int64_t>(destination.width() - x0, 0, minW));
    if (rowFirst >= rowEnd || colFirst >= colEnd)
        return destination;

    for (int r = rowFirst; r < rowEnd; ++r) {
        const auto* s = reinterpret_cast<const std::uint8_t*>(source.constScanLine(r));
        auto* d = reinterpret_cast<std::uint8_t*>(destination.scanLine(int(y0 + r))) + 4 * (x0 + colFirst);
        s += 4 * colFirst;
        for (int j = colFirst; j < colEnd; ++j, s += 4, d += 4) {
            if (s[0] == 255 && s[1] == 255 && s[2] == 255)
                continue;
            d[0] = mixByte(d[0], s[0], percent);
            d[1] = mixByte(d[1], s[1], percent);
            d[2] = mixByte(d[2], s[2], percent);
            // The fourth byte carries nothing in our pictures (Qt keeps it at 0xFF).
        }
    }
    return destination;
}

} // namespace tavemo::wallpaper
