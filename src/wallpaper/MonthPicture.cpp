#include "MonthPicture.h"

#include "AppPath.h"
#include "ChnCalendarPicker.h"
#include "DateTime.h"

#include <QFileInfo>
#include <QPixmap>

namespace tavemo::wallpaper {

QString monthPicturePath(const QString& appDir, const QDate& today)
{
    return paths::appPath(appDir, QStringLiteral("source\\Month\\%1.bmp").arg(today.toString(QStringLiteral("yyyyMM"))));
}

QImage drawMonthPicture(const QDate& today, const CalendarSetup& setup)
{
    calendar_view::TChnCalendar calendar;
    calendar.setAttribute(Qt::WA_DontShowOnScreen); // laid out and painted, never on the screen
    calendar.setShowTitle(true);
    calendar.setStretch(true);
    if (setup)
        setup(calendar);
    calendar.resize(kMonthPictureWidth, kMonthPictureHeight);
    calendar.show();
    engine::DateTime value = 0;
    if (engine::tryEncodeDate(today.year(), today.month(), today.day(), value))
        calendar.setDateTime(value);
    QImage picture = calendar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    picture.setDevicePixelRatio(1);
    return picture;
}

PictureResult monthPicture(const QString& path, const QDate& today, const CalendarSetup& setup)
{
    if (!path.isEmpty() && QFileInfo(path).isFile())
        return readPicture(path);
    QImage drawn = drawMonthPicture(today, setup);
    if (drawn.isNull())
        return {QImage(), QStringLiteral("无法画出本月的月历。")};
    return {drawn, QString()};
}

} // namespace tavemo::wallpaper
