#pragma once
// Shared set-up for the calendar view tests: one QApplication for the whole program, date values,
// a calendar that has been through its window step, and colour checks on images.

#include "calendar_view/ChnCalendarPicker.h"
#include "calendar_view/DayGrid.h"

#include <QImage>

#include <memory>

namespace tavemo::calendar_view::test {

void ensureApplication();

// Days since 1899-12-30 of a valid date at midnight.
double dateValue(int year, int month, int day);
// "YYYY-MM-DD" of a value, for readable failures.
std::string isoDate(double value);

// A shown calendar of `width` x `height` chosen on year-month-day.
std::unique_ptr<TChnCalendar> shownCalendar(int year, int month, int day, int width = 313, int height = 253);

// The centre of the grid cell that shows day `day` of the shown month (the model's mapping).
QPoint centreOfDay(TChnCalendar& calendar, int day);

// What the grid shows, with every cell drawn.
QImage renderGrid(TChnCalendar& calendar);

QColor rgbOf(TColor color);

} // namespace tavemo::calendar_view::test
