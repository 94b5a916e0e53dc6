// Pixels of the rendered control: the selection, the weekend red, the weekday names, the week
// numbers, the watermark, the frame and the blended background picture.

#include "CalendarTestSupport.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace tavemo::calendar_view::test {
namespace {

// The face pixel behind a point of the grid.
QRgb faceBehind(TChnCalendar& cal, QPoint inGrid) { return cal.faceImage().pixel(inGrid + cal.grid()->pos()); }

bool hasPixel(const QImage& image, const QRect& area, const std::function<bool(QColor)>& test)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(QColor(image.pixel(x, y))))
                return true;
    return false;
}

// Columns of `area` holding a pixel darker than the light watermark colours.
int inkedColumns(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int x = area.left(); x <= area.right(); ++x)
        if (hasPixel(image, QRect(x, area.top(), 1, area.height()), [](QColor c) { return c.lightness() < 160; }))
            ++count;
    return count;
}

TEST(RenderSelection, GradientAndFrameOnTheChosenDayOnly)
{
    auto cal = shownCalendar(2011, 6, 15); // record 18: row 3, column 4
    const QImage grid = renderGrid(*cal);
    const QRect cell = cal->grid()->cellRect(4, 3);

    QImage expected(cell.size(), QImage::Format_RGB32);
    QPainter p(&expected);
    DrawGradient(p, QRect(QPoint(0, 0), cell.size()), 256, 0, cal->ColorSelectedStart(), cal->ColorSelectedEnd());
    p.end();
    const int h = cell.height();
    // Inside the frame, left of the text: the gradient; on the border: the frame.
    for (int y : {1, h / 4, h - 2})
        EXPECT_EQ(grid.pixel(cell.topLeft() + QPoint(1, y)), expected.pixel(1, y)) << y;
    EXPECT_NE(expected.pixel(1, 1), expected.pixel(1, h - 2));
    const QRgb frame = rgbOf(cal->ColorSelectedFrame()).rgb();
    for (QPoint edge : {QPoint(0, h / 2), QPoint(cell.width() - 1, 3), QPoint(5, 0), QPoint(5, h - 1)})
        EXPECT_EQ(grid.pixel(cell.topLeft() + edge), frame) << edge.x() << "," << edge.y();

    // A day that is not chosen shows the face behind it at the same places.
    const QRect other = cal->grid()->cellRect(4, 2);
    EXPECT_EQ(grid.pixel(other.topLeft() + QPoint(1, 1)), faceBehind(*cal, other.topLeft() + QPoint(1, 1)));
    EXPECT_EQ(grid.pixel(other.topLeft() + QPoint(0, h / 2)), faceBehind(*cal, other.topLeft() + QPoint(0, h / 2)));
}

TEST(RenderSelection, HideSelectionWithoutFocusShowsNeitherGradientNorFrame)
{
    auto cal = shownCalendar(2011, 6, 15);
    cal->setHideSelection(true);
    cal->grid()->clearFocus();
    std::vector<bool> selectedSeen;
    cal->OnDrawCnDateCell = [&](TChnCalendar*, int day, QPainter&, QRect&, bool selected, QString&, bool&) {
        if (day == 15)
            selectedSeen.push_back(selected);
    };
    const QImage grid = renderGrid(*cal);
    const QRect cell = cal->grid()->cellRect(4, 3);
    for (QPoint at : {QPoint(1, 1), QPoint(0, cell.height() / 2), QPoint(1, cell.height() - 2)})
        EXPECT_EQ(grid.pixel(cell.topLeft() + at), faceBehind(*cal, cell.topLeft() + at));
    ASSERT_FALSE(selectedSeen.empty());
    EXPECT_TRUE(selectedSeen.back()); // the handlers still learn that the cell is the chosen one
}

TEST(RenderSelection, LunarHandlerCanSuppressTextAndFrameButNotChangeTheRecord)
{
    auto cal = shownCalendar(2011, 6, 15);
    const QString recordText = cal->DateInf(18).CnText;
    cal->OnDrawCnDateCell = [](TChnCalendar*, int day, QPainter&, QRect& r, bool, QString& text, bool& defaultDraw) {
        EXPECT_EQ(r.topLeft(), QPoint(0, 0));
        text = QStringLiteral("改");
        if (day == 15)
            defaultDraw = false;
    };
    const QImage grid = renderGrid(*cal);
    const QRect cell = cal->grid()->cellRect(4, 3);
    const QRgb frame = rgbOf(cal->ColorSelectedFrame()).rgb();
    EXPECT_NE(grid.pixel(cell.topLeft() + QPoint(0, cell.height() / 2)), frame);
    EXPECT_EQ(cal->DateInf(18).CnText, recordText);
}

TEST(RenderDays, WeekendNumbersAreRed)
{
    auto cal = shownCalendar(2011, 6, 1);
    cal->setColorTitleWeekEnd(0x00FF0000); // the header's weekend colour does not matter
    const QImage grid = renderGrid(*cal);
    auto isRed = [](QColor c) { return c.red() > 200 && c.green() < 70 && c.blue() < 70; };
    auto upperHalf = [&](int column, int row) {
        const QRect r = cal->grid()->cellRect(column, row);
        return QRect(r.left(), r.top(), r.width(), r.height() / 2);
    };
    EXPECT_TRUE(hasPixel(grid, upperHalf(7, 2), isRed));  // Saturday the 11th
    EXPECT_TRUE(hasPixel(grid, upperHalf(1, 3), isRed));  // Sunday the 12th
    EXPECT_FALSE(hasPixel(grid, upperHalf(4, 2), isRed)); // Wednesday the 8th
}

TEST(RenderHeader, LongWeekdayNamesFromThirtyNinePixels)
{
    struct Case {
        int controlWidth;
        int columnWidth;
        bool longNames;
    };
    const Case cases[] = {{297, 38, false}, {304, 39, true}, {313, 40, true}};
    for (const Case& c : cases) {
        auto cal = shownCalendar(2011, 6, 15, c.controlWidth, 253);
        ASSERT_EQ(cal->grid()->columnWidth(2), c.columnWidth);
        const QImage grid = renderGrid(*cal);
        const QRect header = cal->grid()->cellRect(2, 0);
        const int ink = inkedColumns(grid, QRect(header.left(), header.top(), header.width(), header.height() - 5));
        if (c.longNames)
            EXPECT_GT(ink, 24) << c.columnWidth; // 星期一
        else
            EXPECT_LT(ink, 16) << c.columnWidth; // 一
    }
}

TEST(RenderWeekNumbers, ColumnZeroAndItsLine)
{
    auto cal = shownCalendar(2011, 6, 15);
    const QRgb line = rgbOf(cal->ColorTitleWeekLine()).rgb();
    {
        const QImage grid = renderGrid(*cal);
        const QRect c0 = cal->grid()->cellRect(0, 2);
        EXPECT_EQ(inkedColumns(grid, c0), 0); // hidden: nothing at all
    }
    cal->setShowWeekNum(true);
    {
        const QImage grid = renderGrid(*cal);
        const QRect c0 = cal->grid()->cellRect(0, 2);
        EXPECT_GT(inkedColumns(grid, c0.adjusted(0, 0, -1, 0)), 2); // "23"
        EXPECT_EQ(grid.pixel(c0.right(), c0.top() + 1), line);
        const QRect header0 = cal->grid()->cellRect(0, 0);
        EXPECT_GT(inkedColumns(grid, QRect(header0.left(), header0.top(), header0.width() - 1, header0.height() - 5)),
                  2); // "W"
    }
    cal->setShowWeekNumLine(false);
    {
        const QImage grid = renderGrid(*cal);
        const QRect c0 = cal->grid()->cellRect(0, 2);
        EXPECT_NE(grid.pixel(c0.right(), c0.top() + 1), line);
    }
}

TEST(RenderFace, FrameAndWatermark)
{
    auto cal = shownCalendar(2011, 6, 15);
    const QImage& face = cal->faceImage();
    const QRgb frame = rgbOf(cal->ColorShowFrame()).rgb();
    EXPECT_EQ(face.pixel(0, 0), frame);
    EXPECT_EQ(face.pixel(312, 100), frame);
    EXPECT_EQ(face.pixel(100, 252), frame);
    EXPECT_EQ(face.pixel(1, 1), qRgb(255, 255, 255));
    const QColor year = rgbOf(cal->ColorBackYear());
    const QColor month = rgbOf(cal->ColorBackMonth());
    const QRect boxA(8, 46, 298, 73);
    const QRect boxB(8, 113, 298, 113);
    EXPECT_TRUE(hasPixel(face, boxA, [&](QColor c) { return c == year; }));
    EXPECT_TRUE(hasPixel(face, boxB, [&](QColor c) { return c == month; }));
    EXPECT_FALSE(hasPixel(face, QRect(0, 0, 313, 46), [&](QColor c) { return c == year || c == month; }));

    cal->setShowBackYearMonth(false);
    cal->setShowFrame(false);
    EXPECT_FALSE(hasPixel(cal->faceImage(), QRect(0, 0, 313, 253), [](QColor c) { return c != Qt::white; }));
}

TEST(RenderFace, BackgroundPictureBlendsAtItsWeight)
{
    auto cal = shownCalendar(2011, 6, 15);
    EXPECT_TRUE(cal->pictureLayer().isNull()); // no picture: no layer, no blend
    const QImage plain = cal->faceImage().convertToFormat(QImage::Format_RGB32);

    // Drawn from the corner: the key is the picture's own top-left colour (red), which also
    // occurs inside the picture.
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(150, 30, qRgb(255, 0, 0));
    cal->setBackGround(picture);
    EXPECT_EQ(cal->pictureLayer().size(), QSize(313, 253));
    QImage face = cal->faceImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(face.pixel(100, 30), qRgb(127, 127, 255)); // white face, blue picture, 50 %
    EXPECT_EQ(face.pixel(150, 30), qRgb(255, 255, 255)); // the key colour stays unblended
    EXPECT_EQ(face.pixel(0, 0), plain.pixel(0, 0));

    struct Case {
        int alpha;
        QRgb expected;
    };
    for (const Case& c : {Case{0, qRgb(255, 255, 255)}, Case{100, qRgb(255, 255, 255)}, Case{150, qRgb(127, 127, 255)},
                          Case{20, qRgb(204, 204, 255)}}) {
        cal->setAlphaBlend(c.alpha);
        face = cal->faceImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(face.pixel(100, 30), c.expected) << c.alpha;
    }
    cal->setAlphaBlend(0);
    EXPECT_EQ(cal->faceImage().convertToFormat(QImage::Format_RGB32), plain);

    // Stretched and centred: a 400 x 200 picture lands in (0, 48) .. (313, 204); the white
    // margin of the layer is the key and leaves the face alone.
    QImage wide(400, 200, QImage::Format_RGB32);
    wide.fill(QColor(0, 0, 255));
    cal->setAlphaBlend(50);
    cal->setStretch(true);
    cal->setCenter(true);
    cal->setBackGround(wide);
    face = cal->faceImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(face.pixel(100, 30), qRgb(255, 255, 255));
    EXPECT_EQ(face.pixel(100, 47), qRgb(255, 255, 255));
    EXPECT_EQ(face.pixel(20, 50), qRgb(127, 127, 255));
    EXPECT_EQ(face.pixel(20, 203), qRgb(127, 127, 255));
    EXPECT_EQ(face.pixel(20, 205), qRgb(255, 255, 255));

    cal->setBackGround(QImage());
    EXPECT_TRUE(cal->pictureLayer().isNull());
    EXPECT_EQ(cal->faceImage().convertToFormat(QImage::Format_RGB32), plain);
}

} // namespace
} // namespace tavemo::calendar_view::test
