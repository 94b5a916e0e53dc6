#include "CalendarTestSupport.h"

#include "drawing/FontSetup.h"
#include "engine/DateTime.h"

#include <QApplication>

#include <stdexcept>

namespace tavemo::calendar_view::test {

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "test_calendar_view";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        // The widgets need no display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QApplication(argc, argv);
        drawing::installFontSubstitutions();
        return a;
    }();
    (void)app;
}

double dateValue(int year, int month, int day)
{
    double value = 0;
    if (!engine::tryEncodeDate(year, month, day, value))
        throw std::invalid_argument("not a date");
    return value;
}

std::string isoDate(double value) { return engine::formatIsoDate(value); }

std::unique_ptr<TChnCalendar> shownCalendar(int year, int month, int day, int width, int height)
{
    ensureApplication();
    auto calendar = std::make_unique<TChnCalendar>();
    calendar->resize(width, height);
    calendar->show();
    calendar->setDateTime(dateValue(year, month, day));
    return calendar;
}

QImage renderGrid(TChnCalendar& calendar)
{
    return calendar.grid()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QPoint centreOfDay(TChnCalendar& calendar, int day)
{
    const QPoint cell = cellOfRecord(calendar.month().recordOfDay(day));
    return calendar.grid()->cellRect(cell.x(), cell.y()).center();
}

QColor rgbOf(TColor color) { return toQColor(color); }

} // namespace tavemo::calendar_view::test
