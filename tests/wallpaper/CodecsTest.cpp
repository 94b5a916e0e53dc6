// The picture readers and writers: every bitmap layout users have, JPEG, GIF and PNG, the size
// limit checked before any allocation, damaged input, and the bytes our writers put out.

#include "WallpaperTestSupport.h"
#include "wallpaper/CodecSupport.h"
#include "wallpaper/PictureCodecs.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

namespace tavemo::wallpaper {
namespace {

using test::BmpLayout;
using test::buildBmp;
using test::colours;
using test::filled;
using test::GifFrame;
using test::makeGif;

constexpr QRgb kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0x000000,
               kGray = 0x808080;
// The 3 × 2 picture most bitmaps below hold: top row red, green, blue; bottom row white, black, gray.
const std::vector<QRgb> kPicture = {kRed, kGreen, kBlue, kWhite, kBlack, kGray};
const std::vector<QRgb> kPalette = {kBlack, kWhite, kRed, kGreen, kBlue, kGray}; // indexes 0..5

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray le16(int v) { return bytes({v & 0xFF, (v >> 8) & 0xFF}); }

struct BmpCase {
    const char* name;
    BmpLayout layout;
    std::vector<QRgb> expected;
    int tolerance; // per colour byte: 5- and 6-bit channels do not hold every 8-bit value
};

TEST(DecodeBmp, ReadsEveryLayoutUsersHave)
{
    auto px16_555 = [](QRgb c) { return le16(((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)); };
    auto px16_565 = [](QRgb c) { return le16(((qRed(c) >> 3) << 11) | ((qGreen(c) >> 2) << 5) | (qBlue(c) >> 3)); };
    auto row16 = [](auto px, QRgb a, QRgb b, QRgb c) { return px(a) + px(b) + px(c) + bytes({0, 0}); };
    auto px24 = [](QRgb c) { return bytes({qBlue(c), qGreen(c), qRed(c)}); };
    auto row24 = [&](QRgb a, QRgb b, QRgb c) { return px24(a) + px24(b) + px24(c) + bytes({0, 0, 0}); };
    auto px32 = [&](QRgb c, int fourth) { return px24(c) + bytes({fourth}); };
    auto row32 = [&](QRgb a, QRgb b, QRgb c, int fourth) {
        return px32(a, fourth) + px32(b, fourth) + px32(c, fourth);
    };

    const BmpCase cases[] = {
        // 1 bit: bits from the most significant, rows padded to 4 bytes.
        {"1 bit",
         {3, 2, 1, 0, {kBlack, kWhite}, {}, false, bytes({0x20, 0, 0, 0, 0xA0, 0, 0, 0})},
         {kWhite, kBlack, kWhite, kBlack, kBlack, kWhite},
         0},
        {"4 bits", {3, 2, 4, 0, kPalette, {}, false, bytes({0x10, 0x50, 0, 0, 0x23, 0x40, 0, 0})}, kPicture, 0},
        {"8 bits", {3, 2, 8, 0, kPalette, {}, false, bytes({1, 0, 5, 0, 2, 3, 4, 0})}, kPicture, 0},
        {"16 bits 5-5-5",
         {3, 2, 16, 0, {}, {}, false, row16(px16_555, kWhite, kBlack, kGray) + row16(px16_555, kRed, kGreen, kBlue)},
         kPicture,
         8},
        {"16 bits 5-6-5 bit fields",
         {3,
          2,
          16,
          3,
          {},
          {0xF800, 0x07E0, 0x001F},
          false,
          row16(px16_565, kWhite, kBlack, kGray) + row16(px16_565, kRed, kGreen, kBlue)},
         kPicture,
         8},
        {"24 bits bottom-up",
         {3, 2, 24, 0, {}, {}, false, row24(kWhite, kBlack, kGray) + row24(kRed, kGreen, kBlue)},
         kPicture,
         0},
        {"24 bits top-down",
         {3, -2, 24, 0, {}, {}, false, row24(kRed, kGreen, kBlue) + row24(kWhite, kBlack, kGray)},
         kPicture,
         0},
        {"32 bits",
         {3, 2, 32, 0, {}, {}, false, row32(kWhite, kBlack, kGray, 0) + row32(kRed, kGreen, kBlue, 0)},
         kPicture,
         0},
        // A fourth byte of 0 under an alpha mask is not transparency: the colours count.
        {"32 bits with an alpha mask of zeros",
         {3,
          2,
          32,
          3,
          {},
          {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
          true,
          row32(kWhite, kBlack, kGray, 0) + row32(kRed, kGreen, kBlue, 0)},
         kPicture,
         0},
        // A real alpha channel is laid over white: 0 is white, 128 half way.
        {"32 bits with an alpha channel",
         {3,
          2,
          32,
          3,
          {},
          {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
          true,
          row32(kWhite, kBlack, kBlack, 255) + px32(kRed, 255) + px32(kBlack, 0) + px32(kBlack, 128)},
         {kRed, kWhite, 0x7F7F7F, kWhite, kBlack, kBlack},
         0},
        // RLE8: the bottom row in absolute mode (3 bytes, padded to a word), the top one as runs.
        {"RLE8",
         {3, 2, 8, 1, kPalette, {}, false, bytes({0, 3, 1, 0, 5, 0, 0, 0, 1, 2, 1, 3, 1, 4, 0, 0, 0, 1})},
         kPicture,
         0},
        // RLE4: a run alternating two nibbles and a run of one; then absolute mode.
        {"RLE4",
         {3, 2, 4, 2, kPalette, {}, false, bytes({2, 0x10, 1, 0x50, 0, 0, 0, 3, 0x23, 0x40, 0, 0, 0, 1})},
         kPicture,
         0},
    };
    for (const BmpCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<QImage> result = decodeBmp(buildBmp(c.layout));
        ASSERT_TRUE(result.ok()) << result.outcome.text().toStdString();
        EXPECT_EQ(result.value.format(), QImage::Format_RGB32);
        ASSERT_EQ(result.value.size(), QSize(3, 2));
        const std::vector<QRgb> got = colours(result.value);
        for (std::size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_NEAR(qRed(got[i]), qRed(c.expected[i]), c.tolerance);
            EXPECT_NEAR(qGreen(got[i]), qGreen(c.expected[i]), c.tolerance);
            EXPECT_NEAR(qBlue(got[i]), qBlue(c.expected[i]), c.tolerance);
        }
    }
}

TEST(EncodeBmp, WritesUncompressed24BitRowsBottomUpPaddedToFourBytes)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i)
        picture.setPixel(i % 3, i / 3, kPicture[std::size_t(i)]);
    const QByteArray file = encodeBmp24(picture);
    ASSERT_EQ(file.size(), 54 + 2 * 12);
    EXPECT_EQ(file.left(2), "BM");
    auto le32 = [&](int at) {
        return quint32(quint8(file[at])) | quint32(quint8(file[at + 1])) << 8 | quint32(quint8(file[at + 2])) << 16 |
               quint32(quint8(file[at + 3])) << 24;
    };
    EXPECT_EQ(le32(2), 78u);  // file size
    EXPECT_EQ(le32(10), 54u); // pixels right after the two headers
    EXPECT_EQ(le32(14), 40u); // BITMAPINFOHEADER
    EXPECT_EQ(le32(18), 3u);
    EXPECT_EQ(le32(22), 2u); // positive height: bottom-up
    EXPECT_EQ(test::bmpBitsPerPixel(file), 24);
    EXPECT_EQ(le32(30), 0u);  // BI_RGB
    EXPECT_EQ(le32(34), 24u); // image size
    // The bottom row (white, black, gray) comes first, blue-green-red, then 3 bytes of padding.
    EXPECT_EQ(file.mid(54, 12), bytes({255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0}));
    EXPECT_EQ(file.mid(66, 12), bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}));

    const Result<QImage> back = decodeBmp(file);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(colours(back.value), kPicture);
}

TEST(SaveBmp, ReplacesTheFileWholeAndLeavesNothingWhenItCannotWrite)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.bmp"));
    ASSERT_TRUE(saveBmp24(filled(5, 3, kRed), path).ok());
    ASSERT_TRUE(saveBmp24(filled(700, 500, kBlue), path).ok()); // more than one block of rows
    const Result<QImage> back = readPicture(path);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.value.size(), QSize(700, 500));
    EXPECT_EQ(back.value.pixel(699, 499) & 0xFFFFFF, kBlue);

    // A folder that is a file: the write fails with a message, and nothing else appears.
    test::writeFile(dir.filePath(QStringLiteral("plain")), "x");
    const Outcome failed = saveBmp24(filled(2, 2, kRed), dir.filePath(QStringLiteral("plain/out.bmp")));
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.text().contains(QStringLiteral("plain/out.bmp")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(Jpeg, WritesBaselineThreeComponentsAtQualityNinetyAndReadsBack)
{
    QImage picture(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            picture.setPixel(x, y, x < 32 ? qRgb(200, 40, 40) : qRgb(30, 60, 220));
    const Result<QByteArray> encoded = encodeJpeg(picture, 90);
    ASSERT_TRUE(encoded.ok()) << encoded.outcome.text().toStdString();
    const QByteArray& jpeg = encoded.value;

    const qsizetype sof = jpeg.indexOf("\xFF\xC0"); // baseline frame
    ASSERT_GE(sof, 0);
    EXPECT_LT(jpeg.indexOf("\xFF\xC2"), 0); // not progressive
    EXPECT_EQ(quint8(jpeg[sof + 9]), 3);    // three components
    const qsizetype dqt = jpeg.indexOf("\xFF\xDB");
    ASSERT_GE(dqt, 0);
    // Quality 90 scales the standard luminance table by 20 %: its first entry 16 becomes 3.
    EXPECT_EQ(quint8(jpeg[dqt + 5]), 3);

    const Result<QImage> back = decodeJpeg(jpeg);
    ASSERT_TRUE(back.ok()) << back.outcome.text().toStdString();
    ASSERT_EQ(back.value.size(), picture.size());
    EXPECT_EQ(back.value.format(), QImage::Format_RGB32);
    for (const QPoint at : {QPoint(4, 4), QPoint(60, 28)}) {
        const QRgb want = picture.pixel(at), got = back.value.pixel(at);
        EXPECT_NEAR(qRed(got), qRed(want), 4);
        EXPECT_NEAR(qGreen(got), qGreen(want), 4);
        EXPECT_NEAR(qBlue(got), qBlue(want), 4);
        EXPECT_EQ(qAlpha(got), 255);
    }
}

TEST(Jpeg, DecodedStraightIntoABitmapGivesTheBytesOfTheBitmapOfItsPicture)
{
    for (const QSize size : {QSize(1, 1), QSize(5, 3), QSize(31, 17), QSize(64, 48)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        QImage picture(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                picture.setPixel(x, y, qRgb(x * 8 % 256, y * 15 % 256, (x + y) * 5 % 256));
        const QByteArray jpeg = encodeJpeg(picture, 90).value;
        EXPECT_EQ(jpegToBmp24(jpeg).value, encodeBmp24(decodeJpeg(jpeg).value));
    }
    const Result<QByteArray> damaged = jpegToBmp24("\xFF\xD8\xFF\xE0 not really", kMaxPicturePixels);
    EXPECT_FALSE(damaged.ok());
    EXPECT_TRUE(damaged.value.isEmpty());
    EXPECT_FALSE(damaged.outcome.message.isEmpty());
}

TEST(Jpeg, TakesAPhotoOfEightThousandBySixThousand)
{
    const QByteArray jpeg = encodeJpeg(filled(8000, 6000, qRgb(90, 120, 150)), 75).value;
    ASSERT_FALSE(jpeg.isEmpty());
    const Result<QImage> photo = decodeJpeg(jpeg);
    ASSERT_TRUE(photo.ok()) << photo.outcome.text().toStdString();
    EXPECT_EQ(photo.value.size(), QSize(8000, 6000));
}

// --- GIF -----------------------------------------------------------------------------------

struct GifCase {
    const char* name;
    QByteArray file;
    QSize size;
    std::vector<QRgb> expected;
};

TEST(DecodeGif, TakesTheFirstImageOnItsScreen)
{
    const std::vector<QRgb> palette = {kBlack, kWhite, kRed, kGreen, kBlue, kGray};
    std::vector<int> tall;
    std::vector<QRgb> tallColours;
    for (int y = 0; y < 10; ++y) {
        tall.push_back(y % 6);
        tallColours.push_back(palette[std::size_t(y % 6)]);
    }
    const GifCase cases[] = {
        {"plain",
         makeGif(3, 2, palette, {{0, 0, 3, 2, false, {2, 3, 4, 1, 0, 5}, {}, NO_TRANSPARENT_COLOR}}),
         {3, 2},
         kPicture},
        // The screen around a smaller image is white, like its transparent pixels.
        {"image inside the screen, one transparent index",
         makeGif(4, 3, palette, {{1, 1, 2, 2, false, {2, 3, 4, 0}, {}, 4}}),
         {4, 3},
         {kWhite, kWhite, kWhite, kWhite, kWhite, kRed, kGreen, kWhite, kWhite, kWhite, kBlack, kWhite}},
        {"interlaced rows",
         makeGif(1, 10, palette, {{0, 0, 1, 10, true, tall, {}, NO_TRANSPARENT_COLOR}}),
         {1, 10},
         tallColours},
        // A local colour table wins; the second image is not looked at.
        {"local colours, two images",
         makeGif(2, 1, palette,
                 {{0, 0, 2, 1, false, {0, 1}, {kBlue, kRed}, NO_TRANSPARENT_COLOR},
                  {0, 0, 2, 1, false, {2, 2}, {}, NO_TRANSPARENT_COLOR}}),
         {2, 1},
         {kBlue, kRed}},
        // A screen of size 0 grows to the image.
        {"screen of size 0",
         makeGif(0, 0, palette, {{0, 0, 2, 1, false, {2, 3}, {}, NO_TRANSPARENT_COLOR}}),
         {2, 1},
         {kRed, kGreen}},
    };
    for (const GifCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<QImage> result = decodeGif(c.file);
        ASSERT_TRUE(result.ok()) << result.outcome.text().toStdString();
        EXPECT_EQ(result.value.size(), c.size);
        EXPECT_EQ(colours(result.value), c.expected);
    }
}

// --- PNG -----------------------------------------------------------------------------------

QByteArray png(const QImage& picture)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, "PNG"));
    return out;
}

TEST(DecodePng, LaysTransparencyOverWhiteWhateverTheColourType)
{
    QImage alpha(3, 1, QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(255, 0, 0, 255));
    alpha.setPixel(1, 0, qRgba(0, 0, 255, 0));
    alpha.setPixel(2, 0, qRgba(0, 0, 0, 128));
    Result<QImage> result = decodePng(png(alpha));
    ASSERT_TRUE(result.ok()) << result.outcome.text().toStdString();
    EXPECT_EQ(colours(result.value), (std::vector<QRgb>{kRed, kWhite, 0x7F7F7F}));

    // Interlaced rows come back in their places.
    result = readPicture(QStringLiteral(TAVEMO_TEST_DATA_DIR "/wallpaper/interlaced.png"));
    ASSERT_TRUE(result.ok()) << result.outcome.text().toStdString();
    ASSERT_EQ(result.value.size(), QSize(7, 5));
    const QRgb rows[] = {0xFF0000, 0xBF0040, 0x800080, 0x4000BF, 0x0000FF};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(result.value.pixel(x, y) & 0xFFFFFF, rows[y]) << x << "," << y;

    QImage gray(2, 1, QImage::Format_Grayscale16);
    reinterpret_cast<quint16*>(gray.scanLine(0))[0] = 0;
    reinterpret_cast<quint16*>(gray.scanLine(0))[1] = 0xFFFF;
    result = decodePng(png(gray));
    ASSERT_TRUE(result.ok()) << result.outcome.text().toStdString();
    EXPECT_EQ(colours(result.value), (std::vector<QRgb>{kBlack, kWhite}));

    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(40, 50, 60)});
    indexed.setPixel(0, 0, 1);
    indexed.setPixel(1, 0, 0);
    result = decodePng(png(indexed));
    ASSERT_TRUE(result.ok()) << result.outcome.text().toStdString();
    EXPECT_EQ(colours(result.value), (std::vector<QRgb>{0x28323C, 0x0A141E}));
}

// --- limits and damage ---------------------------------------------------------------------

TEST(PictureSize, TakesUpToSixteenThousandSquaredAndRefusesMore)
{
    struct Case {
        std::int64_t w, h;
        bool taken;
    };
    const Case cases[] = {
        {1, 1, true},          {8000, 6000, true},   {16384, 16384, true}, {16385, 16384, false},
        {30000, 30000, false}, {0, 10, false},       {10, -1, false},      {std::int64_t(1) << 31, 1, false},
        {268435456, 1, true},  {268435457, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        EXPECT_EQ(detail::checkPictureSize(c.w, c.h, kMaxPicturePixels).isEmpty(), c.taken);
    }
}

// Headers that claim 30 000 × 30 000 pixels are refused from the header: a decoder that believed
// them would ask for 3.6 GB.
TEST(DecodePicture, RefusesHugeHeadersBeforeAllocating)
{
    BmpLayout bmp{30000, 30000, 24, 0, {}, {}, false, QByteArray(16, '\0')};

    QByteArray jpeg = encodeJpeg(filled(8, 8, kGray), 90).value;
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    jpeg[sof + 5] = char(30000 >> 8); // height
    jpeg[sof + 6] = char(30000 & 0xFF);
    jpeg[sof + 7] = char(30000 >> 8); // width
    jpeg[sof + 8] = char(30000 & 0xFF);

    QByteArray gif = makeGif(30000, 30000, {kBlack, kWhite}, {{0, 0, 1, 1, false, {1}, {}, NO_TRANSPARENT_COLOR}});

    QByteArray pngFile = png(filled(1, 1, kRed));
    for (int at : {16, 20}) { // IHDR width and height
        pngFile[at] = 0;
        pngFile[at + 1] = 0;
        pngFile[at + 2] = char(30000 >> 8);
        pngFile[at + 3] = char(30000 & 0xFF);
    }
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(pngFile.constData() + 12), 17);
    for (int i = 0; i < 4; ++i)
        pngFile[29 + i] = char((crc >> (24 - 8 * i)) & 0xFF);

    for (const QByteArray& file : {buildBmp(bmp), jpeg, gif, pngFile}) {
        SCOPED_TRACE(file.left(4).toHex().toStdString());
        const Result<QImage> result = decodePicture(file);
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.outcome.text().contains(QStringLiteral("图片太大"))) << result.outcome.text().toStdString();
    }
}

TEST(DecodePicture, DamagedOrForeignBytesGiveAnErrorNotACrash)
{
    const QByteArray bmp = encodeBmp24(filled(7, 5, kRed));
    const QByteArray jpeg = encodeJpeg(filled(16, 16, kGreen), 90).value;
    const QByteArray gif = makeGif(3, 2, kPalette, {{0, 0, 3, 2, false, {2, 3, 4, 1, 0, 5}, {}, NO_TRANSPARENT_COLOR}});
    const QByteArray pngFile = png(filled(4, 4, kBlue));
    BmpLayout badRle{3, 2, 8, 1, kPalette, {}, false, bytes({0, 200, 1, 2})}; // absolute run past the data

    const QByteArray damaged[] = {
        QByteArray(),
        QByteArray("hello, not a picture"),
        bmp.left(20),
        buildBmp(badRle),
        jpeg.left(100), // cut inside the headers
        QByteArray("\xFF\xD8\xFF\xE0", 4),
        gif.left(14),             // cut in the screen descriptor's colour table
        gif.left(gif.size() - 6), // cut inside the image data
        pngFile.left(40),
        pngFile.left(pngFile.size() - 14), // without its last data and end chunks
        // A text chunk that claims 1.8 GB in a file of a few hundred bytes.
        pngFile.left(pngFile.size() - 12) + QByteArray("\x70\x00\x00\x25tEXtdate:modify", 19),
    };
    for (const QByteArray& file : damaged) {
        SCOPED_TRACE(file.toHex().left(40).toStdString());
        const Result<QImage> result = decodePicture(file);
        EXPECT_FALSE(result.ok());
        EXPECT_FALSE(result.outcome.text().isEmpty());
    }
    EXPECT_TRUE(decodePicture(damaged[std::size(damaged) - 1]).outcome.text().contains(QStringLiteral("超出了文件")));
}

} // namespace
} // namespace tavemo::wallpaper
