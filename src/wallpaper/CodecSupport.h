#pragma once
// Pieces the picture readers share: the size check made before any pixel buffer is allocated,
// and the texts of their errors.

#include <QImage>
#include <QString>

#include <cstdint>

namespace tavemo::wallpaper::detail {

// Empty when a picture of width × height may be decoded; otherwise why not.
QString checkPictureSize(std::int64_t width, std::int64_t height, std::int64_t maxPixels);

// A blank Format_RGB32 picture, or a null one (with `error` set) when the memory is not there.
QImage allocatePicture(int width, int height, QString* error);

// Sets the fourth byte of every pixel to 0xFF, so that a picture read with an alpha channel is the
// opaque Format_RGB32 picture of its colour bytes.
void makeOpaque(QImage& picture);

// For a Format_ARGB32 picture: whether every pixel's alpha is 0.
bool alphaIsAllZero(const QImage& picture);
// Lays a Format_ARGB32 picture over white, leaving it opaque.
void layOverWhite(QImage& picture);

} // namespace tavemo::wallpaper::detail
