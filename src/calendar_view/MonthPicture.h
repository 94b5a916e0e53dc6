#pragma once
// The month as the calendar control draws it, as a picture: what the wallpaper lays beside the
// note when no month picture file is delivered. It lives in memory only.

#include <QDate>
#include <QImage>

#include <functional>

namespace tavemo::calendar_view {

class TChnCalendar;

// The size the calendar is drawn at: the size it has in the main window.
inline constexpr int kMonthPictureWidth = 311;
inline constexpr int kMonthPictureHeight = 253;

// Sets up the calendar before it is drawn (the window passes the set-up of its own calendar).
using CalendarSetup = std::function<void(TChnCalendar&)>;

// The calendar control showing `day`, drawn off screen at 311 × 253. Its white ground stays white,
// so the background shows through it on the wallpaper. Needs a QApplication.
QImage drawMonthPicture(const QDate& day, const CalendarSetup& setup = {});

} // namespace tavemo::calendar_view
