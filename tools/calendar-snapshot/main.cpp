// calendar-snapshot DATE OUT.png [--size WxH] [--week-numbers] [--background PICTURE]
//
// Shows the month-view calendar chosen on DATE (YYYY-MM-DD) offscreen and writes what it shows
// to OUT.png. A background picture is stretched over the control and blended at the control's
// default weight.

#include "ChnCalendarPicker.h"
#include "DateTime.h"
#include "FontSetup.h"
#include "LunarCore.h"

#include <QApplication>
#include <QImage>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: calendar-snapshot DATE OUT.png [--size WxH] [--week-numbers] [--background PICTURE]\n"
                         "  DATE is YYYY-MM-DD, year 1..2100 (Julian before 1582-10-15)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tavemo::calendar_view::installFontSubstitutions();

    QStringList args = app.arguments().mid(1);
    QString date, out, background;
    QSize size(313, 253);
    bool weekNumbers = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--week-numbers")) {
            weekNumbers = true;
        } else if (a == QLatin1String("--size") && i + 1 < args.size()) {
            const auto m = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(args[++i]);
            if (!m.hasMatch())
                return usage();
            size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
            if (size.width() < 50 || size.height() < 80 || size.width() > 4000 || size.height() > 4000) {
                std::fprintf(stderr, "calendar-snapshot: size must lie between 50x80 and 4000x4000\n");
                return 2;
            }
        } else if (a == QLatin1String("--background") && i + 1 < args.size()) {
            background = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage();
        } else if (date.isEmpty()) {
            date = a;
        } else if (out.isEmpty()) {
            out = a;
        } else {
            return usage();
        }
    }
    if (date.isEmpty() || out.isEmpty())
        return usage();

    const auto m = QRegularExpression(QStringLiteral("^(\\d{1,4})-(\\d{1,2})-(\\d{1,2})$")).match(date);
    double value = 0;
    if (m.hasMatch() && tavemo::engine::isDroppedDay(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt())) {
        std::fprintf(stderr, "calendar-snapshot: 1582-10-05 .. 1582-10-14 never existed (Julian 1582-10-04 was followed by"
                             " Gregorian 1582-10-15): %s\n", qPrintable(date));
        return 2;
    }
    if (!m.hasMatch() || !tavemo::engine::tryEncodeDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), value)
        || m.captured(1).toInt() > 2100) {
        std::fprintf(stderr, "calendar-snapshot: not a date between 0001-01-01 and 2100-12-31: %s\n", qPrintable(date));
        return 2;
    }

    tavemo::calendar_view::TChnCalendar calendar;
    calendar.setStretch(true);
    calendar.resize(size);
    if (!background.isEmpty()) {
        QImage picture(background);
        if (picture.isNull()) {
            std::fprintf(stderr, "calendar-snapshot: cannot read the picture %s\n", qPrintable(background));
            return 1;
        }
        calendar.setBackGround(picture);
    }
    calendar.show();
    calendar.setDateTime(value);
    if (weekNumbers)
        calendar.setShowWeekNum(true);

    const QImage shot = calendar.grab().toImage();
    if (!shot.save(out, "PNG")) {
        std::fprintf(stderr, "calendar-snapshot: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
