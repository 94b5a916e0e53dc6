// MixPictures: where the pictures land, the byte arithmetic, white pixels, and pictures of every
// size against the literal byte walk (run under ASan, a read or write past a row is a failure).

#include "wallpaper/MixPictures.h"
#include "WallpaperTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace tavemo::wallpaper {
namespace {

using test::filled;

// The bounding box of the pixels that differ between two pictures of one size.
QRect changedArea(const QImage& before, const QImage& after)
{
    QRect box;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if ((before.pixel(x, y) & 0xFFFFFF) != (after.pixel(x, y) & 0xFFFFFF))
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(MixPictures, PlacesTheNoteTenPixelsFromTheRightAndTheMonthTwentyFiveLeftOfIt)
{
    const QImage background = filled(1024, 768, qRgb(40, 80, 120));
    QImage base = background;
    QImage content = filled(411, 373, qRgb(0, 0, 0));
    QImage& composite = MixPictures(content, base, 0, 30, 50);
    EXPECT_EQ(&composite, &base);
    EXPECT_EQ(changedArea(background, composite), QRect(603, 30, 411, 373));

    // The road's second call: offset = content width + 25 + month width.
    const QImage withNote = composite;
    QImage month = filled(200, 150, qRgb(0, 0, 0));
    QImage& second = MixPictures(month, composite, 411 + 25 + 200, 30, 50);
    EXPECT_EQ(changedArea(withNote, second), QRect(378, 30, 200, 150));
}

TEST(MixPictures, MixesEachByteHalfAndHalfTruncatingAndSkipsWhitePixels)
{
    struct Case {
        QRgb source, destination, expected;
    };
    const Case cases[] = {
        {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(128, 128, 128)}, // 255 + (0 − 255) / 2 = 128 (toward zero)
        {qRgb(200, 200, 200), qRgb(100, 100, 100), qRgb(150, 150, 150)},
        {qRgb(100, 100, 100), qRgb(200, 200, 200), qRgb(150, 150, 150)},
        {qRgb(101, 101, 101), qRgb(200, 200, 200), qRgb(151, 151, 151)}, // 200 + (−99) / 2 = 200 − 49
        {qRgb(255, 255, 255), qRgb(10, 20, 30), qRgb(10, 20, 30)},       // white lets the background show
        {qRgb(255, 255, 254), qRgb(0, 0, 0), qRgb(127, 127, 127)},       // one byte short of white is mixed
        {qRgb(254, 255, 255), qRgb(0, 0, 0), qRgb(127, 127, 127)},
        {qRgb(255, 0, 255), qRgb(1, 2, 3), qRgb(128, 1, 129)}, // channel by channel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.source << " over " << c.destination);
        QImage source = filled(1, 1, c.source);
        QImage destination = filled(11, 2, c.destination);
        QImage& result = MixPictures(source, destination, 0, 0, 50);
        EXPECT_EQ(result.pixel(0, 0) & 0xFFFFFF, c.expected & 0xFFFFFF);
    }
}

TEST(MixPictures, ABackgroundNoTallerThanTheNoteIsLaidIntoTheNote)
{
    // The background is the one laid on: at (content width − 10 − background width, 0).
    QImage content = filled(411, 373, qRgb(250, 250, 250));
    QImage background = filled(300, 200, qRgb(0, 0, 0));
    const QImage before = content;
    QImage& result = MixPictures(content, background, 0, 30, 50);
    EXPECT_EQ(&result, &content);
    EXPECT_EQ(changedArea(before, result), QRect(101, 0, 300, 200));
}

// --- against the literal walk ---------------------------------------------------------------

struct Bytes {
    int width = 0, height = 0;
    std::vector<std::uint8_t> data; // 4 bytes per pixel: blue, green, red, 0
};

Bytes toBytes(const QImage& picture)
{
    Bytes out{picture.width(), picture.height(), {}};
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            out.data.insert(out.data.end(),
                            {std::uint8_t(qBlue(p)), std::uint8_t(qGreen(p)), std::uint8_t(qRed(p)), 0});
        }
    return out;
}

// The walk over 32-bit rows as the program's Windows form does it, byte by byte; a destination
// byte outside the destination is left out instead of written.
Bytes referenceWalk(Bytes first, Bytes second, int offset, int top, int percent)
{
    const int minH = std::min(first.height, second.height);
    const int minW = std::min(first.width, second.width);
    const int maxW = std::max(first.width, second.width);
    const bool ontoFirst = second.height == minH;
    Bytes& destination = ontoFirst ? first : second;
    const Bytes& source = ontoFirst ? second : first;
    const int y0 = ontoFirst ? 0 : top;
    const int x0 = maxW - 10 - (offset > 0 ? offset : minW);
    for (int r = 0; r < minH; ++r) {
        const int dy = y0 + r;
        if (dy < 0 || dy >= destination.height)
            continue;
        const std::uint8_t* s = &source.data[std::size_t(r) * 4 * std::size_t(source.width)];
        std::uint8_t* d = &destination.data[std::size_t(dy) * 4 * std::size_t(destination.width)];
        const int dStart = 4 * x0;
        int k = 0;
        while (k < 4 * minW) {
            if (s[k] == 255 && s[k + 1] == 255 && s[k + 2] == 255) {
                k += 4;
                continue;
            }
            const int at = dStart + k;
            if (at >= 0 && at < 4 * destination.width) {
                const int mixed = d[at] + (s[k] - d[at]) * percent / 100;
                d[at] = std::uint8_t(std::clamp(mixed, 0, 255));
            }
            ++k;
        }
    }
    return destination;
}

QImage randomPicture(std::mt19937& random, int w, int h)
{
    QImage picture(w, h, QImage::Format_RGB32);
    std::uniform_int_distribution<int> byte(0, 255), kind(0, 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // A quarter white, some nearly white, the rest anything.
            const int k = kind(random);
            picture.setPixel(x, y,
                             k == 0   ? qRgb(255, 255, 255)
                             : k == 1 ? qRgb(255, byte(random) | 0xF0, 255)
                                      : qRgb(byte(random), byte(random), byte(random)));
        }
    return picture;
}

TEST(MixPictures, EverySizeAndPlaceMatchesTheByteWalkAndStaysInsideBothPictures)
{
    std::mt19937 random(20240210);
    std::uniform_int_distribution<int> side(1, 40), place(-60, 60), percent(-20, 130);
    for (int round = 0; round < 3000; ++round) {
        QImage first = randomPicture(random, side(random), side(random));
        QImage second = randomPicture(random, side(random), side(random));
        const int offset = place(random), top = place(random);
        // Percentages beyond 0..100 are kept within a byte by both.
        const int p = round % 3 == 0 ? 50 : percent(random);
        SCOPED_TRACE(testing::Message() << first.width() << "x" << first.height() << " onto " << second.width() << "x"
                                        << second.height() << " offset " << offset << " top " << top << " percent "
                                        << p);
        const Bytes expected = referenceWalk(toBytes(first), toBytes(second), offset, top, p);
        const QImage& result = MixPictures(first, second, offset, top, p);
        const Bytes got = toBytes(result);
        ASSERT_EQ(got.width, expected.width);
        ASSERT_EQ(got.height, expected.height);
        ASSERT_EQ(got.data, expected.data);
    }
}

TEST(MixPictures, PicturesInAnyFormatAreMixedAsTheir32BitForm)
{
    QImage source = filled(2, 2, qRgb(0, 0, 0)).convertToFormat(QImage::Format_RGB888);
    QImage destination = filled(20, 20, qRgb(255, 255, 255)).convertToFormat(QImage::Format_Indexed8);
    QImage& result = MixPictures(source, destination, 0, 3, 50);
    EXPECT_EQ(result.format(), QImage::Format_RGB32);
    EXPECT_EQ(source.format(), QImage::Format_RGB32);
    EXPECT_EQ(result.pixel(8, 3) & 0xFFFFFF, 0x808080u);
    EXPECT_EQ(result.pixel(8, 2) & 0xFFFFFF, 0xFFFFFFu);
}

} // namespace
} // namespace tavemo::wallpaper
