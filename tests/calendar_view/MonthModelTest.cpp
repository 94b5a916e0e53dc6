// The month model on its own (no widget), and the calendar driven through it across the Julian
// months and the change of October 1582.

#include "CalendarTestSupport.h"

#include "calendar_view/CaptionLabel.h"
#include "calendar_view/MonthModel.h"
#include "calendar_view/UpDownStepper.h"
#include "engine/DateTime.h"

#include <gtest/gtest.h>

#include <QTest>

#include <algorithm>
#include <vector>

namespace tavemo::calendar_view::test {
namespace {

// The days the records 1..37 hold, 0 for an empty record.
std::vector<int> daysOfRecords(const MonthModel& model)
{
    std::vector<int> days;
    for (int k = 1; k <= kLastDayRecord; ++k)
        days.push_back(model.record(k).Valid ? model.record(k).Day : 0);
    return days;
}

MonthModel filled(int year, int month, int day)
{
    MonthModel model([] { return 0.0; });
    model.fill(dateValue(year, month, day), DayColors{});
    return model;
}

TEST(MonthModel, CellsAndRecords)
{
    for (int k = 1; k <= kRecordCount; ++k) {
        const QPoint cell = cellOfRecord(k);
        ASSERT_EQ(recordOfCell(cell.x(), cell.y()), k);
    }
    EXPECT_EQ(cellOfRecord(40), QPoint(5, 6));
    EXPECT_EQ(cellOfRecord(42), QPoint(7, 6));
    for (const QPoint outside : {QPoint(0, 3), QPoint(8, 3), QPoint(3, 0), QPoint(3, 7), QPoint(-1, -1)})
        EXPECT_EQ(recordOfCell(outside.x(), outside.y()), 0) << outside.x() << "," << outside.y();
}

// October 1582: Monday the 1st to Thursday the 4th, then Friday the 15th to the 31st; the
// Gregorian and Julian months around it keep their shapes.
TEST(MonthModel, LaysOutTheMonthsOfTheHistoricalCalendar)
{
    struct Case {
        int year, month;
        int firstRecord; // the 1st's record: 1 = Sunday
        int count;       // days the month has
        int lastDay;
    };
    const Case cases[] = {
        {1582, 10, 2, 21, 31}, {1582, 9, 7, 30, 30},
        {1582, 11, 2, 30, 30}, {1000, 1, 2, 31, 31}, // 1 January 1000 was a Monday
        {1500, 2, 7, 29, 29},                        // Julian: 29 February in every fourth year
        {1700, 2, 2, 28, 28},                        // Gregorian: not in 1700
        {2024, 2, 5, 29, 29},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.year * 100 + c.month);
        const MonthModel model = filled(c.year, c.month, 1);
        EXPECT_EQ(model.recordOfDay(1), c.firstRecord);
        const std::vector<int> days = daysOfRecords(model);
        EXPECT_EQ(static_cast<int>(std::count_if(days.begin(), days.end(), [](int d) { return d != 0; })), c.count);
        EXPECT_EQ(model.recordOfDay(c.lastDay), c.firstRecord + c.count - 1);
    }
    const MonthModel october = filled(1582, 10, 20);
    EXPECT_EQ(october.recordOfDay(4), 5);  // Thursday
    EXPECT_EQ(october.recordOfDay(15), 6); // Friday
    EXPECT_EQ(october.recordOfDay(16), 7); // Saturday, in weekend red
    EXPECT_EQ(october.record(7).DateColor, kWeekendRed);
    EXPECT_EQ(october.record(6).DateColor, DayColors{}.date);
    for (int day = 5; day <= 14; ++day)
        EXPECT_EQ(october.recordOfDay(day), 0) << day;
    EXPECT_EQ(october.chosenRecord(), october.recordOfDay(20));
    double value = 0;
    ASSERT_TRUE(october.dateOfRecord(6, value));
    EXPECT_EQ(isoDate(value), "1582-10-15");
    EXPECT_FALSE(october.dateOfRecord(1, value)); // the Sunday before the 1st
    // One ISO week runs from Monday the 1st to Sunday the 17th.
    EXPECT_EQ(october.weekText(1), QStringLiteral("40"));
    EXPECT_EQ(october.weekText(2), QStringLiteral("41"));
    EXPECT_EQ(october.weekText(3), QStringLiteral("42"));
    EXPECT_EQ(october.weekText(4), QString());
}

// A day kept where the target month has it, else the last day before it that it has.
TEST(MonthModel, DayInMonthFallsBackToTheLastDayThatExists)
{
    struct Case {
        int year, month, day;
        const char* expected; // empty: none
    };
    const Case cases[] = {
        {2011, 3, 31, "2011-03-31"},
        {2011, 2, 31, "2011-02-28"},
        {1500, 2, 30, "1500-02-29"},
        {1700, 2, 29, "1700-02-28"},
        {1582, 10, 10, "1582-10-04"},
        {1582, 10, 15, "1582-10-15"},
        {0, 1, 1, ""},
        {2101, 1, 1, ""},
        {2011, 13, 1, ""},
    };
    for (const Case& c : cases) {
        double value = -1;
        const bool found = MonthModel::dayInMonth(c.year, c.month, c.day, value);
        EXPECT_EQ(found ? isoDate(value) : std::string(), c.expected) << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST(MonthModel, TodayComesFromTheInjectedClock)
{
    ensureApplication();
    const double fixed = dateValue(1582, 10, 4) + 0.25;
    TChnCalendar cal;
    cal.setClock([fixed] { return fixed; });
    cal.show(); // the window step takes "now" from the clock
    EXPECT_EQ(cal.DateTime(), fixed);
    EXPECT_TRUE(cal.dateInfoLabel()->text().startsWith(QStringLiteral("[明]神宗 朱翊钧 万历10年 农历")));
    cal.setDateTime(dateValue(2024, 2, 10));
    QTest::mouseClick(cal.todayLink(), Qt::LeftButton);
    EXPECT_EQ(cal.DateTime(), fixed);
    cal.setClock({}); // back to the system clock
    const double before = engine::currentDateTime();
    QTest::mouseClick(cal.todayLink(), Qt::LeftButton);
    EXPECT_GE(cal.DateTime(), before);
}

// Clicks, keys and steppers in October 1582 land only on days that existed.
TEST(MonthModel, TheCalendarMovesAcrossTheChangeOf1582)
{
    auto cal = shownCalendar(1582, 10, 4);
    QTest::keyClick(cal->grid(), Qt::Key_Right);
    EXPECT_EQ(isoDate(cal->DateTime()), "1582-10-15");
    QTest::keyClick(cal->grid(), Qt::Key_Left);
    EXPECT_EQ(isoDate(cal->DateTime()), "1582-10-04");
    QTest::mouseClick(cal->grid(), Qt::LeftButton, {}, centreOfDay(*cal, 16));
    EXPECT_EQ(isoDate(cal->DateTime()), "1582-10-16");

    // From 12 September and 12 November a month step keeps the day where it can: the 12th of
    // October never existed, the 4th is the last day before it.
    for (const int from : {9, 11}) {
        cal->setDateTime(dateValue(1582, from, 12));
        cal->monthStepper()->setPosition(10);
        emit cal->monthStepper()->clicked(true);
        EXPECT_EQ(isoDate(cal->DateTime()), "1582-10-04") << from;
    }
    // A year step onto 29 February of a Julian leap year keeps it, of 1700 falls to the 28th.
    cal->setDateTime(dateValue(1600, 2, 29));
    cal->yearStepper()->setPosition(1500);
    emit cal->yearStepper()->clicked(true);
    EXPECT_EQ(isoDate(cal->DateTime()), "1500-02-29");
    cal->yearStepper()->setPosition(1700);
    emit cal->yearStepper()->clicked(true);
    EXPECT_EQ(isoDate(cal->DateTime()), "1700-02-28");
}

} // namespace
} // namespace tavemo::calendar_view::test
