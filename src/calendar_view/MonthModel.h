#pragma once
// The month the calendar shows, without any painting: the 42 cell records, the week-number
// slots, which grid cell holds which record, the colour of each kind of day, and the clock that
// says what "today" is. TChnCalendar asks it and paints what it holds.
//
// The grid's day area is columns 1..7 (Sunday .. Saturday) by rows 1..6; record k sits in column
// (k - 1) mod 7 + 1 of row (k - 1) div 7 + 1. A month's days fill records from the weekday of
// its 1st on, one record per day that exists: October 1582 puts Friday the 15th right after
// Thursday the 4th. Records 38 and 39 stay empty; 40 to 42 (row 6, columns 5 to 7) hold the
// constellation, the sexagenary year and the animal of the chosen date.

#include "calendar_view/CalendarLook.h"
#include "drawing/Drawing.h"
#include "engine/ChnCalendarUse.h"

#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace tavemo::calendar_view {

using drawing::TColor;

// One cell of the month: records 1..37 hold days, 40..42 the information texts of the chosen date.
struct TcnDateInf {
    std::int32_t Day = 0; // day of the month of a day record
    bool Valid = false;   // the cell has content; a valid day record can be chosen
    QString DayText;      // the day number; information records: their text
    QString CnMonth;      // the engine's LunarMonthName of the day
    QString CnDay;        // the engine's LunarDayName of the day
    QString CnText;       // the second line of the cell (engine::dayText)
    TColor DateColor = 0; // colour of the day number
    TColor CnColor = 0;   // colour of CnText
};

inline constexpr int kRecordCount = 42;
inline constexpr int kLastDayRecord = 37; // a month's days never reach past record 37
inline constexpr int kConstellationRecord = 40;
inline constexpr int kYearNameRecord = 41;
inline constexpr int kAnimalRecord = 42;
inline constexpr int kWeekSlots = 6;

// The record of a grid cell: 1..42 for columns 1..7 and rows 1..6, 0 for every other cell
// (header row, week-number column, filler column).
constexpr int recordOfCell(int column, int row)
{
    return column >= 1 && column <= 7 && row >= 1 && row <= 6 ? column + 7 * (row - 1) : 0;
}
// The grid cell (column, row) of record 1..42.
constexpr QPoint cellOfRecord(int k) { return QPoint((k - 1) % 7 + 1, (k - 1) / 7 + 1); }
constexpr bool isInformationRecord(int k) { return k >= kConstellationRecord && k <= kAnimalRecord; }

inline constexpr TColor kWeekendRed = 0x000000FF; // weekend day numbers and a lunar month's first day

class MonthModel {
public:
    using Clock = std::function<double()>;

    // The clock gives the current local date and time as a date-time value.
    explicit MonthModel(Clock clock = {});

    // The current date and time by the model's clock.
    double now() const { return m_clock(); }
    void setClock(Clock clock);

    // True for a value whose day lies in the years the calendar shows (engine::isCalendarYear).
    static bool accepts(double value);

    // The value of year-month-day at midnight, or, where the month has no such day, of the last
    // day before it that it has (31 January -> 28 February; 10 October 1582 -> the 4th); false
    // (out untouched) when not even the 1st exists (the year 0) or the year is not shown.
    static bool dayInMonth(int year, int month, int day, double& out);

    // Fills the month of `value` (which accepts() must allow): the chosen date's texts, then every
    // day's record and the week slots, in the given colours. Texts depend on the value alone.
    void fill(double value, const DayColors& colors);

    int year() const { return m_year; }
    int month() const { return m_month; }
    int day() const { return m_day; }

    // Records 1..42 and week slots 1..6 as the last fill left them (all empty before the first).
    const TcnDateInf& record(int k) const { return m_records.at(static_cast<size_t>(k)); }
    const QString& weekText(int slot) const { return m_weekTexts.at(static_cast<size_t>(slot)); }

    // The record of day `day` of the shown month, 0 when the month has no such day.
    int recordOfDay(int day) const;
    // The record of the chosen day.
    int chosenRecord() const { return recordOfDay(m_day); }
    // A day record that can be chosen (valid, 1..37)?
    bool isChoosable(int k) const;
    // The date value of day record k at midnight; false when k holds no day.
    bool dateOfRecord(int k, double& out) const;

    // The chosen date's texts from the engine.
    const QString& cnMonth() const { return m_cnMonth; }
    const QString& cnDay() const { return m_cnDay; }
    QString cnDate() const { return m_cnMonth + m_cnDay; }
    // The summary line under the grid: the ISO date from 1949 on, the era before, then " 农历"
    // and the lunar date.
    const QString& summary() const { return m_summary; }

private:
    TcnDateInf& rec(int k) { return m_records[static_cast<size_t>(k)]; }

    Clock m_clock;
    engine::TChnCal m_cal;
    std::array<TcnDateInf, kRecordCount + 1> m_records{}; // 1..42 used
    std::array<QString, kWeekSlots + 1> m_weekTexts{};    // 1..6 used
    int m_year = 0, m_month = 0, m_day = 0;
    QString m_cnMonth, m_cnDay, m_summary;
};

} // namespace tavemo::calendar_view
