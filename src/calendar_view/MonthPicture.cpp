#include "calendar_view/MonthPicture.h"

#include "calendar_view/ChnCalendarPicker.h"
#include "engine/DateTime.h"

#include <QPixmap>

namespace tavemo::calendar_view {

QImage drawMonthPicture(const QDate& day, const CalendarSetup& setup)
{
    TChnCalendar calendar;
    calendar.setAttribute(Qt::WA_DontShowOnScreen); // laid out and painted, never on the screen
    calendar.setShowTitle(true);
    calendar.setStretch(true);
    if (setup)
        setup(calendar);
    calendar.resize(kMonthPictureWidth, kMonthPictureHeight);
    calendar.show();
    engine::DateTime value = 0;
    if (engine::tryEncodeDate(day.year(), day.month(), day.day(), value))
        calendar.setDateTime(value);
    QImage picture = calendar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    picture.setDevicePixelRatio(1);
    return picture;
}

} // namespace tavemo::calendar_view
