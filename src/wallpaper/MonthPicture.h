#pragma once
// The month picture file laid beside the note: the delivered "source\Month\YYYYMM.bmp" of a month.
// When there is none, the road takes the month as the calendar draws it (ApplyPieces).

#include <QDate>
#include <QString>

namespace tavemo::wallpaper {

// Application directory + "source\Month\" + the month of `day` as YYYYMM + ".bmp".
QString monthPicturePath(const QString& appDir, const QDate& day);

} // namespace tavemo::wallpaper
