#pragma once
// Colours as the program stores them and the helpers that work on pixel rows: the calendar's
// gradient, picture fit and blend, and the wallpaper composition draw with the same pieces.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>

class QPainter;

namespace tavemo::drawing {

// Colour as 0x00BBGGRR. Negative values name system colours.
using TColor = std::int32_t;
QColor toQColor(TColor color);
TColor fromQColor(const QColor& color);

// Fills `rect` with `bands` bands running from just past `start` to `end`, top to bottom
// (direction 0) or left to right (direction 1). False, drawing nothing, when bands < 1.
bool DrawGradient(QPainter& target, const QRect& rect, int bands, int direction, TColor start, TColor end);

// Proportional fit of a picture of pw x ph into an area of W x H, at the top-left corner or
// centred. False, leaving `result` as it was, for a picture of zero height.
bool FitRect(int pw, int ph, int W, int H, bool centred, QRect& result);

// Mixes `layer` into `face` at `origin` with the layer's weight percent mod 100 per cent. Layer
// pixels of the colour `key` (0x00BBGGRR; -1: the colour of the layer's top-left pixel) leave
// the face alone. Works on 32-bit pixel rows: images of other formats are converted first.
void BlendLayer(QImage& face, QImage& layer, QPoint origin, int percent, std::int64_t key);

} // namespace tavemo::drawing
