// The window pictures: their sizes, their key colours, and that they stay crisp at a device
// pixel ratio of 2 (every logical pixel of a line or fill is whole device pixels).

#include "widgets/WindowPictures.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <functional>

namespace tavemo::widgets {
namespace {

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

TEST(WindowPictures, SizesFollowTheRatio)
{
    struct Case {
        const char* name;
        std::function<QImage(qreal)> draw;
        QSize size;
    };
    const Case cases[] = {
        {"close", [](qreal r) { return closeButtonPicture(ButtonState::Down, r); }, {39, 20}},
        {"minimise", [](qreal r) { return minimiseButtonPicture(ButtonState::Highlight, r); }, {28, 20}},
        {"logo", &logoPicture, {210, 56}},
        {"添加到桌面",
         [](qreal r) {
             return pictureButton(QStringLiteral("添加到桌面"), {84, 29}, r);
         },
         {84, 29}},
        {"选择壁纸",
         [](qreal r) {
             return pictureButton(QStringLiteral("选择壁纸"), {176, 50}, r);
         },
         {176, 50}},
        {"时间",
         [](qreal r) {
             return smallPictureButton(QStringLiteral("时间"), {37, 21}, r);
         },
         {37, 21}},
        {"T", &fontToolPicture, {20, 17}},
        {"swatch", &colourSwatchPicture, {20, 11}},
        {"exclamation", &exclamationPicture, {45, 46}},
        {"check", &checkMarkPicture, {16, 16}},
    };
    for (const Case& c : cases) {
        for (qreal ratio : {1.0, 2.0}) {
            const QImage image = c.draw(ratio);
            EXPECT_EQ(image.size(), c.size * ratio) << c.name << " at " << ratio;
            EXPECT_EQ(image.devicePixelRatio(), ratio) << c.name;
            EXPECT_EQ(image.deviceIndependentSize().toSize(), c.size) << c.name;
        }
    }
    EXPECT_EQ(programIcon(48).size(), QSize(48, 48));
}

TEST(WindowPictures, CaptionButtonsKeepTheirColoursAndEdgesAtRatioTwo)
{
    for (qreal ratio : {1.0, 2.0}) {
        const int r = int(ratio);
        // Highlight and down fill the whole box, to its last device pixel.
        const QImage red = closeButtonPicture(ButtonState::Highlight, ratio);
        EXPECT_EQ(at(red, 0, 0), qRgb(222, 48, 48));
        EXPECT_EQ(at(red, red.width() - 1, red.height() - 1), qRgb(222, 48, 48));
        EXPECT_EQ(at(closeButtonPicture(ButtonState::Down, ratio), 1, 1), qRgb(160, 24, 24));
        EXPECT_EQ(at(minimiseButtonPicture(ButtonState::Highlight, ratio), 1, 1), qRgb(52, 120, 210));
        // The white cross sits in the middle.
        const QImage cross = closeButtonPicture(ButtonState::Highlight, ratio);
        int white = 0;
        for (int y = cross.height() / 2 - 2 * r; y < cross.height() / 2 + 2 * r; ++y)
            for (int x = cross.width() / 2 - 2 * r; x < cross.width() / 2 + 2 * r; ++x)
                white += qRed(cross.pixel(x, y)) > 240 && qGreen(cross.pixel(x, y)) > 240;
        EXPECT_GT(white, 2 * r * r);
        // The normal picture: a frame of whole device pixels on a transparent ground.
        const QImage normal = closeButtonPicture(ButtonState::Normal, ratio);
        const int left = (39 - 15) / 2 * r, top = (20 - 13) / 2 * r;
        for (int d = 0; d < r; ++d) {
            EXPECT_EQ(qAlpha(normal.pixel(left + d, top + 6 * r)), 255) << "ratio " << ratio;
            EXPECT_EQ(at(normal, left + d, top + 6 * r), qRgb(86, 104, 132));
        }
        EXPECT_EQ(qAlpha(normal.pixel(left + r, top + 6 * r)), 0); // just inside the frame line
        EXPECT_EQ(qAlpha(normal.pixel(0, 0)), 0);
    }
}

TEST(WindowPictures, FaceIsPaleBlueWithABorderOfOneLogicalPixel)
{
    EXPECT_EQ(windowFaceColor(), QColor(216, 227, 243));
    QImage face(QSize(20, 20), QImage::Format_ARGB32);
    face.setDevicePixelRatio(2);
    {
        QPainter p(&face);
        paintWindowFace(p, QRect(0, 0, 10, 10));
    }
    const QRgb border = windowBorderColor().rgb();
    EXPECT_EQ(at(face, 0, 5), border);
    EXPECT_EQ(at(face, 1, 5), border);
    EXPECT_EQ(at(face, 2, 5), qRgb(216, 227, 243));
    EXPECT_EQ(at(face, 19, 19), border);
    EXPECT_EQ(at(face, 17, 17), qRgb(216, 227, 243));
}

TEST(WindowPictures, ToolPicturesShowTheirMarks)
{
    const QImage swatch = colourSwatchPicture(2);
    EXPECT_EQ(at(swatch, 20, 11), qRgb(230, 0, 0));
    const QImage t = fontToolPicture(1);
    int ink = 0;
    for (int y = 0; y < t.height(); ++y)
        for (int x = 0; x < t.width(); ++x)
            ink += qAlpha(t.pixel(x, y)) > 128;
    EXPECT_GT(ink, 20); // the glyph was drawn
    const QImage button = pictureButton(QStringLiteral("选择壁纸"), {176, 50}, 1);
    EXPECT_EQ(qAlpha(button.pixel(88, 3)), 255);
    EXPECT_EQ(qAlpha(button.pixel(0, 0)), 0); // rounded corner
}

} // namespace
} // namespace tavemo::widgets
