// DrawGradient, FitRect and BlendLayer on small images whose every pixel is known.

#include "drawing/Drawing.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace tavemo::drawing {
namespace {

QImage filled(int w, int h, QRgb rgb, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(QColor(rgb));
    return image;
}

TEST(DrawGradient, RefusesFewerThanOneBandAndDrawsNothing)
{
    QImage image = filled(4, 4, 0x123456);
    QPainter p(&image);
    EXPECT_FALSE(DrawGradient(p, QRect(0, 0, 4, 4), 0, 0, 0x000000, 0xFFFFFF));
    EXPECT_FALSE(DrawGradient(p, QRect(0, 0, 4, 4), -3, 0, 0x000000, 0xFFFFFF));
    p.end();
    EXPECT_EQ(image, filled(4, 4, 0x123456));
}

struct GradientCase {
    const char* name;
    QRect rect;
    int bands;
    int direction;
    TColor start, end;
    // expected red channel along the band axis, pixel by pixel (green and blue stay 0)
    std::vector<int> reds;
};

TEST(DrawGradient, BandsRunFromJustPastStartToEnd)
{
    const GradientCase cases[] = {
        // 2 bands over 4 rows: rows 0-1 get start + 1 step, rows 2-3 the end colour.
        {"two bands", QRect(0, 0, 3, 4), 2, 0, 0x00000000, 0x000000C8, {100, 100, 200, 200}},
        // band size 2.5: edges round half to even, 2.5 -> 2, so the first band is two rows.
        {"half to even", QRect(0, 0, 1, 5), 2, 0, 0x00000000, 0x000000C8, {100, 100, 200, 200, 200}},
        // more bands than rows: each row takes the one band whose rounded edges cover it.
        {"many bands", QRect(0, 0, 1, 4), 256, 0, 0x00000000, 0x000000FF, {33, 96, 160, 223}},
        // vertical stripes from left to right.
        {"direction 1", QRect(0, 0, 4, 1), 4, 1, 0x00000000, 0x000000C8, {50, 100, 150, 200}},
        // descending channel
        {"falling", QRect(0, 0, 1, 2), 2, 0, 0x000000C8, 0x00000000, {100, 0}},
    };
    for (const GradientCase& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image = filled(c.rect.width(), c.rect.height(), 0x00FF00);
        QPainter p(&image);
        EXPECT_TRUE(DrawGradient(p, c.rect, c.bands, c.direction, c.start, c.end));
        p.end();
        for (size_t i = 0; i < c.reds.size(); ++i) {
            const QPoint at = c.direction == 0 ? QPoint(0, int(i)) : QPoint(int(i), 0);
            EXPECT_EQ(image.pixel(at), qRgb(c.reds[i], 0, 0)) << "pixel " << i;
        }
    }
}

TEST(DrawGradient, StaysInsideItsRectangle)
{
    QImage image = filled(6, 6, 0x00FF00);
    QPainter p(&image);
    DrawGradient(p, QRect(2, 1, 3, 4), 256, 0, 0x0053AE00, 0x0065D500);
    p.end();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 5;
            EXPECT_EQ(image.pixel(x, y) != qRgb(0, 255, 0), inside) << x << "," << y;
        }
}

TEST(FitRect, FitsProportionallyAtTheCornerOrCentred)
{
    struct Case {
        int pw, ph, W, H;
        bool centred;
        QRect expected;
    };
    const Case cases[] = {
        {400, 200, 313, 253, false, QRect(QPoint(0, 0), QPoint(312, 155))}, // (0, 0, 313, 156)
        {400, 200, 313, 253, true, QRect(QPoint(0, 48), QPoint(312, 203))}, // (0, 48, 313, 204)
        {200, 400, 313, 253, false, QRect(0, 0, 126, 253)},                 // taller than wide
        {200, 400, 313, 253, true, QRect(93, 0, 126, 253)},
        {100, 100, 50, 80, false, QRect(0, 0, 50, 50)},   // square, width limits
        {1000, 10, 313, 253, false, QRect(0, 0, 313, 3)}, // Trunc cuts 3.13
        {300, 100, 200, 50, true, QRect(25, 0, 150, 50)}, // wide, height limits
    };
    for (const Case& c : cases) {
        QRect r;
        EXPECT_TRUE(FitRect(c.pw, c.ph, c.W, c.H, c.centred, r));
        EXPECT_EQ(r, c.expected) << c.pw << "x" << c.ph << " in " << c.W << "x" << c.H << " centred " << c.centred;
    }
}

TEST(FitRect, ZeroHeightLeavesTheCallersRectangle)
{
    QRect r(1, 2, 3, 4);
    EXPECT_FALSE(FitRect(100, 0, 313, 253, true, r));
    EXPECT_FALSE(FitRect(0, 0, 313, 253, false, r));
    EXPECT_EQ(r, QRect(1, 2, 3, 4));
}

TEST(BlendLayer, WeightIsPercentModHundred)
{
    struct Case {
        int percent;
        QRgb expected;
    };
    // face 200 grey, layer (0, 100, 250); the key is something else.
    const Case cases[] = {
        {0, qRgb(200, 200, 200)},   {100, qRgb(200, 200, 200)}, {50, qRgb(100, 150, 225)},
        {150, qRgb(100, 150, 225)}, {25, qRgb(150, 175, 212)},  {99, qRgb(2, 101, 249)},
    };
    for (const Case& c : cases) {
        QImage face = filled(2, 1, qRgb(200, 200, 200));
        QImage layer = filled(2, 1, qRgb(0, 100, 250), QImage::Format_RGB888); // converted on the way
        BlendLayer(face, layer, QPoint(0, 0), c.percent, 0x00010101);
        EXPECT_EQ(face.format(), QImage::Format_RGB32);
        EXPECT_EQ(layer.format(), QImage::Format_RGB32);
        EXPECT_EQ(face.pixel(1, 0), c.expected) << "percent " << c.percent;
    }
}

TEST(BlendLayer, KeyColourPixelsLeaveTheFaceAlone)
{
    // The layer's top-left colour (red) also occurs inside it: every red pixel stays unblended.
    QImage layer = filled(3, 1, qRgb(255, 0, 0));
    layer.setPixel(1, 0, qRgb(0, 0, 255));
    QImage face = filled(3, 1, qRgb(255, 255, 255));
    BlendLayer(face, layer, QPoint(0, 0), 50, -1);
    EXPECT_EQ(face.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(face.pixel(1, 0), qRgb(127, 127, 255));
    EXPECT_EQ(face.pixel(2, 0), qRgb(255, 255, 255));

    // An explicit key as 0x00BBGGRR: blue here.
    QImage face2 = filled(3, 1, qRgb(255, 255, 255));
    BlendLayer(face2, layer, QPoint(0, 0), 50, 0x00FF0000);
    EXPECT_EQ(face2.pixel(0, 0), qRgb(255, 127, 127));
    EXPECT_EQ(face2.pixel(1, 0), qRgb(255, 255, 255));
}

TEST(BlendLayer, OriginShiftsTheLayerAndClipsAtTheFace)
{
    QImage face = filled(3, 3, qRgb(0, 0, 0));
    QImage layer = filled(3, 3, qRgb(200, 200, 200));
    BlendLayer(face, layer, QPoint(2, -1), 50, 0x00010203);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const bool covered = x == 2 && y <= 1;
            EXPECT_EQ(face.pixel(x, y), covered ? qRgb(100, 100, 100) : qRgb(0, 0, 0)) << x << "," << y;
        }
}

} // namespace
} // namespace tavemo::drawing
