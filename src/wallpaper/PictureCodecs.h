#pragma once
// Reading and writing the pictures of the wallpaper folder.
//
// Every picture in memory is a QImage in Format_RGB32: rows from the top, each pixel the bytes
// blue, green, red and a fourth byte that carries nothing (Qt keeps it at 0xFF; no picture of ours
// has transparency). Readers decode BMP (through Qt's reader: 1, 4, 8, 16, 24 and 32 bits, RLE,
// top-down rows), JPEG (libjpeg), GIF (giflib, the first image) and PNG (libpng); the writers put
// out uncompressed 24-bit bitmaps and baseline JPEG files.
//
// No reader trusts a header: a picture whose pixel count is above the limit is refused before
// anything of its size is allocated, and damaged data gives an error, never a crash. Writers go
// through a temporary file that is renamed over the target, so a failed or interrupted write
// leaves the file that was there before.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

#include <cstdint>

namespace tavemo::wallpaper {

// The largest picture taken: 16 384 × 16 384 pixels (1 GiB at 32 bits per pixel). A photo of
// 8000 × 6000 is well within it.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t(16384) * 16384;

// A decoded picture, or why there is none. `error` is a Chinese sentence for the user.
struct PictureResult {
    QImage image; // Format_RGB32 when ok
    QString error;
    bool ok() const { return error.isEmpty() && !image.isNull(); }
};

// The outcome of writing a file: empty error on success.
struct WriteResult {
    QString error;
    bool ok() const { return error.isEmpty(); }
};

enum class PictureKind { Unknown, Bmp, Jpeg, Gif, Png };
// The kind of picture the bytes hold, from their signature (not from a file name).
PictureKind pictureKindOf(QByteArrayView bytes);

// Decoders of one kind each. `maxPixels` bounds width × height (checks and fuzzing use smaller
// bounds; the program always uses kMaxPicturePixels).
PictureResult decodeBmp(QByteArrayView bytes, std::int64_t maxPixels = kMaxPicturePixels);
PictureResult decodeJpeg(QByteArrayView bytes, std::int64_t maxPixels = kMaxPicturePixels);
PictureResult decodeGif(QByteArrayView bytes, std::int64_t maxPixels = kMaxPicturePixels);
PictureResult decodePng(QByteArrayView bytes, std::int64_t maxPixels = kMaxPicturePixels);

// Decodes by signature, whatever the bytes' kind among the four.
PictureResult decodePicture(QByteArrayView bytes, std::int64_t maxPixels = kMaxPicturePixels);
// Reads a picture file of any of the four kinds. The error names the file.
PictureResult readPicture(const QString& path, std::int64_t maxPixels = kMaxPicturePixels);

// An uncompressed Windows bitmap of the picture: 24 bits per pixel, rows bottom-up, each row
// padded to a multiple of 4 bytes, BITMAPINFOHEADER. Empty for a null picture.
QByteArray encodeBmp24(const QImage& picture);
// Writes encodeBmp24's bytes to `path`, replacing the file through a temporary one.
WriteResult saveBmp24(const QImage& picture, const QString& path);

// A baseline JPEG of three colour components at `quality` (0..100), libjpeg's defaults otherwise.
// Empty, with an error, when the picture is null.
QByteArray encodeJpeg(const QImage& picture, int quality, QString* error = nullptr);

// The JPEG's pixels as encodeBmp24 would write them after decodeJpeg, decoded straight into the
// bitmap's rows. Empty, with an error, when the JPEG cannot be decoded.
QByteArray jpegToBmp24(QByteArrayView jpeg, std::int64_t maxPixels = kMaxPicturePixels, QString* error = nullptr);
WriteResult saveJpeg(const QImage& picture, const QString& path, int quality);

// Writes `bytes` to `path` whole or not at all.
WriteResult saveFileAtomically(const QString& path, QByteArrayView bytes);

} // namespace tavemo::wallpaper
