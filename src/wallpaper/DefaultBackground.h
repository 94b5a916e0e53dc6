#pragma once
// The default background "A1.bmp" the program is delivered with: a calm evening sky over soft
// hills, light where the note and the month are laid on it (top right), so both stay readable.

#include <QImage>
#include <QSize>

namespace tavemo::wallpaper {

inline constexpr QSize kDefaultBackgroundSize(1920, 1080);

// The picture at `size`, drawn the same way every time. Needs a QGuiApplication.
QImage drawDefaultBackground(QSize size = kDefaultBackgroundSize);

} // namespace tavemo::wallpaper
