#pragma once
// Pieces the picture readers share: the size check made before any pixel buffer is allocated,
// and the texts of their errors.

#include "wallpaper/PictureCodecs.h"

#include <QImage>
#include <QString>

#include <cstdint>

class QFile;

namespace tavemo::wallpaper::detail {

// A picture that cannot be used: `sentence` (for the user) says why.
inline Result<QImage> unusable(QString sentence, Failure failure = Failure::Unreadable)
{
    return {QImage(), Outcome::failedSaying(failure, std::move(sentence))};
}

// Empty when a picture of width × height may be decoded; otherwise why not.
QString checkPictureSize(std::int64_t width, std::int64_t height, std::int64_t maxPixels);

// A blank Format_RGB32 picture, or a null one (with `error` set) when the memory is not there.
QImage allocatePicture(int width, int height, QString* error);

// Sets the fourth byte of every pixel to 0xFF, so that a picture read with an alpha channel is the
// opaque Format_RGB32 picture of its colour bytes.
void makeOpaque(QImage& picture);

// Decodes with Qt's reader of `format` ("bmp", "png"), which may hold up to `bytesPerPixel` per
// pixel of a picture within maxPixels (its own allocation guard is set just above that, so the
// caller's size check is the one that decides). A null picture, with Qt's reason, on failure.
QImage readWithQt(QByteArrayView bytes, const char* format, std::int64_t maxPixels, int bytesPerPixel, QString* reason);

// The opaque Format_RGB32 form of a decoded picture. An alpha channel is laid over white, except
// that with `zeroAlphaIsOpaque` a picture whose alpha is 0 everywhere keeps its colours (bitmaps
// whose fourth bytes were never meant as transparency).
QImage toOpaqueRgb32(QImage picture, bool zeroAlphaIsOpaque);

// The headers of a 24-bit bottom-up bitmap and room for its rows (padding zeroed, pixels not);
// empty when the memory is not there. Pixels start at kBmpPixelOffset.
inline constexpr int kBmpPixelOffset = 54;
QByteArray blankBmp24(int width, int height);

// Reads an uncompressed 24-bit bitmap from the open file a block of rows at a time, without holding
// the file in memory. False, reading nothing, when the file is of another kind or layout.
bool readPlainBmpFile(QFile& file, std::int64_t maxPixels, Result<QImage>& result);

} // namespace tavemo::wallpaper::detail
