// The month drawn as a picture for the wallpaper: the calendar on its white ground.

#include "calendar_view/MonthPicture.h"
#include "CalendarTestSupport.h"

#include <gtest/gtest.h>

namespace tavemo::calendar_view::test {
namespace {

int inkedPixels(const QImage& picture)
{
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            n += (picture.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return n;
}

TEST(MonthPicture, TheCalendarDrawsTheMonthOnWhite)
{
    ensureApplication();
    const QImage february = drawMonthPicture(QDate(2024, 2, 10));
    EXPECT_EQ(february.size(), QSize(kMonthPictureWidth, kMonthPictureHeight));
    const int inked = inkedPixels(february);
    EXPECT_GT(inked, 2000) << "days, lunar texts and the title are drawn";
    EXPECT_LT(inked, kMonthPictureWidth * kMonthPictureHeight / 2) << "the ground is white, so the background shows";

    // Another month draws another picture; a set-up from the window is applied.
    bool setUp = false;
    const QImage march = drawMonthPicture(QDate(2024, 3, 10), [&](TChnCalendar&) { setUp = true; });
    EXPECT_TRUE(setUp);
    EXPECT_NE(march, february);
}

} // namespace
} // namespace tavemo::calendar_view::test
