// PNG through Qt's reader (libpng underneath), behind a size check of our own on the header.
// libpng's simplified reader was tried first: the libpng of Debian 12 returns interlaced
// pictures with their rows mixed up through it. Transparent parts are laid over white.

#include "wallpaper/PictureCodecs.h"

#include "wallpaper/CodecSupport.h"

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

// Every chunk up to IEND must lie within the bytes. libpng allocates what a chunk's length says
// before it reads the chunk, so a 200-byte file whose text chunk claims 1.8 GB would cost that much.
QString chunkBeyondTheEnd(QByteArrayView bytes)
{
    qsizetype at = 8;
    while (at + 8 <= bytes.size()) {
        const std::int64_t length = readBe32(bytes, at);
        const QByteArrayView type = bytes.sliced(at + 4, 4);
        if (length > bytes.size() - at - 12)
            return QString::fromLatin1(type.toByteArray().toHex());
        if (type == "IEND")
            break;
        at += 12 + qsizetype(length);
    }
    return {};
}

} // namespace

Result<QImage> decodePng(QByteArrayView bytes, std::int64_t maxPixels)
{
    // Signature, then the IHDR chunk: length 13, "IHDR", width, height.
    if (bytes.size() < 33 || !bytes.startsWith("\x89PNG\r\n\x1A\n") || bytes.sliced(12, 4) != "IHDR")
        return detail::unusable(damaged());
    if (QString tooLarge = detail::checkPictureSize(readBe32(bytes, 16), readBe32(bytes, 20), maxPixels);
        !tooLarge.isEmpty())
        return detail::unusable(tooLarge, Failure::BadInput);
    if (const QString chunk = chunkBeyondTheEnd(bytes); !chunk.isEmpty())
        return detail::unusable(damaged(QStringLiteral("数据块 %1 超出了文件的末尾").arg(chunk)));

    // 64 bits per pixel is the most Qt's reader holds (16-bit channels with alpha).
    QString reason;
    QImage image = detail::readWithQt(bytes, "png", maxPixels, 8, &reason);
    if (image.isNull())
        return detail::unusable(damaged(reason));
    return {detail::toOpaqueRgb32(std::move(image), false), {}};
}

} // namespace tavemo::wallpaper
