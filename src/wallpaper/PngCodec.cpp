// PNG through Qt's reader (libpng underneath), behind a size check of our own on the header.
// libpng's simplified reader was tried first: the libpng of Debian 12 returns interlaced
// pictures with their rows mixed up through it. Transparent parts are laid over white.

#include "PictureCodecs.h"

#include "CodecSupport.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

namespace tavemo::wallpaper {
namespace {

QString damaged(const QString& reason = {})
{
    if (reason.isEmpty())
        return QStringLiteral("PNG 图片已损坏或格式不受支持。");
    return QStringLiteral("PNG 图片已损坏或格式不受支持（%1）。").arg(reason);
}

std::int64_t readBe32(QByteArrayView bytes, qsizetype at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | std::uint8_t(bytes[at + i]);
    return value;
}

} // namespace

PictureResult decodePng(QByteArrayView bytes, std::int64_t maxPixels)
{
    // Signature, then the IHDR chunk: length 13, "IHDR", width, height.
    if (bytes.size() < 33 || !bytes.startsWith("\x89PNG\r\n\x1A\n") || bytes.sliced(12, 4) != "IHDR")
        return {QImage(), damaged()};
    if (QString tooLarge = detail::checkPictureSize(readBe32(bytes, 16), readBe32(bytes, 20), maxPixels);
        !tooLarge.isEmpty())
        return {QImage(), tooLarge};

    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(false);
    // 64 bits per pixel is the most Qt's reader holds (16-bit channels with alpha).
    reader.setAllocationLimit(int(std::min<std::int64_t>((maxPixels * 8 >> 20) + 2, INT32_MAX)));
    QImage image = reader.read();
    if (image.isNull())
        return {QImage(), damaged(reader.errorString())};

    if (!image.hasAlphaChannel()) {
        image = image.convertToFormat(QImage::Format_RGB32);
        return {image, QString()};
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    detail::layOverWhite(image);
    image.reinterpretAsFormat(QImage::Format_RGB32);
    return {image, QString()};
}

} // namespace tavemo::wallpaper
