// Layout, the month fill and the properties that feed it.

#include "CalendarTestSupport.h"

#include "calendar_view/CaptionLabel.h"
#include "calendar_view/UpDownStepper.h"
#include "engine/DateTime.h"

#include <gtest/gtest.h>

#include <QMenu>

#include <cmath>

namespace tavemo::calendar_view::test {
namespace {

std::vector<int> rowHeights(const DayGrid& g)
{
    std::vector<int> v;
    for (int r = 0; r < g.rowCount(); ++r)
        v.push_back(g.rowHeight(r));
    return v;
}

std::vector<int> columnWidths(const DayGrid& g)
{
    std::vector<int> v;
    for (int c = 0; c < g.columnCount(); ++c)
        v.push_back(g.columnWidth(c));
    return v;
}

TEST(CalendarLayout, GridFollowsTheControlSize)
{
    struct Case {
        int width, height;
        QRect grid;
        std::vector<int> rows, columns;
    };
    const Case cases[] = {
        {311, 253, QRect(8, 40, 296, 186), {18, 27, 27, 27, 27, 27, 33}, {6, 40, 40, 40, 40, 40, 40, 40, 10}},
        {313, 253, QRect(8, 40, 298, 186), {18, 27, 27, 27, 27, 27, 33}, {6, 40, 40, 40, 40, 40, 40, 40, 12}},
        {400, 320, QRect(8, 40, 385, 253), {18, 38, 38, 38, 38, 38, 45}, {6, 53, 53, 53, 53, 53, 53, 53, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        auto cal = shownCalendar(2011, 6, 30, c.width, c.height);
        EXPECT_EQ(cal->grid()->geometry(), c.grid);
        EXPECT_EQ(rowHeights(*cal->grid()), c.rows);
        EXPECT_EQ(columnWidths(*cal->grid()), c.columns);
        EXPECT_EQ(cal->faceImage().size(), QSize(c.width, c.height));
    }
}

TEST(CalendarLayout, ResizingAShownControlLaysOutAgain)
{
    auto cal = shownCalendar(2011, 6, 30);
    cal->resize(311, 253);
    EXPECT_EQ(cal->grid()->geometry(), QRect(8, 40, 296, 186));
    EXPECT_EQ(cal->grid()->columnWidth(8), 10);
    EXPECT_EQ(cal->faceImage().size(), QSize(311, 253));
}

TEST(CalendarLayout, WithoutTitleTheGridFillsTheControlAndTakesTheYearMenu)
{
    auto cal = shownCalendar(2011, 6, 30);
    EXPECT_TRUE(cal->ShowTitle());
    EXPECT_TRUE(cal->monthStepper()->isVisible());
    EXPECT_EQ(cal->grid()->contextMenu(), nullptr);
    cal->setShowTitle(false);
    EXPECT_EQ(cal->grid()->geometry(), QRect(2, 2, 309, 249));
    EXPECT_FALSE(cal->monthStepper()->isVisible());
    EXPECT_FALSE(cal->yearStepper()->isVisible());
    EXPECT_EQ(cal->grid()->contextMenu(), cal->yearMenu());
}

TEST(CalendarLayout, WeekNumberColumnWidth)
{
    ensureApplication();
    TChnCalendar cal;
    cal.setShowWeekNum(true); // before the window step ...
    EXPECT_EQ(cal.grid()->columnWidth(0), 18);
    cal.show(); // ... which sets column 0 back to 6
    EXPECT_EQ(cal.grid()->columnWidth(0), 6);
    cal.setShowWeekNum(true); // unchanged value: nothing happens
    EXPECT_EQ(cal.grid()->columnWidth(0), 6);
    cal.setShowWeekNum(false);
    cal.setShowWeekNum(true);
    EXPECT_EQ(cal.grid()->columnWidth(0), 18);
    EXPECT_EQ(cal.grid()->columnWidth(1), 40); // the day columns wait for the next layout
}

TEST(CalendarConstruction, InitialStateAndWindowStep)
{
    ensureApplication();
    TChnCalendar cal;
    EXPECT_EQ(cal.size(), QSize(313, 253));
    EXPECT_EQ(cal.DateTime(), 0.0);
    EXPECT_FALSE(cal.ShowTitle());
    EXPECT_FALSE(cal.DateInf(1).Valid);
    EXPECT_FALSE(cal.DateInf(40).Valid);
    EXPECT_TRUE(cal.monthMenu()->actions().isEmpty());
    EXPECT_EQ(cal.AlphaBlend(), 50);
    EXPECT_EQ(cal.ColorTitleToday(), 0x00FF0000);
    EXPECT_EQ(cal.ColorTitleMonth(), 0x00C08080);
    EXPECT_EQ(cal.ColorTitleSelected(), 0x00808080);
    EXPECT_EQ(cal.FontCnDate().color, 0x00EEEEEE);
    EXPECT_TRUE(cal.FontDate().font.bold());
    EXPECT_EQ(cal.FontDate().font.pixelSize(), 12);

    int changes = 0;
    cal.OnChange = [&](TChnCalendar*) { ++changes; };
    const double before = engine::currentDateTime();
    cal.show();
    const double after = engine::currentDateTime();
    EXPECT_TRUE(cal.ShowTitle());
    EXPECT_EQ(changes, 1);
    EXPECT_GE(cal.DateTime(), before); // today, time of day included
    EXPECT_LE(cal.DateTime(), after);
    engine::TChnCal today;
    today.SetDate(cal.DateTime());
    EXPECT_EQ(cal.CnDate().toStdString(), today.LunarMonthName + today.LunarDayName);
    EXPECT_EQ(cal.monthMenu()->actions().size(), 14);
}

TEST(MonthFill, ThirtyOneDayMonthBeginningOnSaturday)
{
    auto cal = shownCalendar(2011, 1, 15); // 1 January 2011 is a Saturday
    for (int k = 1; k <= 6; ++k)
        EXPECT_FALSE(cal->DateInf(k).Valid) << k;
    for (int k = 7; k <= 37; ++k) {
        EXPECT_TRUE(cal->DateInf(k).Valid) << k;
        EXPECT_EQ(cal->DateInf(k).Day, k - 6);
        EXPECT_EQ(cal->DateInf(k).DayText, QString::number(k - 6));
    }
    EXPECT_EQ(cal->DateInf(36).Day, 30); // row 6, column 1
    EXPECT_EQ(cal->DateInf(37).Day, 31); // row 6, column 2
    EXPECT_FALSE(cal->DateInf(38).Valid);
    EXPECT_FALSE(cal->DateInf(39).Valid);
    for (int k = 40; k <= 42; ++k)
        EXPECT_TRUE(cal->DateInf(k).Valid);
    EXPECT_EQ(cal->grid()->currentColumn(), 7); // the 15th: record 21
    EXPECT_EQ(cal->grid()->currentRow(), 3);
}

TEST(MonthFill, FebruaryOfTwentyEightDaysBeginningOnSunday)
{
    auto cal = shownCalendar(2015, 2, 10);
    for (int k = 1; k <= 28; ++k)
        EXPECT_EQ(cal->DateInf(k).Day, k);
    for (int k = 29; k <= 39; ++k)
        EXPECT_FALSE(cal->DateInf(k).Valid) << k;
    EXPECT_FALSE(cal->DateInf(40).DayText.isEmpty());
    EXPECT_FALSE(cal->DateInf(41).DayText.isEmpty());
}

TEST(MonthFill, ShorterMonthClearsTheDaysOfTheLongerOne)
{
    auto cal = shownCalendar(2011, 1, 15);
    cal->setDateTime(dateValue(2015, 2, 10));
    EXPECT_FALSE(cal->DateInf(37).Valid);
    EXPECT_TRUE(cal->DateInf(37).CnText.isEmpty());
}

TEST(MonthFill, WeekNumberSlotsFollowFirstAppearance)
{
    struct Case {
        int year, month;
        std::vector<QString> weekSlots;
    };
    const Case cases[] = {
        // Sunday the 1st ends ISO week 52 of 2011; the 31 days reach a sixth slot in five rows.
        {2012, 1, {"52", "1", "2", "3", "4", "5"}},
        {2015, 2, {"5", "6", "7", "8", "9", ""}},
        {2011, 6, {"22", "23", "24", "25", "26", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.year * 100 + c.month);
        auto cal = shownCalendar(c.year, c.month, 1);
        for (int slot = 1; slot <= 6; ++slot)
            EXPECT_EQ(cal->WeekNumText(slot), c.weekSlots[size_t(slot - 1)]) << "slot " << slot;
    }
}

TEST(MonthFill, WeekendDayNumbersAreAlwaysRed)
{
    ensureApplication();
    TChnCalendar cal;
    cal.show();
    cal.setColorDate(0x00123456);
    cal.setColorTitleWeekEnd(0x00ABCDEF);
    cal.setDateTime(dateValue(2011, 6, 30));
    for (int k = 1; k <= 37; ++k) {
        const bool weekend = cellOfRecord(k).x() == 1 || cellOfRecord(k).x() == 7; // Sunday, Saturday
        EXPECT_EQ(cal.DateInf(k).DateColor, weekend ? 0x000000FF : 0x00123456) << k;
    }
}

TEST(MonthFill, SecondLinePriorityAndColours)
{
    struct Case {
        int year, month, day;
        const char* text;
        TColor color;
    };
    constexpr TColor cnDate = 0x00010101, holiday = 0x00020202, lunarHolDay = 0x00030303, cnHolDay = 0x00040404;
    const Case cases[] = {
        {2024, 2, 20, "十一", cnDate},      // an ordinary day: the lunar day
        {2024, 3, 10, "二月", 0x000000FF},  // first of a lunar month: the month name in red
        {2024, 2, 14, "情人节", holiday},   // Gregorian festival over the lunar day
        {2023, 11, 8, "立冬", lunarHolDay}, // solar term over the Gregorian festival 记者日
        {2001, 6, 21, "夏至", lunarHolDay}, // solar term over the first of the lunar month
        {2020, 10, 1, "中秋节", cnHolDay},  // lunar festival over 国庆节
        {2024, 2, 10, "春节", cnHolDay},    // New Year's Day: the festival, not the month name
        {2024, 2, 9, "除夕", cnHolDay},
    };
    ensureApplication();
    TChnCalendar cal;
    cal.show();
    cal.setColorCnDate(cnDate);
    cal.setColorHoliday(holiday);
    cal.setColorLunarHolDay(lunarHolDay);
    cal.setColorCnHolDay(cnHolDay);
    for (const Case& c : cases) {
        cal.setDateTime(dateValue(c.year, c.month, c.day));
        const TcnDateInf& r = cal.DateInf(cal.month().recordOfDay(c.day));
        EXPECT_EQ(r.Day, c.day);
        EXPECT_EQ(r.CnText, QString::fromUtf8(c.text)) << c.year << "-" << c.month << "-" << c.day;
        EXPECT_EQ(r.CnColor, c.color) << c.text;
    }
}

TEST(MonthFill, InformationCellsAndTexts)
{
    auto cal = shownCalendar(2011, 6, 30);
    EXPECT_EQ(cal->DateInf(40).DayText, QStringLiteral("巨蟹"));
    EXPECT_EQ(cal->DateInf(41).DayText, QStringLiteral("辛卯"));
    EXPECT_EQ(cal->DateInf(42).DayText, QStringLiteral("兔年"));
    EXPECT_EQ(cal->CnDate(), QStringLiteral("五月廿九"));
    EXPECT_EQ(cal->CnMonth(), QStringLiteral("五月"));
    EXPECT_EQ(cal->CnDay(), QStringLiteral("廿九"));
    EXPECT_EQ(cal->dateInfoLabel()->text(), QStringLiteral("2011-06-30 农历五月廿九"));
    EXPECT_EQ(cal->monthNumberLabel()->text(), QStringLiteral("6"));
    EXPECT_EQ(cal->yearNumberLabel()->text(), QStringLiteral("2011"));
    EXPECT_EQ(cal->monthStepper()->position(), 6);
    EXPECT_EQ(cal->yearStepper()->position(), 2011);
    // The month number grows to the left of a fixed right edge.
    const int rightEdge = cal->monthNumberLabel()->geometry().right();
    cal->setDateTime(dateValue(2011, 12, 1));
    EXPECT_EQ(cal->monthNumberLabel()->text(), QStringLiteral("12"));
    EXPECT_EQ(cal->monthNumberLabel()->geometry().right(), rightEdge);

    // After 立春 and before the lunar New Year the year name and the animal differ in year.
    cal->setDateTime(dateValue(2024, 2, 5));
    EXPECT_EQ(cal->DateInf(41).DayText, QStringLiteral("甲辰"));
    EXPECT_EQ(cal->DateInf(42).DayText, QStringLiteral("兔年"));
}

TEST(MonthFill, DateInfoLabelShowsTheEraBefore1949)
{
    auto cal = shownCalendar(1948, 6, 1);
    engine::TChnCal day;
    day.SetDate(dateValue(1948, 6, 1));
    ASSERT_FALSE(day.EraText.empty());
    EXPECT_EQ(cal->dateInfoLabel()->text(),
              QString::fromStdString(day.EraText) + QStringLiteral(" 农历") + cal->CnDate());
    cal->setDateTime(dateValue(1949, 1, 1));
    EXPECT_TRUE(cal->dateInfoLabel()->text().startsWith(QStringLiteral("1949-01-01 农历")));
}

TEST(MonthFill, IgnoresUnchangedAndOutOfRangeValues)
{
    auto cal = shownCalendar(2011, 6, 30);
    int changes = 0;
    cal->OnChange = [&](TChnCalendar*) { ++changes; };
    cal->setDateTime(dateValue(2011, 6, 30));
    EXPECT_EQ(changes, 0);
    const double refused[] = {dateValue(2101, 1, 1), dateValue(2200, 6, 1), -700000.0, std::nan(""), 1e300, -1e300};
    for (double v : refused) {
        cal->setDateTime(v);
        EXPECT_EQ(cal->DateTime(), dateValue(2011, 6, 30)) << v;
    }
    EXPECT_EQ(changes, 0);
    cal->setDateTime(dateValue(2100, 12, 31));
    EXPECT_EQ(changes, 1);
    cal->setDateTime(dateValue(1, 1, 1) + 0.5);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(cal->yearNumberLabel()->text(), QStringLiteral("1"));
}

TEST(MonthFill, MonthColoursApplyAtTheNextFill)
{
    auto cal = shownCalendar(2024, 2, 20);
    const int k = cal->month().recordOfDay(22);
    ASSERT_EQ(k, 22 + 4); // 1 February 2024 is a Thursday
    ASSERT_EQ(cal->DateInf(k).Day, 22);
    const TColor before = cal->DateInf(k).DateColor;
    cal->setColorDate(0x00112233);
    EXPECT_EQ(cal->DateInf(k).DateColor, before);
    cal->setDateTime(dateValue(2024, 2, 21));
    EXPECT_EQ(cal->DateInf(k).DateColor, 0x00112233);
}

} // namespace
} // namespace tavemo::calendar_view::test
