#pragma once
// Lays one picture over another: white pixels of the picture laid on are transparent, every
// other pixel is mixed with the one below by `percent` per cent.

#include <QImage>

namespace tavemo::wallpaper {

// Converts both pictures to Format_RGB32, then lays the shorter picture (`second` when the two are
// equally tall) over the taller one and returns the taller one, changed in place:
//   - the picture laid on is the source, the other the destination;
//   - source row r goes onto destination row y0 + r, for r below the smaller height, where y0 is 0
//     when the destination is `first` and `top` when it is `second`;
//   - source pixel j goes onto destination pixel x0 + j, for j below the smaller width, where
//     x0 = larger width − 10 − (offset if offset > 0, else the smaller width);
//   - a source pixel whose blue, green and red bytes are all 255 changes nothing; any other changes
//     each byte d of the destination pixel to d + (s − d) × percent / 100 (truncating, kept within
//     0..255 for any percent).
// This is the byte walk over 32-bit rows of the program's Windows form, whose pictures carry 0 in
// their fourth byte: its white test then never spans two pixels. Rows and columns that fall
// outside either picture are left out, so no size of picture reads or writes past a row.
QImage& MixPictures(QImage& first, QImage& second, int offset, int top, int percent);

} // namespace tavemo::wallpaper
