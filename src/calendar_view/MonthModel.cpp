#include "calendar_view/MonthModel.h"

#include "engine/CalendarRange.h"
#include "engine/DateTime.h"

#include <algorithm>

namespace tavemo::calendar_view {

namespace {

QString fromEngine(const std::string& text) { return QString::fromStdString(text); }

bool isWeekendRecord(int k)
{
    const int column = cellOfRecord(k).x();
    return column == 1 || column == 7;
}

TColor colorOf(engine::DayTextKind kind, const DayColors& colors)
{
    switch (kind) {
    case engine::DayTextKind::LunarFestival:
        return colors.cnHolDay;
    case engine::DayTextKind::SolarTerm:
        return colors.lunarHolDay;
    case engine::DayTextKind::SolarFestival:
        return colors.holiday;
    case engine::DayTextKind::LunarMonthName:
        return kWeekendRed;
    case engine::DayTextKind::LunarDayName:
        break;
    }
    return colors.cnDate;
}

} // namespace

MonthModel::MonthModel(Clock clock) { setClock(std::move(clock)); }

void MonthModel::setClock(Clock clock) { m_clock = clock ? std::move(clock) : Clock(engine::currentDateTime); }

bool MonthModel::accepts(double value)
{
    int y = 0, m = 0, d = 0;
    return engine::decodeDate(value, y, m, d) && engine::isCalendarYear(y);
}

bool MonthModel::dayInMonth(int year, int month, int day, double& out)
{
    if (!engine::isCalendarYear(year))
        return false;
    for (int d = std::min(day, engine::daysInMonth(year, month)); d >= 1; --d) {
        if (engine::tryEncodeDate(year, month, d, out))
            return true;
    }
    return false;
}

void MonthModel::fill(double value, const DayColors& colors)
{
    int Y = 0, M = 0, D = 0;
    if (!engine::decodeDate(value, Y, M, D))
        return;
    m_year = Y;
    m_month = M;
    m_day = D;

    m_cal.SetDate(value);
    m_cnMonth = fromEngine(m_cal.LunarMonthName);
    m_cnDay = fromEngine(m_cal.LunarDayName);
    const QString lunar = QStringLiteral(" 农历") + cnDate();
    // No era from 1949 on: the date itself then.
    m_summary =
        (m_cal.EraText.empty() ? QString::fromStdString(engine::formatIsoDate(value)) : fromEngine(m_cal.EraText)) +
        lunar;
    for (int k = kConstellationRecord; k <= kAnimalRecord; ++k)
        rec(k).Valid = true;
    rec(kYearNameRecord).DayText = fromEngine(m_cal.YearGanZhi);
    rec(kAnimalRecord).DayText = fromEngine(m_cal.Animal) + QStringLiteral("年");

    for (QString& text : m_weekTexts)
        text.clear();
    for (int k = 1; k <= kLastDayRecord; ++k) {
        TcnDateInf& r = rec(k);
        r = TcnDateInf{};
        r.DateColor = isWeekendRecord(k) ? kWeekendRed : colors.date;
    }

    engine::MonthLayout layout;
    engine::monthLayout(Y, M, layout);
    int lastWeek = -1;
    int nextSlot = 1;
    for (int i = 0; i < layout.dayCount; ++i) {
        const double dayValue = layout.first + i;
        int y = 0, m = 0, d = 0;
        engine::decodeDate(dayValue, y, m, d);
        m_cal.SetDate(dayValue);
        const int week = engine::isoWeekNumber(dayValue);
        if (week != lastWeek) {
            lastWeek = week;
            if (nextSlot <= kWeekSlots)
                m_weekTexts[static_cast<size_t>(nextSlot)] = QString::number(week);
            ++nextSlot;
        }
        TcnDateInf& r = rec(layout.leadingCells + i + 1);
        r.Day = d;
        r.DayText = QString::number(d);
        r.CnMonth = fromEngine(m_cal.LunarMonthName);
        r.CnDay = fromEngine(m_cal.LunarDayName);
        r.CnText = fromEngine(engine::dayText(m_cal));
        r.CnColor = colorOf(engine::dayTextKind(m_cal), colors);
        if (d == D)
            rec(kConstellationRecord).DayText = fromEngine(m_cal.Constellation);
        r.Valid = true;
    }
}

int MonthModel::recordOfDay(int day) const
{
    for (int k = 1; k <= kLastDayRecord; ++k) {
        if (m_records[static_cast<size_t>(k)].Valid && m_records[static_cast<size_t>(k)].Day == day)
            return k;
    }
    return 0;
}

bool MonthModel::isChoosable(int k) const
{
    return k >= 1 && k <= kLastDayRecord && m_records[static_cast<size_t>(k)].Valid;
}

bool MonthModel::dateOfRecord(int k, double& out) const
{
    return isChoosable(k) && engine::tryEncodeDate(m_year, m_month, record(k).Day, out);
}

} // namespace tavemo::calendar_view
