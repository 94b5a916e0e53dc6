#include "wallpaper/PictureCodecs.h"

#include "files/AtomicFile.h"
#include "wallpaper/CodecSupport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace tavemo::wallpaper {

namespace detail {

QString checkPictureSize(std::int64_t width, std::int64_t height, std::int64_t maxPixels)
{
    if (width <= 0 || height <= 0)
        return QStringLiteral("图片的宽度或高度为 0。");
    // Both sides are at most 2^32 here, so the product cannot overflow.
    if (width > INT32_MAX || height > INT32_MAX || width * height > maxPixels)
        return QStringLiteral("图片太大（%1 × %2 像素），最多只能使用 %3 像素的图片（例如 16384 × 16384）。")
            .arg(width)
            .arg(height)
            .arg(maxPixels);
    return {};
}

QImage allocatePicture(int width, int height, QString* error)
{
    QImage picture(width, height, QImage::Format_RGB32);
    if (picture.isNull() && error)
        *error = QStringLiteral("内存不足，无法打开 %1 × %2 像素的图片。").arg(width).arg(height);
    return picture;
}

void makeOpaque(QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            row[x] |= 0xFF000000u;
    }
}

namespace {

bool alphaIsAllZero(const QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (qAlpha(row[x]) != 0)
                return false;
    }
    return true;
}

void layOverWhite(QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int a = qAlpha(row[x]);
            if (a == 255)
                continue;
            auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            row[x] = qRgb(over(qRed(row[x])), over(qGreen(row[x])), over(qBlue(row[x])));
        }
    }
}

} // namespace

QImage readWithQt(QByteArrayView bytes, const char* format, std::int64_t maxPixels, int bytesPerPixel, QString* reason)
{
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(int(std::min<std::int64_t>((maxPixels * bytesPerPixel >> 20) + 2, INT32_MAX)));
    QImage image = reader.read();
    if (image.isNull() && reason)
        *reason = reader.errorString();
    return image;
}

QImage toOpaqueRgb32(QImage picture, bool zeroAlphaIsOpaque)
{
    if (!picture.hasAlphaChannel())
        return picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    if (picture.format() != QImage::Format_ARGB32)
        picture = picture.convertToFormat(QImage::Format_ARGB32);
    if (zeroAlphaIsOpaque && alphaIsAllZero(picture))
        makeOpaque(picture);
    else
        layOverWhite(picture);
    picture.reinterpretAsFormat(QImage::Format_RGB32);
    return picture;
}

} // namespace detail

PictureKind pictureKindOf(QByteArrayView bytes)
{
    if (bytes.startsWith("BM"))
        return PictureKind::Bmp;
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return PictureKind::Jpeg;
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return PictureKind::Gif;
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return PictureKind::Png;
    return PictureKind::Unknown;
}

Result<QImage> decodePicture(QByteArrayView bytes, std::int64_t maxPixels)
{
    switch (pictureKindOf(bytes)) {
    case PictureKind::Bmp:
        return decodeBmp(bytes, maxPixels);
    case PictureKind::Jpeg:
        return decodeJpeg(bytes, maxPixels);
    case PictureKind::Gif:
        return decodeGif(bytes, maxPixels);
    case PictureKind::Png:
        return decodePng(bytes, maxPixels);
    case PictureKind::Unknown:
        break;
    }
    return detail::unusable(QStringLiteral("不是可以使用的图片（可用的格式：BMP、JPEG、GIF、PNG）。"));
}

Result<QImage> readPicture(const QString& path, std::int64_t maxPixels)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return detail::unusable(QStringLiteral("无法打开图片 %1：%2").arg(path, file.errorString()),
                                file.exists() ? Failure::Io : Failure::Missing);
    // The largest picture we take is a 32-bit bitmap of kMaxPicturePixels plus its headers; a
    // file beyond that is not read into memory at all.
    if (file.size() > maxPixels * 4 + (1 << 20))
        return detail::unusable(QStringLiteral("图片 %1 太大，无法使用。").arg(path), Failure::BadInput);
    Result<QImage> result;
    if (!detail::readPlainBmpFile(file, maxPixels, result)) {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return detail::unusable(QStringLiteral("无法读取图片 %1：%2").arg(path, file.errorString()), Failure::Io);
        result = decodePicture(bytes, maxPixels);
    }
    if (!result.ok()) // the decoder's sentence becomes the reason
        result.outcome = Outcome::failedSaying(result.outcome.failure,
                                               QStringLiteral("图片 %1 无法使用：%2").arg(path, result.outcome.message),
                                               result.outcome.message);
    return result;
}

Outcome saveJpeg(const QImage& picture, const QString& path, int quality)
{
    const Result<QByteArray> jpeg = encodeJpeg(picture, quality);
    if (!jpeg.ok())
        return jpeg.outcome.saying(QStringLiteral("无法生成 JPEG 文件 %1：%2").arg(path, jpeg.outcome.text()));
    return files::saveAtomically(path, jpeg.value);
}

} // namespace tavemo::wallpaper
