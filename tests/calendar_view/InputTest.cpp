// Choosing days with the mouse and the keyboard, the steppers, the menus and the today link.

#include "CalendarTestSupport.h"

#include "calendar_view/CaptionLabel.h"
#include "calendar_view/UpDownStepper.h"
#include "engine/DateTime.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

namespace tavemo::calendar_view::test {
namespace {

struct EventLog {
    std::vector<std::string> events;
    void attach(TChnCalendar& cal)
    {
        cal.OnChange = [this](TChnCalendar*) { events.push_back("change"); };
        cal.OnDateClick = [this](TChnCalendar*) { events.push_back("click"); };
        cal.OnDateSelect = [this](TChnCalendar*) { events.push_back("select"); };
    }
    std::vector<std::string> take() { return std::exchange(events, {}); }
};

using Events = std::vector<std::string>;

TEST(GridMouse, EventOrderForClicks)
{
    auto cal = shownCalendar(2011, 6, 15);
    EventLog log;
    log.attach(*cal);
    DayGrid* grid = cal->grid();

    // The first press after the pointer came in chooses without OnDateClick.
    QTest::mouseClick(grid, Qt::LeftButton, {}, centreOfDay(*cal, 20));
    EXPECT_EQ(log.take(), (Events{"change", "select"}));
    EXPECT_EQ(isoDate(cal->DateTime()), "2011-06-20");

    QTest::mouseClick(grid, Qt::LeftButton, {}, centreOfDay(*cal, 21));
    EXPECT_EQ(log.take(), (Events{"change", "click", "select"}));

    // The chosen day again: no change, but the click and the select.
    QTest::mouseClick(grid, Qt::LeftButton, {}, centreOfDay(*cal, 21));
    EXPECT_EQ(log.take(), (Events{"click", "select"}));

    // Leaving the grid clears the flag.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(grid, &leave);
    QTest::mouseClick(grid, Qt::LeftButton, {}, centreOfDay(*cal, 22));
    EXPECT_EQ(log.take(), (Events{"change", "select"}));

    // Other buttons set the flag but move nothing.
    QTest::mouseClick(grid, Qt::RightButton, {}, centreOfDay(*cal, 5));
    EXPECT_EQ(isoDate(cal->DateTime()), "2011-06-22");
    QTest::mouseClick(grid, Qt::LeftButton, {}, centreOfDay(*cal, 5));
    EXPECT_EQ(log.take(), (Events{"change", "click", "select"}));
}

TEST(GridMouse, ClicksOutsideTheDaysChangeNothing)
{
    auto cal = shownCalendar(2011, 6, 15);
    EventLog log;
    log.attach(*cal);
    DayGrid* grid = cal->grid();
    const QPoint targets[] = {
        grid->cellRect(1, 1).center(), // empty cell before the 1st
        grid->cellRect(3, 0).center(), // header
        grid->cellRect(0, 3).center(), // week-number column
        grid->cellRect(8, 3).center(), // filler column
        grid->cellRect(5, 6).center(), // information cells
        grid->cellRect(6, 6).center(), grid->cellRect(7, 6).center(), grid->cellRect(6, 5).center(), // after the 30th
    };
    for (const QPoint& at : targets) {
        QTest::mouseClick(grid, Qt::LeftButton, {}, at);
        EXPECT_EQ(isoDate(cal->DateTime()), "2011-06-15");
        EXPECT_EQ(log.take(), Events{}) << at.x() << "," << at.y();
    }
}

TEST(GridMouse, TheFirstChoiceDropsTheTimeOfDay)
{
    auto cal = shownCalendar(2011, 6, 15);
    cal->setDateTime(dateValue(2011, 6, 15) + 0.75);
    EventLog log;
    log.attach(*cal);
    QTest::mouseClick(cal->grid(), Qt::LeftButton, {}, centreOfDay(*cal, 15));
    EXPECT_EQ(log.take(), (Events{"change", "select"}));
    EXPECT_EQ(cal->DateTime(), dateValue(2011, 6, 15));
}

TEST(GridMouse, DraggingChoosesEveryDayPassedOver)
{
    auto cal = shownCalendar(2011, 6, 15);
    std::vector<std::string> chosen;
    cal->OnChange = [&](TChnCalendar* c) { chosen.push_back(isoDate(c->DateTime())); };
    DayGrid* grid = cal->grid();
    QTest::mousePress(grid, Qt::LeftButton, {}, centreOfDay(*cal, 8));
    for (int day : {9, 10, 10, 11}) {
        QMouseEvent move(QEvent::MouseMove, centreOfDay(*cal, day), grid->mapToGlobal(centreOfDay(*cal, day)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid, &move);
    }
    QTest::mouseRelease(grid, Qt::LeftButton, {}, centreOfDay(*cal, 11));
    EXPECT_EQ(chosen, (std::vector<std::string>{"2011-06-08", "2011-06-09", "2011-06-10", "2011-06-11"}));
}

TEST(GridKeyboard, KeysMoveOnlyAmongTheDaysOfTheMonth)
{
    struct Case {
        int key;
        const char* expected;
    };
    // From 2011-06-15 (a Wednesday, row 3) each key alone.
    const Case cases[] = {
        {Qt::Key_Left, "2011-06-14"},     {Qt::Key_Right, "2011-06-16"}, {Qt::Key_Up, "2011-06-08"},
        {Qt::Key_Down, "2011-06-22"},     {Qt::Key_Home, "2011-06-15"},  {Qt::Key_End, "2011-06-15"},
        {Qt::Key_PageUp, "2011-06-15"},   // the header row
        {Qt::Key_PageDown, "2011-06-15"}, // row 6, column 4: after the 30th
    };
    for (const Case& c : cases) {
        auto cal = shownCalendar(2011, 6, 15);
        QTest::keyClick(cal->grid(), Qt::Key(c.key));
        EXPECT_EQ(isoDate(cal->DateTime()), c.expected) << c.key;
    }
    // Saturday to the right is the filler column; Sunday to the left the week column.
    auto cal = shownCalendar(2011, 6, 18);
    QTest::keyClick(cal->grid(), Qt::Key_Right);
    EXPECT_EQ(isoDate(cal->DateTime()), "2011-06-18");
    cal->setDateTime(dateValue(2011, 6, 19));
    QTest::keyClick(cal->grid(), Qt::Key_Left);
    EXPECT_EQ(isoDate(cal->DateTime()), "2011-06-19");
}

TEST(Steppers, StepAcrossYearEndsAndClampTheDay)
{
    struct Case {
        int y, m, d;
        bool monthStepper;
        bool up;
        const char* expected;
    };
    const Case cases[] = {
        {2011, 12, 15, true, true, "2012-01-15"},  {2012, 1, 15, true, false, "2011-12-15"},
        {2011, 1, 31, true, true, "2011-02-28"},   {2012, 1, 31, true, true, "2012-02-29"},
        {2011, 3, 31, true, false, "2011-02-28"},  {2012, 2, 29, false, true, "2013-02-28"},
        {2012, 2, 29, false, false, "2011-02-28"}, {2100, 12, 15, true, true, "2100-12-15"}, // January 2101 is refused
        {2100, 6, 15, false, true, "2100-06-15"}, // the year stepper stops at 2100
    };
    for (const Case& c : cases) {
        auto cal = shownCalendar(c.y, c.m, c.d);
        UpDownStepper* stepper = c.monthStepper ? cal->monthStepper() : cal->yearStepper();
        c.up ? stepper->stepUp() : stepper->stepDown();
        EXPECT_EQ(isoDate(cal->DateTime()), c.expected) << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(Steppers, ClickingTheUpperAndLowerArrows)
{
    auto cal = shownCalendar(2011, 6, 15);
    UpDownStepper* month = cal->monthStepper();
    QTest::mouseClick(month, Qt::LeftButton, {}, QPoint(month->width() / 2, 3));
    EXPECT_EQ(isoDate(cal->DateTime()), "2011-07-15");
    QTest::mouseClick(cal->yearStepper(), Qt::LeftButton, {}, QPoint(month->width() / 2, month->height() - 3));
    EXPECT_EQ(isoDate(cal->DateTime()), "2010-07-15");
}

TEST(Steppers, ARefusedStepLeavesTheSteppersOnTheShownMonth)
{
    auto cal = shownCalendar(2100, 12, 15);
    cal->monthStepper()->stepUp(); // asks for January 2101: refused
    EXPECT_EQ(cal->monthStepper()->position(), 12);
    EXPECT_EQ(cal->yearStepper()->position(), 2100);
    cal->monthStepper()->stepDown();
    EXPECT_EQ(isoDate(cal->DateTime()), "2100-11-15");
}

TEST(Steppers, BelowTheFirstYearFallsToToday)
{
    auto cal = shownCalendar(1, 1, 15);
    const double before = engine::currentDate();
    cal->monthStepper()->stepDown();
    EXPECT_GE(cal->DateTime(), before);
    EXPECT_LT(cal->DateTime(), engine::currentDateTime() + 1);
}

TEST(Steppers, SettingThePositionRepaintsTheArrows)
{
    ensureApplication();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    UpDownStepper stepper;
    stepper.setRange(1, 2100);
    stepper.setPosition(2099);
    stepper.show();
    QApplication::processEvents();
    stepper.installEventFilter(&counter);
    stepper.setPosition(2099); // unchanged: nothing to draw
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    stepper.setPosition(2100); // the up arrow greys out
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
}

TEST(TodayLink, GoesToTheCurrentDateAndTime)
{
    auto cal = shownCalendar(2011, 6, 15);
    const double before = engine::currentDateTime();
    QTest::mouseClick(cal->todayLink(), Qt::LeftButton);
    EXPECT_GE(cal->DateTime(), before);
    EXPECT_LE(cal->DateTime(), engine::currentDateTime());
}

QAction* findAction(QMenu* menu, const QString& caption)
{
    for (QAction* a : menu->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

TEST(Menus, MonthMenuItems)
{
    auto cal = shownCalendar(2011, 6, 15);
    const QList<QAction*> items = cal->monthMenu()->actions();
    ASSERT_EQ(items.size(), 14);
    EXPECT_EQ(items[0]->text(), QStringLiteral("今日"));
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("MenuMonth_ToDay"));
    EXPECT_EQ(cal->monthMenu()->defaultAction(), items[0]);
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[1]->objectName(), QStringLiteral("MenuMonth_ToDay_"));
    const char* names[] = {"一月", "二月", "三月", "四月", "五月",   "六月",
                           "七月", "八月", "九月", "十月", "十一月", "十二月"};
    for (int m = 1; m <= 12; ++m) {
        QAction* item = items[m + 1];
        EXPECT_EQ(item->text(), QString::fromUtf8(names[m - 1]));
        EXPECT_EQ(item->objectName(), QStringLiteral("MenuMonth_") + QString::number(m - 1));
        EXPECT_EQ(item->data().toInt(), m);
    }
}

TEST(Menus, YearMenuItemsAndHistorySubmenus)
{
    auto cal = shownCalendar(2011, 6, 15);
    const QList<QAction*> items = cal->yearMenu()->actions();
    ASSERT_EQ(items.size(), 4 + 20);
    EXPECT_EQ(items[0]->text(), QStringLiteral("今日"));
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("MenuYear_ToDay"));
    EXPECT_EQ(cal->yearMenu()->defaultAction(), items[0]);
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[1]->objectName(), QStringLiteral("MenuYear_ToDay_1"));
    EXPECT_EQ(items[2]->text(), QStringLiteral("历史日期"));
    EXPECT_EQ(items[2]->objectName(), QStringLiteral("MenuYear_History"));
    EXPECT_TRUE(items[3]->isSeparator());
    EXPECT_EQ(items[3]->objectName(), QStringLiteral("MenuYear_ToDay_2"));

    const QList<QAction*> centuries = items[2]->menu()->actions();
    ASSERT_EQ(centuries.size(), 19);
    for (int i = 0; i < 19; ++i) {
        const int r = 10 + 100 * i;
        EXPECT_EQ(centuries[i]->text(), QString::number(r - 10));
        EXPECT_EQ(centuries[i]->objectName(), QStringLiteral("MenuYear_History_") + QString::number(r));
        const QList<QAction*> years = centuries[i]->menu()->actions();
        ASSERT_EQ(years.size(), 10);
        for (int j = 0; j < 10; ++j) {
            EXPECT_EQ(years[j]->text(), QString::number(r + 10 * j));
            EXPECT_EQ(years[j]->data().toInt(), r + 10 * j);
            EXPECT_EQ(years[j]->objectName(), QStringLiteral("MenuYear_History_") + QString::number(r + 10 * j));
        }
    }
    for (int i = 0; i < 20; ++i) {
        const int decade = 1900 + 10 * i;
        QAction* item = items[4 + i];
        EXPECT_EQ(item->text(), QString::number(decade));
        EXPECT_EQ(item->objectName(), QStringLiteral("MenuYear_") + QString::number(decade));
        const QList<QAction*> years = item->menu()->actions();
        ASSERT_EQ(years.size(), 10);
        EXPECT_EQ(years.front()->data().toInt(), decade);
        EXPECT_EQ(years.back()->data().toInt(), decade + 9);
        EXPECT_EQ(years.back()->objectName(), QStringLiteral("MenuYear_") + QString::number(decade + 9));
    }
}

TEST(Menus, PickingMonthsAndYears)
{
    auto cal = shownCalendar(2011, 1, 31);
    findAction(cal->monthMenu(), QStringLiteral("三月"))->trigger();
    EXPECT_EQ(isoDate(cal->DateTime()), "2011-03-31");
    cal->setDateTime(dateValue(2011, 1, 31));
    findAction(cal->monthMenu(), QStringLiteral("二月"))->trigger();
    EXPECT_EQ(isoDate(cal->DateTime()), "2011-02-28");

    // 1900 under 历史日期 → 1800 and under the decade 1900 lead to the same day.
    QMenu* history = findAction(cal->yearMenu(), QStringLiteral("历史日期"))->menu();
    findAction(findAction(history, QStringLiteral("1800"))->menu(), QStringLiteral("1900"))->trigger();
    EXPECT_EQ(isoDate(cal->DateTime()), "1900-02-28");
    EXPECT_FALSE(cal->dateInfoLabel()->text().startsWith(QStringLiteral("1900")));
    EXPECT_TRUE(cal->dateInfoLabel()->text().contains(QStringLiteral(" 农历")));
    cal->setDateTime(dateValue(2011, 2, 28));
    findAction(findAction(cal->yearMenu(), QStringLiteral("1900"))->menu(), QStringLiteral("1900"))->trigger();
    EXPECT_EQ(isoDate(cal->DateTime()), "1900-02-28");

    findAction(cal->yearMenu(), QStringLiteral("今日"))->trigger();
    EXPECT_EQ(std::floor(cal->DateTime()), engine::currentDate());
}

} // namespace
} // namespace tavemo::calendar_view::test
