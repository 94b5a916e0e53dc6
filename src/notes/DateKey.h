#pragma once
// Date keys of the daily notes: the eight digits "YYYYMMDD" of a calendar day, the key of the
// note table. The calendar hands dates over as a date-time value (days since 1899-12-30, the
// fraction being the time of day); its day is read in the historical calendar, as everywhere in
// the program (engine::decodeDate): Julian up to 1582-10-04, Gregorian from 1582-10-15. From
// 1582-10-15 on, a day has the key the program's Windows form gave it; that form read earlier
// days in the proleptic Gregorian calendar, so for them its keys and these differ by the days
// between the two calendars.

#include <QString>
#include <QStringView>

#include <optional>

namespace tavemo::notes {

// The key of the day of a date-time value; the time of day never changes it (the integer part is
// the day, also for values before 1899-12-30). Empty when the value is not a date of the years
// 1..9999 (not finite, or out of range).
QString dateKey(double dateTime);

// The key of a civil date; empty when it is not a valid date of the years 1..9999.
QString dateKey(int year, int month, int day);

// A day written by a person: "YYYY-MM-DD" or the key itself "YYYYMMDD". Returns the key, or
// nothing when the text is not exactly one of these forms or names no real day.
std::optional<QString> parseDate(QStringView text);

// "YYYY-MM-DD" for a key, for showing it to a person; the key unchanged when it is not eight digits.
QString keyToIsoDate(QStringView key);

} // namespace tavemo::notes
