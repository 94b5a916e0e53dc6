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
// through files::AtomicFile, so a failed or interrupted write (a full disk too) leaves the file
// that was there before.
//
// A failed read says why in the outcome's message, a Chinese sentence for the user; a failed write
// names the file there.

#include "core/Outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

#include <cstdint>

namespace tavemo::wallpaper {

// The largest picture taken: 16 384 × 16 384 pixels (1 GiB at 32 bits per pixel). A photo of
// 8000 × 6000 is well within it.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t(16384) * 16384;

enum class PictureKind { Unknown, Bmp, Jpeg, Gif, Png };
// The kind of picture the bytes hold, from their signature (not from a file name).
PictureKind pictureKindOf(QByteArrayView bytes);

// Decoders of one kind each; the picture is in Format_RGB32 and never null when ok(). `maxPixels`
// bounds width × height (checks and fuzzing use smaller bounds; the program always uses
// kMaxPicturePixels).
Result<QImage> decodeBmp(QByteArrayView bytes, std::int64_t maxPixels = kMaxPicturePixels);
Result<QImage> decodeJpeg(QByteArrayView bytes, std::int64_t maxPixels = kMaxPicturePixels);
Result<QImage> decodeGif(QByteArrayView bytes, std::int64_t maxPixels = kMaxPicturePixels);
Result<QImage> decodePng(QByteArrayView bytes, std::int64_t maxPixels = kMaxPicturePixels);

// Decodes by signature, whatever the bytes' kind among the four.
Result<QImage> decodePicture(QByteArrayView bytes, std::int64_t maxPixels = kMaxPicturePixels);
// Reads a picture file of any of the four kinds. The error names the file.
Result<QImage> readPicture(const QString& path, std::int64_t maxPixels = kMaxPicturePixels);

// An uncompressed Windows bitmap of the picture: 24 bits per pixel, rows bottom-up, each row
// padded to a multiple of 4 bytes, BITMAPINFOHEADER. Empty for a null picture.
QByteArray encodeBmp24(const QImage& picture);
// Writes encodeBmp24's bytes to `path`, replacing the file whole (a block of rows at a time, so a
// large picture is never held twice). Fails for a null picture.
Outcome saveBmp24(const QImage& picture, const QString& path);

// A baseline JPEG of three colour components at `quality` (0..100), libjpeg's defaults otherwise.
// Fails for a null picture.
Result<QByteArray> encodeJpeg(const QImage& picture, int quality);

// The JPEG's pixels as encodeBmp24 would write them after decodeJpeg, decoded straight into the
// bitmap's rows. Fails when the JPEG cannot be decoded.
Result<QByteArray> jpegToBmp24(QByteArrayView jpeg, std::int64_t maxPixels = kMaxPicturePixels);
// Writes encodeJpeg's bytes to `path`, replacing the file whole.
Outcome saveJpeg(const QImage& picture, const QString& path, int quality);

} // namespace tavemo::wallpaper
