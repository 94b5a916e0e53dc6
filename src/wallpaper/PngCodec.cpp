// PNG through libpng's simplified reader, which handles every colour type and bit depth and
// keeps its error handling to itself. Transparent parts are laid over white.

#include "PictureCodecs.h"

#include "CodecSupport.h"

#include <png.h>

namespace tavemo::wallpaper {
namespace {

struct PngImage {
    png_image image{};
    PngImage() { image.version = PNG_IMAGE_VERSION; }
    ~PngImage() { png_image_free(&image); }
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;
};

QString pngError(const png_image& image)
{
    return QStringLiteral("PNG 图片已损坏或格式不受支持（%1）。").arg(QString::fromLatin1(image.message));
}

} // namespace

PictureResult decodePng(QByteArrayView bytes, std::int64_t maxPixels)
{
    PngImage png;
    if (!png_image_begin_read_from_memory(&png.image, bytes.data(), std::size_t(bytes.size())))
        return {QImage(), pngError(png.image)};
    if (QString tooLarge = detail::checkPictureSize(png.image.width, png.image.height, maxPixels); !tooLarge.isEmpty())
        return {QImage(), tooLarge};
    QString memoryError;
    QImage picture = detail::allocatePicture(int(png.image.width), int(png.image.height), &memoryError);
    if (picture.isNull())
        return {QImage(), memoryError};
    // Blue, green, red, alpha per pixel: the byte order of the picture in memory.
    png.image.format = PNG_FORMAT_BGRA;
    if (!png_image_finish_read(&png.image, nullptr, picture.bits(), picture.bytesPerLine(), nullptr))
        return {QImage(), pngError(png.image)};
    for (int y = 0; y < picture.height(); ++y) {
        auto* p = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x, p += 4) {
            const int a = p[3];
            if (a == 255)
                continue;
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<unsigned char>((p[c] * a + 255 * (255 - a) + 127) / 255);
            p[3] = 255;
        }
    }
    return {picture, QString()};
}

} // namespace tavemo::wallpaper
