#pragma once
// The month picture laid beside the note: the delivered "source\Month\YYYYMM.bmp" of the current
// month when there is one, else the month as the calendar control draws it. A drawn picture lives
// in memory only; nothing is ever written to "source\Month".

#include "PictureCodecs.h"

#include <QDate>
#include <QImage>
#include <QString>

#include <functional>

namespace tavemo::calendar_view {
class TChnCalendar;
}

namespace tavemo::wallpaper {

// The size the calendar is drawn at: the size it has in the main window.
inline constexpr int kMonthPictureWidth = 311;
inline constexpr int kMonthPictureHeight = 253;

// Application directory + "source\Month\" + the month of `today` as YYYYMM + ".bmp".
QString monthPicturePath(const QString& appDir, const QDate& today);

// Sets up the calendar before it is drawn (the window passes the set-up of its own calendar).
using CalendarSetup = std::function<void(calendar_view::TChnCalendar&)>;

// The calendar control showing `today`, drawn off screen at 311 × 253. Its white ground stays white,
// so the background shows through it on the wallpaper. Needs a QApplication.
QImage drawMonthPicture(const QDate& today, const CalendarSetup& setup = {});

// The picture at `path` when the file exists (an unreadable file gives an error, not a drawn
// month), otherwise drawMonthPicture(today, setup).
PictureResult monthPicture(const QString& path, const QDate& today, const CalendarSetup& setup = {});

} // namespace tavemo::wallpaper
